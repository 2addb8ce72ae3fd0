#pragma once
// The Textures pane: a dockable list of the scene's texture names, each with a thumbnail of
// the texture as the 3D view finds it and how many polygons use it, and the buttons and
// context menu that act on the current name. It changes nothing itself: every request goes
// out as a signal, and the frame's texture commands answer it.

#include <cstddef>
#include <functional>
#include <vector>

#include <QDockWidget>
#include <QImage>
#include <QString>

class QMenu;
class QPushButton;
class QTreeWidget;

namespace qm4edit {

class CTexturesPane final : public QDockWidget {
    Q_OBJECT

public:
    struct Row {
        QImage thumbnail;
        QString name;
        std::size_t uses = 0;
    };
    // Shows the popup at a screen point and returns the chosen action (null when dismissed).
    using PopupRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;

    explicit CTexturesPane(QWidget* parent = nullptr);

    // One row per texture name in index order; the current row stays where it was when it
    // still exists.
    void SetRows(const std::vector<Row>& rows);
    int RowCount() const;
    // The current row's texture index; -1 when there is none.
    int CurrentTexture() const;
    void SetCurrentTexture(int texture);
    // Whether there are picked faces to assign to, and a scene to add names to.
    void SetState(bool canAssign, bool loaded);
    QTreeWidget* List() const { return m_pList; }
    void SetPopupRunner(PopupRunner runner) { m_popupRunner = std::move(runner); }

signals:
    void AssignRequested(int texture);
    void SelectFacesUsingRequested(int texture);
    void RenameRequested(int texture);
    void AddRequested();
    void RemoveRequested(int texture);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateButtons();
    void RunContextMenu(const QPoint& point);

    QTreeWidget* m_pList = nullptr;
    QPushButton* m_pSelectUsing = nullptr;
    QPushButton* m_pRename = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pRemove = nullptr;
    std::vector<std::size_t> m_uses;
    bool m_bCanAssign = false;
    bool m_bLoaded = false;
    PopupRunner m_popupRunner;
};

} // namespace qm4edit
