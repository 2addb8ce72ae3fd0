#include "scene/ObjectInfo.h"

#include <cmath>
#include <cstring>

#include "common/UserError.h"
#include "scene/RecordLists.h"
#include "scene/SceneMessages.h"

namespace scene {

namespace {

constexpr std::size_t NODE_HEAD_SIZE = 12; // step, qMin, qMax, childCount; a leaf adds 2
constexpr std::size_t MIN_OBJECT_SIZE = 16; // objectWord, polygon count, hasBounds, marker
constexpr double ONE_255TH = 0.00392156862745098;

struct BadValue {};

// ---- reading and writing ----

void ReadNode(common::ByteReader& ar, CPolygonBoundsNode& node, int depth)
{
    if (depth > MAX_TREE_DEPTH)
        throw BadValue{};
    auto head = ar.Bytes(NODE_HEAD_SIZE);
    std::memcpy(&node.step, head.data(), 4);
    std::memcpy(node.qMin, head.data() + 4, 3);
    std::memcpy(node.qMax, head.data() + 7, 3);
    node.childCount = static_cast<std::uint16_t>(head[10] | (head[11] << 8));
    if (node.childCount == 0) {
        node.polygon = ar.U16();
        return;
    }
    node.polygon = 0xFFFF;
    if (static_cast<std::size_t>(node.childCount) * NODE_HEAD_SIZE > ar.Remaining())
        throw common::ShortRead();
    node.children.resize(node.childCount);
    for (CPolygonBoundsNode& child : node.children)
        ReadNode(ar, child, depth + 1);
}

void ReadTree(common::ByteReader& ar, CPolygonBoundsTree& tree)
{
    const std::uint16_t rootCount = ar.U16();
    if (static_cast<std::size_t>(rootCount) * NODE_HEAD_SIZE > ar.Remaining())
        throw common::ShortRead();
    tree.roots.resize(rootCount);
    for (CPolygonBoundsNode& root : tree.roots)
        ReadNode(ar, root, 1);
}

void WriteNode(common::ByteWriter& ar, const CPolygonBoundsNode& node)
{
    std::uint8_t buf[NODE_HEAD_SIZE + 2];
    std::memcpy(buf, &node.step, 4);
    std::memcpy(buf + 4, node.qMin, 3);
    std::memcpy(buf + 7, node.qMax, 3);
    buf[10] = static_cast<std::uint8_t>(node.childCount);
    buf[11] = static_cast<std::uint8_t>(node.childCount >> 8);
    if (node.childCount == 0) {
        buf[12] = static_cast<std::uint8_t>(node.polygon);
        buf[13] = static_cast<std::uint8_t>(node.polygon >> 8);
        ar.Bytes(buf, NODE_HEAD_SIZE + 2);
        return;
    }
    ar.Bytes(buf, NODE_HEAD_SIZE);
    for (const CPolygonBoundsNode& child : node.children)
        WriteNode(ar, child);
}

void WriteTree(common::ByteWriter& ar, const CPolygonBoundsTree& tree)
{
    ar.U16(static_cast<std::uint16_t>(tree.roots.size()));
    for (const CPolygonBoundsNode& root : tree.roots)
        WriteNode(ar, root);
}

// ---- boxes ----

void MergeLeaf(const CPolygonBoundsNode& leaf, const ObjectGeometry& geo, Box& b)
{
    if (leaf.polygon >= geo.polygons.size())
        return;
    const PolygonRecord& poly = geo.polygons[leaf.polygon];
    for (int k = 0; k < 3; ++k) {
        const std::size_t v = poly.vertex[k];
        if (v < geo.vertices.size()) {
            const ObjectVertex p = geo.vertices[v];
            MergePoint(b, p.x, p.y, p.z);
        }
    }
}

// The low 8 bits of x cut towards zero, as a two's-complement integer would hold them.
// Values that have no integer (infinities, NaN) give 0.
std::uint8_t Low8OfTrunc(double x)
{
    if (!std::isfinite(x))
        return 0;
    if (std::fabs(x) < 4611686018427387904.0) // 2^62: the cast is exact and defined
        return static_cast<std::uint8_t>(static_cast<std::int64_t>(x) & 0xFF);
    // Beyond that every double is a multiple of 256.
    return 0;
}

// Exact boxes of a subtree, in preorder, each node's computed once from its children's.
std::size_t ComputeBoxes(const CPolygonBoundsNode& node, const ObjectGeometry& geo, std::vector<Box>& boxes)
{
    const std::size_t index = boxes.size();
    boxes.push_back(BOX_EMPTY);
    if (node.childCount != 0) {
        for (const CPolygonBoundsNode& child : node.children) {
            const std::size_t c = ComputeBoxes(child, geo, boxes);
            const Box childBox = boxes[c];
            MergeBox(boxes[index], childBox);
        }
    } else {
        Box b = BOX_EMPTY;
        MergeLeaf(node, geo, b);
        boxes[index] = b;
    }
    return index;
}

void QuantizeCached(CPolygonBoundsNode& node, const Box& p, const std::vector<Box>& boxes, std::size_t& next)
{
    const Box d = QuantizeNode(node, boxes[next++], p);
    if (node.childCount != 0) {
        for (CPolygonBoundsNode& child : node.children)
            QuantizeCached(child, d, boxes, next);
    }
}

std::size_t NodeBytes(const CPolygonBoundsNode& node)
{
    if (node.childCount == 0)
        return NODE_HEAD_SIZE + 2;
    std::size_t n = NODE_HEAD_SIZE;
    for (const CPolygonBoundsNode& child : node.children)
        n += NodeBytes(child);
    return n;
}

std::size_t CountNodes(const CPolygonBoundsNode& node)
{
    std::size_t n = 1;
    for (const CPolygonBoundsNode& child : node.children)
        n += CountNodes(child);
    return n;
}

} // namespace

// ---- CPolygonBoundsNode ----

void CPolygonBoundsNode::Clear()
{
    children.clear();
}

namespace {

// The unrounded step of every child of a node whose decoded box is p.
double StepFor(const Box& p)
{
    double extent[3];
    for (int a = 0; a < 3; ++a)
        extent[a] = static_cast<double>(p.max[a]) - static_cast<double>(p.min[a]);
    double largest = extent[0];
    if (extent[1] > largest)
        largest = extent[1];
    if (extent[2] > largest)
        largest = extent[2];
    return largest * ONE_255TH;
}

// The box a node's stored quantized values stand for, against parent box p.
Box DecodeNode(const CPolygonBoundsNode& node, const Box& p)
{
    const double s = StepFor(p);
    Box d;
    for (int a = 0; a < 3; ++a) {
        const double base = p.min[a];
        d.min[a] = static_cast<float>(node.qMin[a] * s + base);
        d.max[a] = static_cast<float>(node.qMax[a] * s + base);
    }
    return d;
}

NodeQuant QuantOf(const CPolygonBoundsNode& node)
{
    NodeQuant q;
    q.step = node.step;
    std::memcpy(q.qMin, node.qMin, 3);
    std::memcpy(q.qMax, node.qMax, 3);
    return q;
}

void SetQuant(CPolygonBoundsNode& node, const NodeQuant& q)
{
    node.step = q.step;
    std::memcpy(node.qMin, q.qMin, 3);
    std::memcpy(node.qMax, q.qMax, 3);
}

bool SameQuant(const NodeQuant& a, const NodeQuant& b)
{
    return std::memcmp(&a, &b, sizeof(NodeQuant)) == 0;
}

// Exact boxes of a subtree in preorder, with where each node's subtree ends and whether a
// leaf below it names a polygon with a moved corner.
struct PartialBoxes {
    std::vector<Box> boxes;
    std::vector<std::uint32_t> ends;
    std::vector<std::uint8_t> dirty;

