#include "editor/tree/SceneTreeModel.h"

#include <algorithm>

#include "editor/app/EditorStrings.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

namespace {

// Internal ids: the kind in the low two bits, above it the object row, the polygon counted
// across all objects, or that polygon times three plus the corner.
constexpr quintptr MakeId(std::uint64_t payload, TreeItemKind kind)
{
    return static_cast<quintptr>((payload << 2) | static_cast<std::uint64_t>(kind));
}

} // namespace

CSceneTreeModel::CSceneTreeModel(QObject* parent) : QAbstractItemModel(parent)
{}

void CSceneTreeModel::Clear()
{
    beginResetModel();
    m_objectIndex.clear();
    m_objectIndex.shrink_to_fit();
    m_polygonStart.assign(1, 0);
    m_polygonStart.shrink_to_fit();
    m_bUsesBuilt = false;
    endResetModel();
}

void CSceneTreeModel::AddObject(int objectIndex, const scene::ObjectRecord& record)
{
    const int row = static_cast<int>(m_objectIndex.size());
    beginInsertRows(QModelIndex(), row, row);
    m_objectIndex.push_back(objectIndex);
    m_polygonStart.push_back(m_polygonStart.back() + record.polygons.size());
    m_bUsesBuilt = false;
    endInsertRows();
}

void CSceneTreeModel::BuildVertexUses() const
{
    // Polygons name vertices by 16-bit index.
    constexpr std::size_t kIndices = 65536;
    constexpr std::uint64_t kUnused = ~std::uint64_t{0};
    m_firstUse.assign(kIndices, kUnused);
    m_useCount.assign(kIndices, 0);
    m_bUsesBuilt = true;
    if (!m_pDoc)
        return;
    for (std::size_t row = 0; row < m_objectIndex.size(); ++row) {
        const scene::ObjectRecord& record = m_pDoc->GetObjectRecord(m_objectIndex[row]);
        const std::uint64_t start = m_polygonStart[row];
        const std::uint64_t shown = m_polygonStart[row + 1] - start;
        for (std::uint64_t p = 0; p < shown && p < record.polygons.size(); ++p) {
            for (int c = 0; c < 3; ++c) {
                const std::uint16_t v = record.polygons[p].vertex[c];
                if (m_firstUse[v] == kUnused)
                    m_firstUse[v] = (start + p) * 3 + static_cast<std::uint64_t>(c);
                ++m_useCount[v];
            }
        }
    }
}

QModelIndex CSceneTreeModel::FirstCornerOf(int vertexIndex, int& cornerCount) const
{
    cornerCount = 0;
    if (vertexIndex < 0 || vertexIndex > 65535)
        return {};
    if (!m_bUsesBuilt)
        BuildVertexUses();
    const auto v = static_cast<std::size_t>(vertexIndex);
    cornerCount = m_useCount[v];
    if (cornerCount == 0)
        return {};
    const std::uint64_t corner = m_firstUse[v];
    return createIndex(static_cast<int>(corner % 3), 0, MakeId(corner, TreeItemKind::Vertex));
}

QModelIndex CSceneTreeModel::ObjectItem(int objectIndex) const
{
    // Rows show the objects in index order, so the row is nearly always the index itself.
    const auto rows = static_cast<int>(m_objectIndex.size());
    if (objectIndex >= 0 && objectIndex < rows && m_objectIndex[static_cast<std::size_t>(objectIndex)] == objectIndex)
        return index(objectIndex, 0);
    const auto it = std::find(m_objectIndex.begin(), m_objectIndex.end(), objectIndex);
    return it == m_objectIndex.end() ? QModelIndex() : index(static_cast<int>(it - m_objectIndex.begin()), 0);
}

QModelIndex CSceneTreeModel::PolygonItem(int objectIndex, int polygonIndex) const
{
    return index(polygonIndex, 0, ObjectItem(objectIndex));
}

std::uint64_t CSceneTreeModel::TotalItemCount() const
{
    // Each polygon brings itself and its three corners.
    return m_objectIndex.size() + 4 * m_polygonStart.back();
}

