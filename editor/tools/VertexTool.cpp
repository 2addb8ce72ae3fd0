#include "editor/tools/VertexTool.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <limits>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "editor/app/EditorStrings.h"
#include "editor/ortho/PickIndex.h"
#include "editor/ortho/QM4EditView.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

namespace {

// Every position moved by the same world offset on the projection's two axes.
std::vector<scene::ObjectVertex> Offset(Projection projection, std::span<const scene::ObjectVertex> from, double dh,
                                        double dw)
{
    std::vector<scene::ObjectVertex> out;
    out.reserve(from.size());
    for (const scene::ObjectVertex& p : from) {
        float h, w;
        COrthoCamera::Axes(projection, p, h, w);
        out.push_back(COrthoCamera::WithAxes(projection, p, static_cast<float>(h + dh), static_cast<float>(w + dw)));
    }
    return out;
}

} // namespace

CVertexTool::CVertexTool(CQM4EditView& view) : m_view(view)
{}

CVertexTool::~CVertexTool() = default;

void CVertexTool::SetEditTarget(scene::CQM4EditDoc* doc, EditCommit commit)
{
    Cancel();
    m_pEditDoc = doc;
    m_commit = std::move(commit);
}

void CVertexTool::SetActive(bool on)
{
    if (m_bActive == on)
        return;
    Cancel();
    m_bActive = on;
    m_view.setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
    m_view.Redraw();
}

void CVertexTool::SetSelected(std::vector<int> vertices)
{
    std::sort(vertices.begin(), vertices.end());
    vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
    m_selected = std::move(vertices);
    m_view.Redraw();
}

void CVertexTool::DocumentChanged()
{
    // A new scene may hold fewer vertices than the selection names.
    const scene::CQM4EditDoc& doc = m_view.Document();
    const int count = static_cast<int>(doc.ObjectVertices().Records().size());
    if (!doc.IsLoaded())
        m_selected.clear();
    std::erase_if(m_selected, [count](int v) { return v >= count; });
}

void CVertexTool::Cancel()
{
    if (m_drag) {
        m_drag->Cancel();
        m_drag.reset();
        m_backdrop.Clear();
        SetSnapVertex(-1);
        m_snapIndex.reset();
    }
    if (m_bBanding) {
        m_bBanding = false;
        m_view.Redraw();
    }
}

bool CVertexTool::MousePress(QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton || !m_bActive || !m_pEditDoc || !m_view.Document().IsLoaded())
        return false;
    Cancel();
    const QPoint point = event.position().toPoint();
    m_ptToolStart = point;
    const int vertex = m_view.PickVertex(point);
    if (vertex < 0) {
        m_bBanding = true;
        m_band = QRect(point, point);
        m_bandModifiers = event.modifiers();
        return true;
    }
    // Pressing a vertex outside the selection makes it the selection; inside, all of them move.
    if (!std::binary_search(m_selected.begin(), m_selected.end(), vertex))
        m_selected = {vertex};
    m_drag.emplace(*m_pEditDoc, m_selected);
    m_backdrop.Start(m_drag->Vertices());
    m_nGrabbed = vertex;
    m_grabStart = m_view.Document().GetVertex(vertex);
    m_ptToolLast = point;
    m_view.Redraw();
    return true;
}

bool CVertexTool::MouseMove(QMouseEvent& event)
{
    if (m_drag || m_bBanding)
        Move(event.position().toPoint(), event.modifiers());
    // The pointer moved all the same: the view still reports where it is.
    return false;
}

void CVertexTool::Move(const QPoint& point, Qt::KeyboardModifiers modifiers)
{
    m_ptToolLast = point;
    if (m_bBanding) {
        m_band = QRect(m_ptToolStart, point).normalized();
        m_view.Redraw();
        return;
    }
    const ViewState& state = m_view.State();
    const int dx = point.x() - m_ptToolStart.x(), dy = point.y() - m_ptToolStart.y();
    const scene::ObjectVertex d = state.ScreenDelta(dx, dy);
    int target = -1;
    if (modifiers & Qt::ControlModifier) {
        const scene::ObjectVertex raw{m_grabStart.x + d.x, m_grabStart.y + d.y, m_grabStart.z + d.z};
        std::int64_t px = 0, py = 0;
        if (state.ToPixel(raw, m_view.width(), m_view.height(), px, py) && std::llabs(px) < (1 << 30) &&
            std::llabs(py) < (1 << 30))
            target = FindSnapTarget(QPoint(static_cast<int>(px), static_cast<int>(py)));
    }
    SetSnapVertex(target);
    if (target < 0 && !state.grid) {
        m_drag->MoveBy(d.x, d.y, d.z);
        return;
    }
    // The grabbed vertex lands exactly on the target or grid point; the others keep their
    // places relative to it.
    float gh, gw;
    COrthoCamera::Axes(state.projection, m_grabStart, gh, gw);
    double h, w;
    if (target >= 0) {
        float th, tw;
        COrthoCamera::Axes(state.projection, m_view.Document().GetVertex(target), th, tw);
        h = th;
        w = tw;
    } else {
        const double s = state.Scale();
        h = m_view.ToGrid(gh + dx / s);
        w = m_view.ToGrid(gw - dy / s);
    }
    m_drag->MoveTo(Offset(state.projection, m_drag->StartPositions(), h - gh, w - gw));
}