    void Clear()
    {
        boxes.clear();
        ends.clear();
        dirty.clear();
    }

    bool Moved(const CPolygonBoundsNode& leaf, const ObjectGeometry& geo, std::span<const std::uint8_t> moved) const
    {
        if (leaf.polygon >= geo.polygons.size())
            return false;
        const PolygonRecord& poly = geo.polygons[leaf.polygon];
        for (int k = 0; k < 3; ++k) {
            const std::size_t v = poly.vertex[k];
            if (v < moved.size() && moved[v])
                return true;
        }
        return false;
    }

    std::size_t Compute(const CPolygonBoundsNode& node, const ObjectGeometry& geo, std::span<const std::uint8_t> moved)
    {
        const std::size_t index = boxes.size();
        boxes.push_back(BOX_EMPTY);
        ends.push_back(0);
        dirty.push_back(0);
        if (node.childCount != 0) {
            std::uint8_t any = 0;
            for (const CPolygonBoundsNode& child : node.children) {
                const std::size_t c = Compute(child, geo, moved);
                const Box childBox = boxes[c];
                MergeBox(boxes[index], childBox);
                any |= dirty[c];
            }
            dirty[index] = any;
        } else {
            Box b = BOX_EMPTY;
            MergeLeaf(node, geo, b);
            boxes[index] = b;
            dirty[index] = Moved(node, geo, moved) ? 1 : 0;
        }
        ends[index] = static_cast<std::uint32_t>(boxes.size());
        return index;
    }
};

// Requantizes only what can have changed: a node whose parent box and exact box are both as
// they were keeps its values, and so does its whole subtree.
struct PartialRequantizer {
    const PartialBoxes& pb;
    ObjectBoundsLog* log;

