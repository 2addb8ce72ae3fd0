#pragma once
// The scene tree as a lazy item model: objects, their polygons, each polygon's three
// corners. Nothing per polygon is stored; an index's internal id encodes where it sits, so a
// scene with a million polygons costs two small integers per object, not four million items.

#include <cstdint>
#include <vector>

#include <QAbstractItemModel>

#include "editor/EditorTypes.h"

namespace scene {
class CQM4EditDoc;
struct ObjectRecord;
} // namespace scene

namespace qm4edit {

class CSceneTreeModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    // The item's one integer: object index, polygon index within its object, or vertex index.
    static constexpr int ItemDataRole = Qt::UserRole;
    static constexpr int ItemKindRole = Qt::UserRole + 1;

    explicit CSceneTreeModel(QObject* parent = nullptr);

    // Where corner items read their vertex index. Not owned.
    void SetDocument(const scene::CQM4EditDoc* doc) { m_pDoc = doc; }

    void Clear();
    // Appends "Object <i+1>" with one "Polygon" item per polygon of record.
    void AddObject(int objectIndex, const scene::ObjectRecord& record);

    bool IsEmpty() const { return m_objectIndex.empty(); }
    // Every item of the tree, at every level.
    std::uint64_t TotalItemCount() const;

    // The corner item of the first object, polygon and corner, in index order, that uses
    // a vertex, and how many corners use it; invalid (and 0) when none does.
    QModelIndex FirstCornerOf(int vertexIndex, int& cornerCount) const;
    // The item of an object, or of one of its polygons; invalid when the tree has none.
    QModelIndex ObjectItem(int objectIndex) const;
    QModelIndex PolygonItem(int objectIndex, int polygonIndex) const;

    TreeItemKind Kind(const QModelIndex& index) const;
    // -1 for an invalid index.
    int ItemData(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Decoded {
        TreeItemKind kind = TreeItemKind::None;
        int row = 0; // the object's row
        std::uint64_t polygon = 0; // polygon, counted across all objects
        int corner = 0;
    };
    Decoded Decode(const QModelIndex& index) const;
    int ObjectRowOfPolygon(std::uint64_t globalPolygon) const;
    int PolygonIndexInObject(const Decoded& d) const
    {
        return static_cast<int>(d.polygon - m_polygonStart[static_cast<std::size_t>(d.row)]);
    }

    void BuildVertexUses() const;

    const scene::CQM4EditDoc* m_pDoc = nullptr;
    // Per vertex: its first corner (polygon counted across objects, times three, plus the
    // corner) and its number of corners. Built at the first question, dropped on change.
    mutable std::vector<std::uint64_t> m_firstUse;
    mutable std::vector<int> m_useCount;
    mutable bool m_bUsesBuilt = false;
    // Per object row: the object index it shows, and where its polygons start when all
    // objects' polygons are counted in a row. m_polygonStart has one extra entry: the total.
    std::vector<int> m_objectIndex;
    std::vector<std::uint64_t> m_polygonStart{0};
};

} // namespace qm4edit