int CVertexTool::FindSnapTarget(const QPoint& pixel) const
{
    const ViewState& state = m_view.State();
    const int projection = std::clamp(static_cast<int>(state.projection), 0, 2);
    if (!m_snapIndex || m_snapIndex->Projection() != projection) {
        // The dragged vertices stand nowhere as far as the index knows.
        const auto records = m_view.Document().ObjectVertices().Records();
        std::vector<scene::ObjectVertex> still(records.begin(), records.end());
        const float nowhere = std::numeric_limits<float>::quiet_NaN();
        if (m_drag)
            for (const int v : m_drag->Vertices())
                still[static_cast<std::size_t>(v)] = {nowhere, nowhere, nowhere};
        m_snapIndex = std::make_unique<CPickIndex>(still, projection);
    }
    return m_snapIndex->Nearest(state, m_view.width(), m_view.height(), pixel.x(), pixel.y(), SNAP_RADIUS);
}

void CVertexTool::SetSnapVertex(int vertex)
{
    if (vertex == m_nSnapVertex)
        return;
    m_nSnapVertex = vertex;
    m_view.ReportStatus(vertex >= 0 ? SnapMessage(vertex, m_view.Document().GetVertex(vertex)) : QString());
}

bool CVertexTool::MouseRelease(QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton || !(m_drag || m_bBanding))
        return false;
    Release(event.position().toPoint(), event.modifiers());
    return true;
}

