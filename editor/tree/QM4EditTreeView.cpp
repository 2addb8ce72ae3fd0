#include "editor/tree/QM4EditTreeView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>

#include "editor/app/Commands.h"
#include "editor/app/EditorStrings.h"

namespace qm4edit {

CQM4EditTreeView::CQM4EditTreeView(QWidget* parent) : QTreeView(parent), m_model(new CSceneTreeModel(this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setUniformRowHeights(true); // keeps a four-million-row tree cheap to lay out
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(false);
    // The right button is ours: it opens the item's context menu from mousePressEvent.
    setContextMenuPolicy(Qt::PreventContextMenu);
    header()->setStretchLastSection(true);
    m_popupRunner = [](QMenu& menu, const QPoint& globalPos) { return menu.exec(globalPos); };
    connect(this, &QTreeView::collapsed, this, &CQM4EditTreeView::OnCollapsed);
}

void CQM4EditTreeView::AddObject(int objectIndex, const scene::ObjectRecord& record)
{
    m_model->AddObject(objectIndex, record);
}

void CQM4EditTreeView::ClearTree()
{
    m_model->Clear();
}

void CQM4EditTreeView::OnInitialUpdate()
{
    if (m_model->IsEmpty())
        emit RefreshTreeRequested();
    clearSelection();
    setCurrentIndex(QModelIndex());
}

QModelIndex CQM4EditTreeView::GetSelectedItem() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

TreeItemKind CQM4EditTreeView::GetSelectedKind() const
{
    return m_model->Kind(GetSelectedItem());
}

int CQM4EditTreeView::GetSelectedData() const
{
    return m_model->ItemData(GetSelectedItem());
}

int CQM4EditTreeView::GetSelectedPolygonCount() const
{
    const QModelIndex item = GetSelectedItem();
    switch (m_model->Kind(item)) {
    case TreeItemKind::Object: return m_model->rowCount(item);
    case TreeItemKind::Polygon: return 1;
    default: return 0;
    }
}

void CQM4EditTreeView::GetSelectedPolygonVertices(int k, int& a, int& b, int& c) const
{
    a = b = c = -1;
    const QModelIndex item = GetSelectedItem();
    QModelIndex polygon;
    switch (m_model->Kind(item)) {
    case TreeItemKind::Polygon:
        // A polygon is its own only polygon, whatever k asks for.
        polygon = item;
        break;
    case TreeItemKind::Object:
        if (k < 0 || k >= m_model->rowCount(item))
            return;
        polygon = m_model->index(k, 0, item);
        break;
    default: return;
    }
    a = m_model->ItemData(m_model->index(0, 0, polygon));
    b = m_model->ItemData(m_model->index(1, 0, polygon));
    c = m_model->ItemData(m_model->index(2, 0, polygon));
}

TreeItemKind CQM4EditTreeView::GetContextItemKind() const
{
    return m_model->Kind(HitTest(m_ptContext));
}

QModelIndex CQM4EditTreeView::HitTest(const QPoint& point) const
{
    const QModelIndex item = indexAt(point);
    if (!item.isValid())
        return {};
    const QRect rect = visualRect(item);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int labelRight = rect.left() + 2 * margin + fontMetrics().horizontalAdvance(item.data().toString());
    if (point.x() < rect.left() || point.x() >= labelRight || !rect.contains(point))
        return {};
    return item;
}

bool CQM4EditTreeView::IsLeftClickTarget(const QPoint& point) const
{
    if (HitTest(point).isValid())
        return true;
    // The button sits in the indentation just left of the item's own rectangle.
    const QModelIndex item = indexAt(point);
    if (!item.isValid() || !m_model->hasChildren(item))
        return false;
    const QRect rect = visualRect(item);
    return point.x() < rect.left() && point.x() >= rect.left() - indentation();
}

QItemSelectionModel::SelectionFlags CQM4EditTreeView::selectionCommand(const QModelIndex& index,
                                                                       const QEvent* event) const
{
    // Once an item is selected something stays selected: nothing (no click on empty space,
    // no Ctrl+click, no Ctrl+Space) takes the selection away without giving it to another.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags flags = QTreeView::selectionCommand(index, event);
    if (flags.testFlag(QItemSelectionModel::Deselect) || flags.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return flags;
}

void CQM4EditTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        m_bLeftPressPassed = IsLeftClickTarget(point);
        if (!m_bLeftPressPassed) {
            // Empty space, the row beside a label, the indentation: nothing happens.
            event->accept();
            setFocus(Qt::MouseFocusReason);
            return;
        }
        // Modifiers mean nothing to a tree with one selection.
        QMouseEvent plain(event->type(), event->position(), event->scenePosition(), event->globalPosition(),
                          event->button(), event->buttons(), Qt::NoModifier, event->pointingDevice());
        QTreeView::mousePressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    if (event->button() != Qt::RightButton) {
        QTreeView::mousePressEvent(event);
        return;
    }
    // The right button never moves the selection: the menu acts on the clicked item.
    event->accept();
    const QPoint point = event->position().toPoint();
    const QModelIndex item = HitTest(point);
    if (m_model->Kind(item) == TreeItemKind::None)
        return;
    m_ptContext = point;
    RunContextMenu(item, point);
}

void CQM4EditTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    // The press of the right button was never the view's; neither is its release.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        const bool passed = m_bLeftPressPassed;
        m_bLeftPressPassed = false;
        if (!passed) {
            event->accept();
            return;
        }
        QMouseEvent plain(event->type(), event->position(), event->scenePosition(), event->globalPosition(),
                          event->button(), event->buttons(), Qt::NoModifier, event->pointingDevice());
        QTreeView::mouseReleaseEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void CQM4EditTreeView::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging with the left button does not sweep the selection along.
    if (event->buttons() & Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void CQM4EditTreeView::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey || shiftF10) {
        event->accept();
        OpenContextMenuFromKeyboard();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        RunFirstContextCommand();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CQM4EditTreeView::OpenContextMenuFromKeyboard()
{
    const QModelIndex item = GetSelectedItem();
    if (m_model->Kind(item) == TreeItemKind::None)
        return;
    scrollTo(item);
    // A point on the item's label, where a right click would have opened the same menu.
    const QRect rect = visualRect(item);
    const QPoint point(rect.left() + 2, rect.center().y());
    if (HitTest(point) != item)
        return;
    m_ptContext = point;
    RunContextMenu(item, point);
}

void CQM4EditTreeView::RunFirstContextCommand()
{
    const QModelIndex item = GetSelectedItem();
    switch (m_model->Kind(item)) {
    case TreeItemKind::Object: emit ObjectInfoRequested(m_model->ItemData(item)); break;
    case TreeItemKind::Polygon:
        emit PolygonInfoRequested(m_model->ItemData(item.parent()), m_model->ItemData(item));
        break;
    case TreeItemKind::Vertex: emit EditVertexRequested(m_model->ItemData(item)); break;
    default: break;
    }
}

int CQM4EditTreeView::SelectVertex(int vertexIndex)
{
    int count = 0;
    const QModelIndex corner = m_model->FirstCornerOf(vertexIndex, count);
    if (!corner.isValid())
        return count;
    expand(corner.parent().parent());
    expand(corner.parent());
    setCurrentIndex(corner);
    scrollTo(corner);
    return count;
}

bool CQM4EditTreeView::SelectPolygon(int objectIndex, int polygonIndex)
{
    const QModelIndex item = m_model->PolygonItem(objectIndex, polygonIndex);
    if (!item.isValid())
        return false;
    expand(item.parent());
    setCurrentIndex(item);
    scrollTo(item);
    return true;
}

void CQM4EditTreeView::OnCollapsed(const QModelIndex& item)
{
    // A selection hidden inside a collapsed item moves up to that item, as the platform's
    // tree does, and the viewport outlines the new selection.
    for (QModelIndex p = GetSelectedItem().parent(); p.isValid(); p = p.parent()) {
        if (p == item) {
            setCurrentIndex(item);
            return;
        }
    }
}

void CQM4EditTreeView::RunContextMenu(const QModelIndex& item, const QPoint& point)
{
    QMenu menu(QString(MENU_CONTEXT), this);
    auto add = [&menu](int id) {
        QAction* action = menu.addAction(QString(FindCommand(id)->menuText));
        action->setData(id);
    };
    switch (m_model->Kind(item)) {
    case TreeItemKind::Object:
        add(ID_OBJECT_VIEW);
        add(ID_OBJECT_EXPORT);
        break;
    case TreeItemKind::Polygon:
        add(ID_POLYGON_VIEW);
        add(ID_POLYGON_EXPORT);
        break;
    case TreeItemKind::Vertex: add(ID_VERTEX_EDIT); break;
    default: return;
    }
    QAction* chosen = m_popupRunner(menu, viewport()->mapToGlobal(point));
    if (!chosen)
        return; // dismissed: the point stays as it was
    switch (chosen->data().toInt()) {
    case ID_OBJECT_VIEW: OnObjectView(); break;
    case ID_OBJECT_EXPORT: OnObjectExport(); break;
    case ID_POLYGON_VIEW: OnPolygonView(); break;
    case ID_POLYGON_EXPORT: OnPolygonExport(); break;
    case ID_VERTEX_EDIT: OnVertexEdit(); break;
    default: break;
    }
}

QModelIndex CQM4EditTreeView::TakeContextItem(TreeItemKind kind)
{
    QModelIndex item = HitTest(m_ptContext);
    m_ptContext = QPoint(0, 0);
    if (m_model->Kind(item) != kind)
        return {};
    return item;
}

void CQM4EditTreeView::OnObjectView()
{
    const QModelIndex item = TakeContextItem(TreeItemKind::Object);
    if (item.isValid())
        emit ObjectInfoRequested(m_model->ItemData(item));
}

void CQM4EditTreeView::OnObjectExport()
{
    const QModelIndex item = TakeContextItem(TreeItemKind::Object);
    if (item.isValid())
        emit ExportObjectRequested(m_model->ItemData(item));
}

void CQM4EditTreeView::OnPolygonView()
{
    const QModelIndex item = TakeContextItem(TreeItemKind::Polygon);
    if (item.isValid())
        emit PolygonInfoRequested(m_model->ItemData(item.parent()), m_model->ItemData(item));
}

void CQM4EditTreeView::OnPolygonExport()
{
    const QModelIndex item = TakeContextItem(TreeItemKind::Polygon);
    if (item.isValid())
        emit ExportPolygonRequested(m_model->ItemData(item.parent()), m_model->ItemData(item));
}

void CQM4EditTreeView::OnVertexEdit()
{
    const QModelIndex item = TakeContextItem(TreeItemKind::Vertex);
    if (item.isValid())
        emit EditVertexRequested(m_model->ItemData(item));
}

void CQM4EditTreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !IsLeftClickTarget(event->position().toPoint())) {
        event->accept();
        return;
    }
    m_bLeftPressPassed = event->button() == Qt::LeftButton;
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (GetSelectedKind() == TreeItemKind::Vertex)
        emit EditVertexRequested(GetSelectedData());
}

void CQM4EditTreeView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    const QModelIndex item = GetSelectedItem();
    if (!item.isValid())
        return;
    emit RedrawSceneViewRequested();
    switch (m_model->Kind(item)) {
    case TreeItemKind::Object: emit ItemSelected(TreeItemKind::Object, m_model->ItemData(item), -1); break;
    case TreeItemKind::Polygon:
        emit ItemSelected(TreeItemKind::Polygon, m_model->ItemData(item.parent()), m_model->ItemData(item));
        break;
    case TreeItemKind::Vertex:
        emit ItemSelected(TreeItemKind::Vertex, m_model->ItemData(item.parent().parent()),
                          m_model->ItemData(item.parent()));
        break;
    default: break;
    }
}

} // namespace qm4edit
