#pragma once
// The main window's status bar: the message pane, the panes the viewport fills (projection,
// zoom factor, pointer, grid) and the lock-key indicators.

#include <QString>

class QLabel;
class QStatusBar;

namespace qm4edit {

class CStatusPanes {
public:
    // Adds the panes to bar, which owns them.
    explicit CStatusPanes(QStatusBar& bar);

    // Shows which lock keys are on.
    void UpdateIndicators();
    // The view's texts in the order of its panes; an empty one hides its pane.
    void SetViewTexts(const QString (&texts)[4]);

private:
    QLabel* m_pMessagePane = nullptr;
    QLabel* m_pIndicators[3] = {nullptr, nullptr, nullptr};
    QLabel* m_pViewPanes[4] = {nullptr, nullptr, nullptr, nullptr}; // projection, zoom, pointer, grid
};

} // namespace qm4edit
