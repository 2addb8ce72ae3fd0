#pragma once
// Section 6: the objects, their polygons and each object's quantized bounds tree.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "common/ByteReader.h"
#include "common/ByteWriter.h"
#include "scene/SceneRecords.h"

namespace scene {

// What a node needs to compute boxes: its object's polygons and the scene's vertices.
// Indices out of range (a leaf's polygon, a corner's vertex) are skipped.
struct ObjectGeometry {
    std::span<const PolygonRecord> polygons;
    std::span<const ObjectVertex> vertices;
};

class CPolygonBoundsNode {
public:
    float step = 0.0f;
    std::uint8_t qMin[3] = {0, 0, 0};
    std::uint8_t qMax[3] = {0, 0, 0};
    std::uint16_t childCount = 0;
    std::uint16_t polygon = 0; // leaf: polygon of the owning object; inner node: 0xFFFF
    std::vector<CPolygonBoundsNode> children;

    bool IsLeaf() const { return childCount == 0; }

    void Clear();
};

class CPolygonBoundsTree {
public:
    std::vector<CPolygonBoundsNode> roots;

    void Clear() { roots.clear(); }
    std::size_t NodeCount() const;
};

// The stored quantized box of one node, as its bytes stand in the file.
#pragma pack(push, 1)
struct NodeQuant {
    float step;
    std::uint8_t qMin[3];
    std::uint8_t qMax[3];
};
#pragma pack(pop)
static_assert(sizeof(NodeQuant) == 10);

// The bounds bytes a partial recompute overwrote, so that an undo can put back exactly what
// stood there (a file's stored boxes need not equal a recompute). Only objects and nodes
// whose bytes changed are listed.
struct ObjectBoundsLog {
#pragma pack(push, 1)
    struct Node {
        std::uint32_t preorder; // position of the node in its tree, depth first, roots in order
        NodeQuant quant; // as it stood before
    };
#pragma pack(pop)
    struct Object {
        std::uint32_t object;
        Box bounds; // as it stood before
        std::vector<Node> nodes; // ascending preorder
    };
    std::vector<Object> objects; // ascending object index

    std::size_t ByteSize() const
    {
        std::size_t n = objects.capacity() * sizeof(Object);
        for (const Object& o : objects)
            n += o.nodes.capacity() * sizeof(Node);
        return n;
    }
    bool Empty() const
    {
        return objects.empty();
    }
    // Gives back room reserved beyond what was logged, where that is worth a copy.
    void Trim();
};

// The quantization of one node against parent box p, given the node's exact box e. Sets
// step, qMin and qMax, and returns the node's decoded box (what its children are quantized
// against).
Box QuantizeNode(CPolygonBoundsNode& node, const Box& e, const Box& p);

class CObjectInfoList {
public:
    void Serialize(common::ByteReader& ar);
    void Serialize(common::ByteWriter& ar) const;
    std::size_t SerializedSize() const;
    void Clear();

    int GetObjectCount() const { return static_cast<int>(m_objects.size()); }
    bool IsValidObject(std::size_t i) const { return i < m_objects.size(); }
    // Out of range: an empty record.
    const ObjectRecord& GetObjectRecord(std::size_t i) const;
    int GetPolygonCount(std::size_t i) const;
    // Out of range: an all-zero record.
    PolygonRecord GetPolygon(std::size_t object, std::size_t polygon) const;
    // A polygon's texture index, which no box depends on. Returns false, storing nothing,
    // when the polygon is out of range.
    bool SetPolygonTexture(std::size_t object, std::size_t polygon, std::uint16_t texture);
    const CPolygonBoundsTree& GetTree(std::size_t i) const { return m_trees[i]; } // unchecked
    std::span<const ObjectRecord> Objects() const { return m_objects; }

    std::size_t TotalPolygonCount() const;
    std::size_t TotalTreeNodeCount() const;

    // Every object's bounds and every tree node's step, qMin and qMax from the current
    // vertex positions. log, when given, receives the bytes overwritten.
    void RecomputeObjectBounds(std::span<const ObjectVertex> vertices, ObjectBoundsLog* log = nullptr);
    // Whether every stored box and tree node holds what RecomputeObjectBounds would give.
    bool BoundsMatchRecompute(std::span<const ObjectVertex> vertices) const;
    // The same for the listed objects (ascending) after the vertices marked in moved have
    // moved, where every other box is still what a recompute gives: only nodes whose exact
    // box or parent box changed are requantized. On such a scene the result is exactly what
    // RecomputeObjectBounds gives. log, when given, receives the bytes overwritten.
    void RecomputeObjectBounds(std::span<const ObjectVertex> vertices, std::span<const std::uint32_t> objects,
                               std::span<const std::uint8_t> moved, ObjectBoundsLog* log = nullptr);
    // Builds now what the first partial recompute would otherwise build: the exact box of
    // every tree node (some tens of bytes per node), kept until the scene is cleared.
    void PrepareExactBoxes(std::span<const ObjectVertex> vertices);
    // Puts back the bytes a logged recompute overwrote.
    void RestoreObjectBounds(const ObjectBoundsLog& log);

    // Hands every object, in index order, to add.
    void AddObjectsToTree(const std::function<void(int, const ObjectRecord&)>& add) const;

private:
    // The exact (unquantized) box of every node of one object's tree, kept between partial
    // recomputes so that a commit recomputes only the paths above the leaves it touched.
    struct ExactBoxes {
        std::vector<Box> boxes; // preorder, roots in order
        std::vector<std::uint32_t> ends; // one past each subtree's last node
        std::vector<std::uint32_t> parents; // a root's is its own index
        std::vector<std::uint32_t> leaves; // preorder of every leaf
        std::vector<std::uint16_t> polygons; // the polygon of each of leaves

        bool Empty() const { return boxes.empty() && leaves.empty(); }
    };
    void BuildExactBoxes(std::size_t object, const ObjectGeometry& geo);
    // Brings one object's cached boxes up to the vertices marked in changed.
    void RefreshExactBoxes(std::size_t object, const ObjectGeometry& geo, std::span<const std::uint8_t> changed);
    // Drops the cache when the scene changed shape, else refreshes it where vertices moved
    // since it was last brought up to date.
    void CatchUpExactBoxes(std::span<const ObjectVertex> vertices);
    void DropExactBoxes();

    std::vector<ObjectRecord> m_objects;
    std::vector<CPolygonBoundsTree> m_trees; // tree i belongs to object i
    std::vector<ExactBoxes> m_exact; // per object; empty until a partial recompute needs it
    std::vector<std::uint8_t> m_hasExact; // per object
    // The vertices as the cached boxes saw them: a later partial recompute first catches up
    // with whatever moved since (an undo puts vertices back without recomputing).
    std::vector<ObjectVertex> m_exactVertices;
};

} // namespace scene
