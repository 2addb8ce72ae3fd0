#include "scene/SceneBounds.h"

#include <algorithm>
#include <cstring>

#include "common/UserError.h"
#include "scene/ObjectInfo.h"
#include "scene/RecordLists.h"
#include "scene/SceneMessages.h"

namespace scene {

namespace {

constexpr std::size_t NODE_HEAD_SIZE = 26; // box and child count; a leaf adds 2 bytes

struct TooDeep {};

void ReadNode(common::ByteReader& ar, CBoundsNode& node, int depth)
{
    if (depth > MAX_TREE_DEPTH)
        throw TooDeep{};
    auto head = ar.Bytes(NODE_HEAD_SIZE);
    std::memcpy(&node.box, head.data(), sizeof(Box));
    node.childCount = static_cast<std::uint16_t>(head[24] | (head[25] << 8));
    if (node.childCount == 0) {
        node.objectIndex = ar.U16();
        return;
    }
    node.objectIndex = 0xFFFF;
    if (static_cast<std::size_t>(node.childCount) * NODE_HEAD_SIZE > ar.Remaining())
        throw common::ShortRead();
    node.children.resize(node.childCount);
    for (CBoundsNode& child : node.children)
        ReadNode(ar, child, depth + 1);
}

void WriteNode(common::ByteWriter& ar, const CBoundsNode& node)
{
    std::uint8_t buf[NODE_HEAD_SIZE + 2] = {};
    std::memcpy(buf, &node.box, sizeof(Box));
    buf[24] = static_cast<std::uint8_t>(node.childCount);
    buf[25] = static_cast<std::uint8_t>(node.childCount >> 8);
    if (node.childCount == 0) {
        buf[26] = static_cast<std::uint8_t>(node.objectIndex);
        buf[27] = static_cast<std::uint8_t>(node.objectIndex >> 8);
        ar.Bytes(buf, NODE_HEAD_SIZE + 2);
        return;
    }
    ar.Bytes(buf, NODE_HEAD_SIZE);
    for (const CBoundsNode& child : node.children)
        WriteNode(ar, child);
}

void Recompute(CBoundsNode& node, const CObjectInfoList& objects, Box* parent)
{
    node.box = BOX_EMPTY;
    if (node.childCount != 0) {
        for (CBoundsNode& child : node.children)
            Recompute(child, objects, &node.box);
    } else if (objects.IsValidObject(node.objectIndex)) {
        MergeBox(node.box, objects.GetObjectRecord(node.objectIndex).bounds);
    }
    if (parent)
        MergeBox(*parent, node.box);
}

struct PartialRecompute {
    const CObjectInfoList& objects;
    std::span<const std::uint8_t> changed; // empty: every node
    SceneBoundsLog* log;
    std::uint32_t preorder = 0;

    // True when the node lies above a changed object's leaf (and was recomputed).
    bool Node(CBoundsNode& node)
    {
        const std::uint32_t self = preorder++;
        bool dirty = false;
        if (node.childCount != 0) {
            for (CBoundsNode& child : node.children)
                dirty |= Node(child);
        } else {
            dirty = changed.empty() || (node.objectIndex < changed.size() && changed[node.objectIndex]);
        }
        if (!dirty)
            return false;
        Box b = BOX_EMPTY;
        if (node.childCount != 0) {
            for (const CBoundsNode& child : node.children)
                MergeBox(b, child.box);
        } else if (objects.IsValidObject(node.objectIndex)) {
            MergeBox(b, objects.GetObjectRecord(node.objectIndex).bounds);
        }
        if (!SameBits(b, node.box)) {
            if (log)
                log->nodes.push_back({self, node.box});
            node.box = b;
        }
        return true;
    }
};

// Whether a subtree's stored boxes are those Recompute gives; box receives the recomputed one.
bool SubtreeMatches(const CBoundsNode& node, const CObjectInfoList& objects, Box& box)
{
    box = BOX_EMPTY;
    if (node.childCount != 0) {
        for (const CBoundsNode& child : node.children) {
            Box c;
            if (!SubtreeMatches(child, objects, c))
                return false;
            MergeBox(box, c);
        }
    } else if (objects.IsValidObject(node.objectIndex)) {
        MergeBox(box, objects.GetObjectRecord(node.objectIndex).bounds);
    }
    return SameBits(box, node.box);
}

struct Restorer {
    const SceneBoundsLog::Node* next;
    const SceneBoundsLog::Node* end;
    std::uint32_t preorder = 0;