void CVertexTool::Release(const QPoint& point, Qt::KeyboardModifiers modifiers)
{
    const bool click = IsClick(m_ptToolStart, point);
    if (m_bBanding) {
        m_bBanding = false;
        if (click) {
            // A click on empty space clears the selection unless it means to add or toggle.
            if (!(m_bandModifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
                m_selected.clear();
            m_view.Redraw();
            return;
        }
        SelectInBand(QRect(m_ptToolStart, point).normalized(), m_bandModifiers);
        return;
    }
    if (click) {
        // Picks like a click without the tool, and leaves the vertex where it was.
        Cancel();
        const int vertex = m_view.PickVertex(m_ptToolStart);
        if (vertex >= 0)
            m_view.ReportPick(vertex);
        return;
    }
    Move(point, modifiers);
    scene::CVertexEdit edit = m_drag->Finish();
    const bool several = m_drag->Vertices().size() > 1;
    m_drag.reset();
    m_backdrop.Clear();
    m_snapIndex.reset();
    // The status bar goes on naming the vertex snapped onto.
    m_nSnapVertex = -1;
    if (m_commit)
        m_commit(several ? MOVE_VERTICES_STEP : MOVE_VERTEX_STEP, std::move(edit));
}

void CVertexTool::SelectInBand(const QRect& band, Qt::KeyboardModifiers modifiers)
{
    std::vector<int> inside;
    const ViewState& state = m_view.State();
    const auto vertices = m_view.Document().ObjectVertices().Records();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        std::int64_t px = 0, py = 0;
        if (state.ToPixel(vertices[i], m_view.width(), m_view.height(), px, py) && px >= band.left() &&
            px <= band.right() && py >= band.top() && py <= band.bottom())
            inside.push_back(static_cast<int>(i));
    }
    std::vector<int> result;
    if (modifiers & Qt::ControlModifier)
        std::set_symmetric_difference(m_selected.begin(), m_selected.end(), inside.begin(), inside.end(),
                                      std::back_inserter(result));
    else if (modifiers & Qt::ShiftModifier)
        std::set_union(m_selected.begin(), m_selected.end(), inside.begin(), inside.end(), std::back_inserter(result));
    else
        result = std::move(inside);
    m_selected = std::move(result);
    m_view.Redraw();
}

void CVertexTool::Nudge(int dh, int dv, float step)
{
    if (!m_pEditDoc || m_selected.empty() || m_drag)
        return;
    const ViewState& state = m_view.State();
    std::vector<scene::ObjectVertex> from;
    from.reserve(m_selected.size());
    for (int v : m_selected)
        from.push_back(m_view.Document().GetVertex(v));
    std::vector<scene::ObjectVertex> to;
    if (state.grid) {
        // The vertex last grabbed (else the first selected) lands on the grid point nearest
        // one step on; the others keep their places relative to it.
        const auto it = std::lower_bound(m_selected.begin(), m_selected.end(), m_nGrabbed);
        const std::size_t ref =
            it != m_selected.end() && *it == m_nGrabbed ? static_cast<std::size_t>(it - m_selected.begin()) : 0;
        float h, w;
        COrthoCamera::Axes(state.projection, from[ref], h, w);
        const double nh = m_view.ToGrid(h + static_cast<double>(dh) * step);
        const double nw = m_view.ToGrid(w + static_cast<double>(dv) * step);
        to = Offset(state.projection, from, nh - h, nw - w);
    } else {
        // One step in world units on screen's axes: right is +h, up is +w.
        const double s = state.Scale();
        const scene::ObjectVertex d = state.ScreenDelta(dh * step * s, -dv * step * s);
        for (const scene::ObjectVertex& p : from)
            to.push_back({p.x + d.x, p.y + d.y, p.z + d.z});
    }
    std::vector<scene::VertexChange> changes;
    changes.reserve(m_selected.size());
    for (std::size_t i = 0; i < m_selected.size(); ++i)
        changes.push_back({m_selected[i], to[i].x, to[i].y, to[i].z});
    if (m_commit)
        m_commit(NUDGE_STEP, scene::CVertexEdit(std::move(changes)));
}

bool CVertexTool::KeyPress(QKeyEvent& event)
{
    if ((m_drag || m_bBanding) && event.key() == Qt::Key_Escape) {
        Cancel();
        return true;
    }
    if (m_drag && event.key() == Qt::Key_Control) {
        // Pressing or letting go of Ctrl mid-drag snaps or frees the vertex at once.
        Move(m_ptToolLast, event.modifiers() | Qt::ControlModifier);
        return true;
    }
    if (!m_bActive || m_selected.empty())
        return false;
    const float grid = m_view.GridStep();
    const float step = (event.modifiers() & Qt::ShiftModifier) ? grid * 10.0f : grid;
    switch (event.key()) {
    case Qt::Key_Left: Nudge(-1, 0, step); return true;
    case Qt::Key_Right: Nudge(1, 0, step); return true;
    case Qt::Key_Up: Nudge(0, 1, step); return true;
    case Qt::Key_Down: Nudge(0, -1, step); return true;
    default: return false;
    }
}

bool CVertexTool::KeyRelease(QKeyEvent& event)
{
    if (m_drag && event.key() == Qt::Key_Control && !event.isAutoRepeat()) {
        Move(m_ptToolLast, event.modifiers() & ~Qt::ControlModifier);
        return true;
    }
    return false;
}

void CVertexTool::DrawOverlay(QPaintDevice& device) const
{
    const scene::CQM4EditDoc& doc = m_view.Document();
    if (!doc.IsLoaded() || device.width() <= 0 || device.height() <= 0 || (m_selected.empty() && !m_bBanding))
        return;
    QPainter painter(&device);
    const ViewState& state = m_view.State();
    const QColor hilite = QColor::fromRgb(RgbFromColorref(state.hiliteColor));
    const auto vertices = doc.ObjectVertices().Records();
    for (int v : m_selected) {
        std::int64_t px = 0, py = 0;
        if (v < 0 || static_cast<std::size_t>(v) >= vertices.size() ||
            !state.ToPixel(vertices[static_cast<std::size_t>(v)], device.width(), device.height(), px, py))
            continue;
        if (px < -4 || py < -4 || px > device.width() + 4 || py > device.height() + 4)
            continue;
        painter.fillRect(QRect(static_cast<int>(px) - 2, static_cast<int>(py) - 2, 5, 5), hilite);
    }
    if (m_bBanding) {
        painter.setPen(QPen(hilite, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_band);
    }
}

} // namespace qm4edit
