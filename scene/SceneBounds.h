#pragma once
// Section 7: a tree of boxes over the objects, rooted in one node that always exists.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/ByteReader.h"
#include "common/ByteWriter.h"
#include "scene/SceneRecords.h"

namespace scene {

class CObjectInfoList;

class CBoundsNode {
public:
    Box box = {{0, 0, 0}, {0, 0, 0}};
    std::uint16_t childCount = 0;
    std::uint16_t objectIndex = 0; // leaf: object covered; inner node: 0xFFFF
    std::vector<CBoundsNode> children;

    bool IsLeaf() const { return childCount == 0; }
};

// Boxes of the scene bounds tree a partial recompute overwrote, by preorder position.
struct SceneBoundsLog {
    struct Node {
        std::uint32_t preorder;
        Box box; // as it stood before
    };
    std::vector<Node> nodes; // ascending preorder

    std::size_t ByteSize() const { return nodes.size() * sizeof(Node); }
};

class CSceneBounds {
public:
    void Serialize(common::ByteReader& ar);
    void Serialize(common::ByteWriter& ar) const;
    std::size_t SerializedSize() const;
    // Destroys every node below the root and resets the root.
    void Clear();

    // Every node's box becomes the union of the boxes below it; a leaf takes its object's
    // bounds. A leaf naming a missing object keeps the empty box. log, when given, receives
    // the boxes overwritten.
    void RecomputeBounds(const CObjectInfoList& objects, SceneBoundsLog* log = nullptr);
    // Whether every stored box is what RecomputeBounds would give.
    bool MatchesRecompute(const CObjectInfoList& objects) const;
    // Recomputes only the nodes above a leaf of an object marked in changed; where every other
    // box is still what a recompute gives, the result is exactly RecomputeBounds'. log, when
    // given, receives the boxes overwritten.
    void RecomputeBounds(const CObjectInfoList& objects, std::span<const std::uint8_t> changed,
                         SceneBoundsLog* log = nullptr);
    void RestoreBounds(const SceneBoundsLog& log);

    const CBoundsNode& Root() const { return m_root; }
    // Number of nodes, the root included.
    std::size_t NodeCount() const;

private:
    CBoundsNode m_root;
};

} // namespace scene