    void Node(CPolygonBoundsNode& node, std::size_t i, const Box& p, const Box& pOld)
    {
        const bool parentMoved = !SameBits(p, pOld);
        if (!parentMoved && !pb.dirty[i])
            return;
        const NodeQuant before = QuantOf(node);
        const Box dOld = DecodeNode(node, pOld);
        const Box d = QuantizeNode(node, pb.boxes[i], p);
        if (log && !SameQuant(before, QuantOf(node)))
            log->nodes.push_back({static_cast<std::uint32_t>(i), before});
        if (node.childCount == 0)
            return;
        std::size_t c = i + 1;
        for (CPolygonBoundsNode& child : node.children) {
            Node(child, c, d, dOld);
            c = pb.ends[c];
        }
    }
};

// Sets the logged nodes of one tree, walking it in preorder.
struct QuantRestorer {
    const ObjectBoundsLog::Node* next;
    const ObjectBoundsLog::Node* end;
    std::uint32_t preorder = 0;

    void Node(CPolygonBoundsNode& node)
    {
        if (next == end)
            return;
        if (next->preorder == preorder) {
            SetQuant(node, next->quant);
            ++next;
        }
        ++preorder;
        for (CPolygonBoundsNode& child : node.children)
            Node(child);
    }
};

} // namespace

Box QuantizeNode(CPolygonBoundsNode& node, const Box& e, const Box& p)
{
    const double s = StepFor(p);
    node.step = static_cast<float>(s);

    Box d;
    for (int a = 0; a < 3; ++a) {
        const double base = p.min[a];
        node.qMin[a] = Low8OfTrunc((static_cast<double>(e.min[a]) - base) / s);
        const double t = (static_cast<double>(e.max[a]) - base) / s;
        // Round the maximum up by one step, except at the top of the range.
        node.qMax[a] = t < 255.0 ? Low8OfTrunc(t + 1.0) : Low8OfTrunc(t);
        d.min[a] = static_cast<float>(node.qMin[a] * s + base);
        d.max[a] = static_cast<float>(node.qMax[a] * s + base);
    }
    return d;
}

// ---- CPolygonBoundsTree ----

std::size_t CPolygonBoundsTree::NodeCount() const
{
    std::size_t n = 0;
    for (const CPolygonBoundsNode& root : roots)
        n += CountNodes(root);
    return n;
}

// ---- CObjectInfoList ----

void CObjectInfoList::Clear()
{
    m_objects.clear();
    m_objects.shrink_to_fit();
    m_trees.clear();
    m_trees.shrink_to_fit();
}

void CObjectInfoList::Serialize(common::ByteReader& ar)
{
    Clear();
    try {
        const std::uint32_t n = ar.U32();
        if (static_cast<std::uint64_t>(n) * MIN_OBJECT_SIZE > ar.Remaining())
            throw common::ShortRead();
        m_objects.resize(n);
        m_trees.resize(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            ObjectRecord& object = m_objects[i];
            object.objectWord = ar.U32();
            const std::uint32_t m = ar.U32();
            if (static_cast<std::uint64_t>(m) * sizeof(PolygonRecord) > ar.Remaining())
                throw common::ShortRead();
            object.polygons.resize(m);
            ar.ReadInto(object.polygons.data(), object.polygons.size() * sizeof(PolygonRecord));
            object.hasBounds = ar.U32();
            if (object.hasBounds != 0) {
                ar.ReadInto(&object.bounds, sizeof(Box));
                ReadTree(ar, m_trees[i]);
            }
            if (ar.U32() != SECTION_END_MARKER)
                throw BadValue{};
        }
        if (ar.U32() != SECTION_END_MARKER)
            throw BadValue{};
    } catch (const BadValue&) {
        Clear();
        throw common::UserError(BadValueMessage(Section::ObjectInformation));
    } catch (const common::ShortRead&) {
        Clear();
        throw common::UserError(EndOfFileMessage(Section::ObjectInformation));
    }
}

void CObjectInfoList::Serialize(common::ByteWriter& ar) const
{
    ar.U32(static_cast<std::uint32_t>(m_objects.size()));
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        const ObjectRecord& object = m_objects[i];
        ar.U32(object.objectWord);
        ar.U32(static_cast<std::uint32_t>(object.polygons.size()));
        ar.Bytes(object.polygons.data(), object.polygons.size() * sizeof(PolygonRecord));
        ar.U32(object.hasBounds);
        if (object.hasBounds != 0) {
            ar.Bytes(&object.bounds, sizeof(Box));
            WriteTree(ar, m_trees[i]);
        }
        ar.U32(SECTION_END_MARKER);
    }
    ar.U32(SECTION_END_MARKER);
}