CSceneTreeModel::Decoded CSceneTreeModel::Decode(const QModelIndex& index) const
{
    Decoded d;
    if (!index.isValid() || index.model() != this)
        return d;
    const std::uint64_t id = index.internalId();
    d.kind = static_cast<TreeItemKind>(id & 3);
    const std::uint64_t payload = id >> 2;
    switch (d.kind) {
    case TreeItemKind::Object: d.row = static_cast<int>(payload); break;
    case TreeItemKind::Polygon:
        d.polygon = payload;
        d.row = ObjectRowOfPolygon(d.polygon);
        break;
    case TreeItemKind::Vertex:
        d.polygon = payload / 3;
        d.corner = static_cast<int>(payload % 3);
        d.row = ObjectRowOfPolygon(d.polygon);
        break;
    default: d.kind = TreeItemKind::None; break;
    }
    return d;
}

int CSceneTreeModel::ObjectRowOfPolygon(std::uint64_t globalPolygon) const
{
    // The last row whose polygons start at or before this one; rows without polygons share
    // their start with the next row and are passed over.
    auto it = std::upper_bound(m_polygonStart.begin(), m_polygonStart.end(), globalPolygon);
    return static_cast<int>(it - m_polygonStart.begin()) - 1;
}

TreeItemKind CSceneTreeModel::Kind(const QModelIndex& index) const
{
    return Decode(index).kind;
}

int CSceneTreeModel::ItemData(const QModelIndex& index) const
{
    const Decoded d = Decode(index);
    switch (d.kind) {
    case TreeItemKind::Object: return m_objectIndex[static_cast<std::size_t>(d.row)];
    case TreeItemKind::Polygon: return PolygonIndexInObject(d);
    case TreeItemKind::Vertex:
        if (!m_pDoc)
            return 0;
        return m_pDoc->GetPolygon(m_objectIndex[static_cast<std::size_t>(d.row)], PolygonIndexInObject(d))
            .vertex[d.corner];
    default: return -1;
    }
}

QModelIndex CSceneTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0 || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, 0, MakeId(static_cast<std::uint64_t>(row), TreeItemKind::Object));
    const Decoded p = Decode(parent);
    if (p.kind == TreeItemKind::Object) {
        const std::uint64_t g = m_polygonStart[static_cast<std::size_t>(p.row)] + static_cast<std::uint64_t>(row);
        return createIndex(row, 0, MakeId(g, TreeItemKind::Polygon));
    }
    if (p.kind == TreeItemKind::Polygon)
        return createIndex(row, 0, MakeId(p.polygon * 3 + static_cast<std::uint64_t>(row), TreeItemKind::Vertex));
    return {};
}

QModelIndex CSceneTreeModel::parent(const QModelIndex& child) const
{
    const Decoded d = Decode(child);
    switch (d.kind) {
    case TreeItemKind::Polygon:
        return createIndex(d.row, 0, MakeId(static_cast<std::uint64_t>(d.row), TreeItemKind::Object));
    case TreeItemKind::Vertex: return createIndex(PolygonIndexInObject(d), 0, MakeId(d.polygon, TreeItemKind::Polygon));
    default: return {};
    }
}

int CSceneTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(m_objectIndex.size());
    if (parent.column() != 0)
        return 0;
    const Decoded d = Decode(parent);
    switch (d.kind) {
    case TreeItemKind::Object: {
        const auto r = static_cast<std::size_t>(d.row);
        return static_cast<int>(m_polygonStart[r + 1] - m_polygonStart[r]);
    }
    case TreeItemKind::Polygon: return 3;
    default: return 0;
    }
}

int CSceneTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool CSceneTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant CSceneTreeModel::data(const QModelIndex& index, int role) const
{
    const Decoded d = Decode(index);
    if (d.kind == TreeItemKind::None)
        return {};
    if (role == Qt::DisplayRole) {
        switch (d.kind) {
        case TreeItemKind::Object:
            return QString(TREE_OBJECT_LABEL).arg(m_objectIndex[static_cast<std::size_t>(d.row)] + 1);
        case TreeItemKind::Polygon: return QString(TREE_POLYGON_LABEL).arg(PolygonIndexInObject(d) + 1);
        default: return QString(TREE_VERTEX_LABEL).arg(d.corner + 1);
        }
    }
    if (role == ItemDataRole)
        return ItemData(index);
    if (role == ItemKindRole)
        return static_cast<int>(d.kind);
    return {};
}

Qt::ItemFlags CSceneTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace qm4edit
