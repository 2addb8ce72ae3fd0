#pragma once
// Window > Split from the keyboard: while the mode is on, the arrow keys move the splitter's
// bar, Enter keeps the new place, Escape puts the bar back, and a click anywhere keeps it.

#include <QList>

class QSplitter;

namespace qm4edit {

class CSplitKeyMode {
public:
    explicit CSplitKeyMode(QSplitter& splitter) : m_splitter(splitter) {}

    bool IsOn() const { return m_bOn; }
    void Start();
    // A key pressed while the mode is on; every key is the mode's.
    void Key(int key);
    void End(bool keep);

private:
    QSplitter& m_splitter;
    bool m_bOn = false;
    QList<int> m_sizesBefore;
};

} // namespace qm4edit