    void Node(CBoundsNode& node)
    {
        if (next == end)
            return;
        if (next->preorder == preorder) {
            node.box = next->box;
            ++next;
        }
        ++preorder;
        for (CBoundsNode& child : node.children)
            Node(child);
    }
};

std::size_t NodeBytes(const CBoundsNode& node)
{
    if (node.childCount == 0)
        return NODE_HEAD_SIZE + 2;
    std::size_t n = NODE_HEAD_SIZE;
    for (const CBoundsNode& child : node.children)
        n += NodeBytes(child);
    return n;
}

std::size_t CountNodes(const CBoundsNode& node)
{
    std::size_t n = 1;
    for (const CBoundsNode& child : node.children)
        n += CountNodes(child);
    return n;
}

} // namespace

void CSceneBounds::Clear()
{
    m_root = CBoundsNode{};
}

void CSceneBounds::Serialize(common::ByteReader& ar)
{
    Clear();
    try {
        ReadNode(ar, m_root, 1);
        if (ar.U32() != SECTION_END_MARKER) {
            Clear();
            throw common::UserError(BadValueMessage(Section::SceneBounds));
        }
    } catch (const TooDeep&) {
        Clear();
        throw common::UserError(BadValueMessage(Section::SceneBounds));
    } catch (const common::ShortRead&) {
        Clear();
        throw common::UserError(EndOfFileMessage(Section::SceneBounds));
    }
}

void CSceneBounds::Serialize(common::ByteWriter& ar) const
{
    WriteNode(ar, m_root);
    ar.U32(SECTION_END_MARKER);
}

void CSceneBounds::RecomputeBounds(const CObjectInfoList& objects, SceneBoundsLog* log)
{
    if (!log) {
        Recompute(m_root, objects, nullptr);
        return;
    }
    // Every node marked: the same boxes as Recompute, with the overwritten ones logged.
    const std::size_t first = log->nodes.size();
    PartialRecompute{objects, {}, log}.Node(m_root);
    std::sort(log->nodes.begin() + static_cast<std::ptrdiff_t>(first), log->nodes.end(),
              [](const SceneBoundsLog::Node& a, const SceneBoundsLog::Node& b) { return a.preorder < b.preorder; });
}

bool CSceneBounds::MatchesRecompute(const CObjectInfoList& objects) const
{
    Box box;
    return SubtreeMatches(m_root, objects, box);
}

void CSceneBounds::RecomputeBounds(const CObjectInfoList& objects, std::span<const std::uint8_t> changed,
                                   SceneBoundsLog* log)
{
    if (changed.empty())
        return; // no object changed
    const std::size_t first = log ? log->nodes.size() : 0;
    PartialRecompute{objects, changed, log}.Node(m_root);
    // A node is finished after its children, so the log fills in postorder.
    if (log)
        std::sort(log->nodes.begin() + static_cast<std::ptrdiff_t>(first), log->nodes.end(),
                  [](const SceneBoundsLog::Node& a, const SceneBoundsLog::Node& b) { return a.preorder < b.preorder; });
}

void CSceneBounds::RestoreBounds(const SceneBoundsLog& log)
{
    Restorer{log.nodes.data(), log.nodes.data() + log.nodes.size()}.Node(m_root);
}

std::size_t CSceneBounds::SerializedSize() const
{
    return NodeBytes(m_root) + 4;
}

std::size_t CSceneBounds::NodeCount() const
{
    return CountNodes(m_root);
}

} // namespace scene