std::size_t CObjectInfoList::SerializedSize() const
{
    std::size_t n = 8;
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        n += MIN_OBJECT_SIZE + m_objects[i].polygons.size() * sizeof(PolygonRecord);
        if (m_objects[i].hasBounds != 0) {
            n += sizeof(Box) + 2;
            for (const CPolygonBoundsNode& root : m_trees[i].roots)
                n += NodeBytes(root);
        }
    }
    return n;
}

const ObjectRecord& CObjectInfoList::GetObjectRecord(std::size_t i) const
{
    static const ObjectRecord none;
    return i < m_objects.size() ? m_objects[i] : none;
}

int CObjectInfoList::GetPolygonCount(std::size_t i) const
{
    return i < m_objects.size() ? static_cast<int>(m_objects[i].polygons.size()) : 0;
}

PolygonRecord CObjectInfoList::GetPolygon(std::size_t object, std::size_t polygon) const
{
    if (object < m_objects.size() && polygon < m_objects[object].polygons.size())
        return m_objects[object].polygons[polygon];
    return PolygonRecord{};
}

std::size_t CObjectInfoList::TotalPolygonCount() const
{
    std::size_t n = 0;
    for (const ObjectRecord& object : m_objects)
        n += object.polygons.size();
    return n;
}

std::size_t CObjectInfoList::TotalTreeNodeCount() const
{
    std::size_t n = 0;
    for (const CPolygonBoundsTree& tree : m_trees)
        n += tree.NodeCount();
    return n;
}

void CObjectInfoList::RecomputeObjectBounds(std::span<const ObjectVertex> vertices)
{
    std::vector<Box> boxes;
    std::vector<std::size_t> rootIndex;
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        const ObjectGeometry geo{m_objects[i].polygons, vertices};
        CPolygonBoundsTree& tree = m_trees[i];

        boxes.clear();
        rootIndex.clear();
        Box b = BOX_EMPTY;
        for (const CPolygonBoundsNode& root : tree.roots) {
            rootIndex.push_back(ComputeBoxes(root, geo, boxes));
            MergeBox(b, boxes[rootIndex.back()]);
        }
        std::size_t next = 0;
        for (CPolygonBoundsNode& root : tree.roots)
            QuantizeCached(root, b, boxes, next);
        m_objects[i].bounds = b;
    }
}

void CObjectInfoList::RecomputeObjectBounds(std::span<const ObjectVertex> vertices,
                                            std::span<const std::uint32_t> objects,
                                            std::span<const std::uint8_t> moved, ObjectBoundsLog* log)
{
    PartialBoxes pb;
    for (const std::uint32_t i : objects) {
        if (i >= m_objects.size())
            continue;
        const ObjectGeometry geo{m_objects[i].polygons, vertices};
        CPolygonBoundsTree& tree = m_trees[i];

        pb.Clear();
        Box b = BOX_EMPTY;
        for (const CPolygonBoundsNode& root : tree.roots)
            MergeBox(b, pb.boxes[pb.Compute(root, geo, moved)]);

        const Box bOld = m_objects[i].bounds;
        const std::size_t firstNode = log ? log->nodes.size() : 0;
        PartialRequantizer rq{pb, log};
        std::size_t r = 0;
        for (CPolygonBoundsNode& root : tree.roots) {
            rq.Node(root, r, b, bOld);
            r = pb.ends[r];
        }
        m_objects[i].bounds = b;
        if (log && (log->nodes.size() != firstNode || !SameBits(b, bOld)))
            log->objects.push_back({i, bOld, static_cast<std::uint32_t>(firstNode),
                                    static_cast<std::uint32_t>(log->nodes.size() - firstNode)});
    }
}

void CObjectInfoList::RestoreObjectBounds(const ObjectBoundsLog& log)
{
    for (const ObjectBoundsLog::Object& o : log.objects) {
        if (o.object >= m_objects.size())
            continue;
        m_objects[o.object].bounds = o.bounds;
        const ObjectBoundsLog::Node* first = log.nodes.data() + o.firstNode;
        QuantRestorer r{first, first + o.nodeCount};
        for (CPolygonBoundsNode& root : m_trees[o.object].roots)
            r.Node(root);
    }
}

void CObjectInfoList::AddObjectsToTree(const std::function<void(int, const ObjectRecord&)>& add) const
{
    for (std::size_t i = 0; i < m_objects.size(); ++i)
        add(static_cast<int>(i), m_objects[i]);
}

} // namespace scene
