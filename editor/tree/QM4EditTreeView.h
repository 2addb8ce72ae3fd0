#pragma once
// The left pane: the scene as a tree of objects, polygons and corners. Its selection is what
// the viewport outlines; its context menus and double-click ask the main frame (through
// signals) for the inspector dialogs and the one-object export.

#include <functional>

#include <QPoint>
#include <QTreeView>

#include "editor/tree/SceneTreeModel.h"
#include "editor/ViewSelection.h"

class QMenu;
class QAction;

namespace qm4edit {

class CQM4EditTreeView final : public QTreeView, public ISceneSelection {
    Q_OBJECT

public:
    // Shows the popup at a screen point and returns the chosen action (null when dismissed).
    // Tests replace it to choose from the menu headless.
    using PopupRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;

    explicit CQM4EditTreeView(QWidget* parent = nullptr);

    void SetDocument(const scene::CQM4EditDoc* doc) { m_model->SetDocument(doc); }
    void SetPopupRunner(PopupRunner runner) { m_popupRunner = std::move(runner); }

    // ---- building (the document's tree refresh leads here) ----
    void AddObject(int objectIndex, const scene::ObjectRecord& record);
    void ClearTree();
    // After each new or opened document: fill an empty tree, then select nothing.
    void OnInitialUpdate();

    // ---- queries ----
    TreeItemKind GetItemKind(const QModelIndex& item) const { return m_model->Kind(item); }
    int GetItemData(const QModelIndex& item) const { return m_model->ItemData(item); }
    TreeItemKind GetSelectedKind() const override;
    int GetSelectedData() const override;
    int GetSelectedPolygonCount() const override;
    void GetSelectedPolygonVertices(int k, int& a, int& b, int& c) const override;
    TreeItemKind GetContextItemKind() const;
    QModelIndex GetSelectedItem() const;

    // The item whose label lies under a point of the pane's viewport; a point beside the
    // label, in the indentation or below the last row finds nothing.
    QModelIndex HitTest(const QPoint& point) const;
    QPoint GetContextPoint() const { return m_ptContext; }
    const CSceneTreeModel& Model() const { return *m_model; }

    // Selects the first corner item that uses a vertex, expanding its parents and scrolling
    // it into view; returns how many corners use the vertex (0: nothing is selected).
    int SelectVertex(int vertexIndex);
    // Selects a polygon's item, expanding its object and scrolling it into view; false when
    // the tree has no such item.
    bool SelectPolygon(int objectIndex, int polygonIndex);
    // The selected item's context menu, opened from the keyboard at the item.
    void OpenContextMenuFromKeyboard();
    // The first command of the selected item's context menu (View... or Edit...).
    void RunFirstContextCommand();

    // ---- context commands; each acts on the item under the right-click point ----
    void OnObjectView();
    void OnObjectExport();
    void OnPolygonView();
    void OnPolygonExport();
    void OnVertexEdit();

signals:
    void RefreshTreeRequested();
    void RedrawSceneViewRequested();
    void EditVertexRequested(int vertexIndex);
    void ObjectInfoRequested(int objectIndex);
    void PolygonInfoRequested(int objectIndex, int polygonIndex);
    void ExportObjectRequested(int objectIndex);
    void ExportPolygonRequested(int objectIndex, int polygonIndex);
    // An item became the selection: an object (polygon -1), a polygon or a corner (its
    // polygon's numbers), by the user or by a call.
    void ItemSelected(TreeItemKind kind, int objectIndex, int polygonIndex);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    // The item under m_ptContext if it has the kind the command belongs to; resets the point.
    QModelIndex TakeContextItem(TreeItemKind kind);
    void RunContextMenu(const QModelIndex& item, const QPoint& point);
    // Whether a left press at point is one the tree acts on: on a label, or on the
    // expand/collapse button of a row.
    bool IsLeftClickTarget(const QPoint& point) const;
    void OnCollapsed(const QModelIndex& item);

    // A child of the view, so it outlives the view's own teardown.
    CSceneTreeModel* m_model;
    QPoint m_ptContext{0, 0};
    PopupRunner m_popupRunner;
    bool m_bLeftPressPassed = false;
};

} // namespace qm4edit
