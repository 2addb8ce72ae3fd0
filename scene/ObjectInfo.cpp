#include "scene/ObjectInfo.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <cstring>

#include "common/ParallelFor.h"
#include "common/UserError.h"
#include "scene/RecordLists.h"
#include "scene/SceneMessages.h"

namespace scene {

namespace {

constexpr std::size_t NODE_HEAD_SIZE = 12; // step, qMin, qMax, childCount; a leaf adds 2
constexpr std::size_t MIN_OBJECT_SIZE = 16; // objectWord, polygon count, hasBounds, marker
constexpr double ONE_255TH = 0.00392156862745098;
// Below this many polygons a recompute is quicker on one thread than on several.
constexpr std::size_t PARALLEL_POLYGONS = 50000;

struct BadValue {};

// Objects are independent of one another: on a large scene each goes to a thread of its own.
// A small one stays on the calling thread, where starting threads costs more than it saves.
unsigned ThreadsFor(std::size_t polygons)
{
    return polygons < PARALLEL_POLYGONS ? 1u : 0u;
}

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
    std::uint8_t buf[NODE_HEAD_SIZE + 2] = {};
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

// The corners of a leaf's polygon merged into b.
void MergeLeaf(std::uint16_t polygon, const ObjectGeometry& geo, Box& b)
{
    if (polygon >= geo.polygons.size())
        return;
    const PolygonRecord& poly = geo.polygons[polygon];
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
        MergeLeaf(node.polygon, geo, b);
        boxes[index] = b;
    }
    return index;
}

// Exact boxes of every node of one object's trees, in preorder, and the object's box they join into.
Box ComputeObjectBoxes(const std::vector<CPolygonBoundsNode>& roots, const ObjectGeometry& geo, std::vector<Box>& boxes)
{
    Box b = BOX_EMPTY;
    for (const CPolygonBoundsNode& root : roots) {
        const std::size_t r = ComputeBoxes(root, geo, boxes);
        MergeBox(b, boxes[r]);
    }
    return b;
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

// The box stored quantized values stand for, against parent box p.
Box DecodeQuant(const std::uint8_t (&qMin)[3], const std::uint8_t (&qMax)[3], const Box& p)
{
    const double s = StepFor(p);
    Box d;
    for (int a = 0; a < 3; ++a) {
        const double base = p.min[a];
        d.min[a] = static_cast<float>(qMin[a] * s + base);
        d.max[a] = static_cast<float>(qMax[a] * s + base);
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
    // Fixed-size copies into integers compile to a few compares; memcmp would be a call per node.
    std::uint64_t a8, b8;
    std::uint16_t a2, b2;
    std::memcpy(&a8, &a, 8);
    std::memcpy(&b8, &b, 8);
    std::memcpy(&a2, reinterpret_cast<const char*>(&a) + 8, 2);
    std::memcpy(&b2, reinterpret_cast<const char*>(&b) + 8, 2);
    return a8 == b8 && a2 == b2;
}

bool SameBox(const Box& a, const Box& b)
{
    std::uint64_t x[3], y[3];
    static_assert(sizeof(Box) == sizeof(x));
    std::memcpy(x, &a, sizeof(x));
    std::memcpy(y, &b, sizeof(y));
    return x[0] == y[0] && x[1] == y[1] && x[2] == y[2];
}

// Whether a leaf names a polygon with a corner marked (any of bits) in marks.
bool LeafMarked(std::uint16_t polygon, const ObjectGeometry& geo, std::span<const std::uint8_t> marks,
                std::uint8_t bits)
{
    if (polygon >= geo.polygons.size())
        return false;
    const PolygonRecord& poly = geo.polygons[polygon];
    for (int k = 0; k < 3; ++k) {
        const std::size_t v = poly.vertex[k];
        if (v < marks.size() && (marks[v] & bits))
            return true;
    }
    return false;
}

// Requantizes only what can have changed: a node whose parent box and exact box are both as
// they were keeps its values, and so does its whole subtree.
struct PartialRequantizer {
    std::span<const Box> boxes;
    std::span<const std::uint32_t> ends;
    std::span<const std::uint8_t> dirty;
    std::vector<ObjectBoundsLog::Node>* log;

    void Node(CPolygonBoundsNode& node, std::size_t i, const Box& p, const Box& pOld)
    {
        const bool parentMoved = !SameBox(p, pOld);
        if (!parentMoved && !dirty[i])
            return;
        const NodeQuant before = QuantOf(node);
        const Box d = QuantizeNode(node, boxes[i], p);
        if (node.childCount == 0) {
            if (log && !SameQuant(before, QuantOf(node)))
                log->push_back({static_cast<std::uint32_t>(i), before});
            return;
        }
        // Unchanged values against an unchanged parent decode to the same box.
        const bool same = SameQuant(before, QuantOf(node));
        Box dOld = d;
        if (!same || parentMoved)
            dOld = DecodeQuant(before.qMin, before.qMax, pOld);
        if (log && !same)
            log->push_back({static_cast<std::uint32_t>(i), before});
        std::size_t c = i + 1;
        for (CPolygonBoundsNode& child : node.children) {
            Node(child, c, d, dOld);
            c = ends[c];
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

// Requantizes a whole subtree against parent box p from the exact boxes in preorder; log,
// when given, receives every node whose stored values change.
void QuantizeAll(CPolygonBoundsNode& node, const Box& p, const std::vector<Box>& boxes, std::size_t& next,
                 std::vector<ObjectBoundsLog::Node>* log)
{
    const std::size_t i = next++;
    const NodeQuant before = QuantOf(node);
    const Box d = QuantizeNode(node, boxes[i], p);
    if (log && !SameQuant(before, QuantOf(node)))
        log->push_back({static_cast<std::uint32_t>(i), before});
    for (CPolygonBoundsNode& child : node.children)
        QuantizeAll(child, d, boxes, next, log);
}

// Whether a subtree's stored values are those a requantization against p gives.
bool QuantizesAsStored(const CPolygonBoundsNode& node, const Box& p, const std::vector<Box>& boxes, std::size_t& next)
{
    CPolygonBoundsNode fresh;
    const Box d = QuantizeNode(fresh, boxes[next++], p);
    if (!SameQuant(QuantOf(fresh), QuantOf(node)))
        return false;
    for (const CPolygonBoundsNode& child : node.children)
        if (!QuantizesAsStored(child, d, boxes, next))
            return false;
    return true;
}

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
    DropExactBoxes();
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

bool CObjectInfoList::SetPolygonTexture(std::size_t object, std::size_t polygon, std::uint16_t texture)
{
    if (object >= m_objects.size() || polygon >= m_objects[object].polygons.size())
        return false;
    m_objects[object].polygons[polygon].texture = texture;
    return true;
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

void CObjectInfoList::RecomputeObjectBounds(std::span<const ObjectVertex> vertices, ObjectBoundsLog* log)
{
    // Objects are independent: each is computed on whichever thread takes it, and what it
    // overwrote is listed in object order afterwards, so the bytes never depend on timing.
    std::vector<ObjectBoundsLog::Object> logged(log ? m_objects.size() : 0);
    std::vector<std::uint8_t> changed(log ? m_objects.size() : 0, 0);
    common::ParallelFor(
        m_objects.size(),
        [&](std::size_t i) {
            const ObjectGeometry geo{m_objects[i].polygons, vertices};
            std::vector<Box> boxes;
            const Box b = ComputeObjectBoxes(m_trees[i].roots, geo, boxes);
            std::size_t next = 0;
            std::vector<ObjectBoundsLog::Node>* nodes = log ? &logged[i].nodes : nullptr;
            for (CPolygonBoundsNode& root : m_trees[i].roots)
                QuantizeAll(root, b, boxes, next, nodes);
            if (log) {
                logged[i].object = static_cast<std::uint32_t>(i);
                logged[i].bounds = m_objects[i].bounds;
                changed[i] = !nodes->empty() || !SameBits(b, m_objects[i].bounds);
            }
            m_objects[i].bounds = b;
        },
        ThreadsFor(TotalPolygonCount()));
    if (!log)
        return;
    for (std::size_t i = 0; i < logged.size(); ++i)
        if (changed[i])
            log->objects.push_back(std::move(logged[i]));
}

bool CObjectInfoList::BoundsMatchRecompute(std::span<const ObjectVertex> vertices) const
{
    std::atomic<bool> stale{false};
    common::ParallelFor(
        m_objects.size(),
        [&](std::size_t i) {
            if (stale.load(std::memory_order_relaxed))
                return;
            const ObjectGeometry geo{m_objects[i].polygons, vertices};
            std::vector<Box> boxes;
            const Box b = ComputeObjectBoxes(m_trees[i].roots, geo, boxes);
            bool same = SameBits(b, m_objects[i].bounds);
            std::size_t next = 0;
            for (const CPolygonBoundsNode& root : m_trees[i].roots)
                if (same)
                    same = QuantizesAsStored(root, b, boxes, next);
            if (!same)
                stale = true;
        },
        ThreadsFor(TotalPolygonCount()));
    return !stale;
}

namespace {

// Fills the cache of one tree in preorder.
struct ExactBuilder {
    const ObjectGeometry& geo;
    std::vector<Box>& boxes;
    std::vector<std::uint32_t>& ends;
    std::vector<std::uint32_t>& parents;
    std::vector<std::uint32_t>& leaves;
    std::vector<std::uint16_t>& polygons;

    std::size_t Node(const CPolygonBoundsNode& node, std::uint32_t parent)
    {
        const auto index = static_cast<std::uint32_t>(boxes.size());
        boxes.push_back(BOX_EMPTY);
        ends.push_back(0);
        parents.push_back(parent);
        if (node.childCount != 0) {
            for (const CPolygonBoundsNode& child : node.children) {
                const std::size_t c = Node(child, index);
                const Box childBox = boxes[c];
                MergeBox(boxes[index], childBox);
            }
        } else {
            Box b = BOX_EMPTY;
            MergeLeaf(node.polygon, geo, b);
            boxes[index] = b;
            leaves.push_back(index);
            polygons.push_back(node.polygon);
        }
        ends[index] = static_cast<std::uint32_t>(boxes.size());
        return index;
    }
};

} // namespace

void CObjectInfoList::DropExactBoxes()
{
    m_exact.clear();
    m_exact.shrink_to_fit();
    m_hasExact.clear();
    m_exactVertices.clear();
    m_exactVertices.shrink_to_fit();
}

void CObjectInfoList::BuildExactBoxes(std::size_t object, const ObjectGeometry& geo)
{
    ExactBoxes& e = m_exact[object];
    e = ExactBoxes{};
    ExactBuilder b{geo, e.boxes, e.ends, e.parents, e.leaves, e.polygons};
    for (const CPolygonBoundsNode& root : m_trees[object].roots) {
        const auto r = static_cast<std::uint32_t>(e.boxes.size());
        b.Node(root, r);
    }
    m_hasExact[object] = 1;
}

void CObjectInfoList::RefreshExactBoxes(std::size_t object, const ObjectGeometry& geo,
                                        std::span<const std::uint8_t> changed)
{
    ExactBoxes& e = m_exact[object];
    std::vector<std::uint32_t> touched;
    for (std::size_t k = 0; k < e.leaves.size(); ++k)
        if (LeafMarked(e.polygons[k], geo, changed, 0xFF))
            touched.push_back(static_cast<std::uint32_t>(k));
    if (touched.empty())
        return;
    if (touched.size() > e.leaves.size() / 8) {
        // Most of the tree: one pass from the leaves up is cheaper than following paths.
        BuildExactBoxes(object, geo);
        return;
    }
    std::vector<std::uint32_t> inner;
    for (const std::uint32_t k : touched) {
        const std::uint32_t leaf = e.leaves[k];
        Box b = BOX_EMPTY;
        MergeLeaf(e.polygons[k], geo, b);
        e.boxes[leaf] = b;
        for (std::uint32_t n = e.parents[leaf]; n != leaf;) {
            inner.push_back(n);
            const std::uint32_t up = e.parents[n];
            if (up == n)
                break;
            n = up;
        }
    }
    // Children stand after their parent in preorder: deepest first, each node once, its box
    // merged afresh from its children in order, as a whole recompute merges it.
    std::sort(inner.begin(), inner.end(), std::greater<>());
    inner.erase(std::unique(inner.begin(), inner.end()), inner.end());
    for (const std::uint32_t n : inner) {
        Box b = BOX_EMPTY;
        for (std::uint32_t c = n + 1; c < e.ends[n]; c = e.ends[c])
            MergeBox(b, e.boxes[c]);
        e.boxes[n] = b;
    }
}

namespace {

// The objects whose flag equals want; polygons receives how many polygons they hold.
std::vector<std::uint32_t> ObjectsWhere(std::span<const std::uint8_t> flags, std::uint8_t want,
                                        std::span<const ObjectRecord> objects, std::size_t& polygons)
{
    std::vector<std::uint32_t> out;
    polygons = 0;
    for (std::size_t i = 0; i < objects.size() && i < flags.size(); ++i)
        if (flags[i] == want) {
            out.push_back(static_cast<std::uint32_t>(i));
            polygons += objects[i].polygons.size();
        }
    return out;
}

} // namespace

void CObjectInfoList::CatchUpExactBoxes(std::span<const ObjectVertex> vertices)
{
    // Catch the cached boxes up with every vertex that differs from what they saw.
    if (m_exactVertices.size() != vertices.size() || m_exact.size() != m_objects.size() ||
        m_hasExact.size() != m_objects.size()) {
        DropExactBoxes();
        m_exact.resize(m_objects.size());
        m_hasExact.assign(m_objects.size(), 0);
        m_exactVertices.assign(vertices.begin(), vertices.end());
    } else {
        std::vector<std::uint8_t> changed;
        constexpr std::size_t BLOCK = 1024; // compared whole first; most blocks are unchanged
        for (std::size_t first = 0; first < vertices.size(); first += BLOCK) {
            const std::size_t n = std::min(BLOCK, vertices.size() - first);
            if (std::memcmp(&vertices[first], &m_exactVertices[first], n * sizeof(ObjectVertex)) == 0)
                continue;
            for (std::size_t v = first; v < first + n; ++v) {
                if (std::memcmp(&vertices[v], &m_exactVertices[v], sizeof(ObjectVertex)) == 0)
                    continue;
                if (changed.empty())
                    changed.assign(vertices.size(), 0);
                changed[v] = 1;
                m_exactVertices[v] = vertices[v];
            }
        }
        if (!changed.empty()) {
            std::size_t polygons = 0;
            const std::vector<std::uint32_t> cached = ObjectsWhere(m_hasExact, 1, m_objects, polygons);
            common::ParallelFor(
                cached.size(),
                [&](std::size_t k) {
                    const std::uint32_t i = cached[k];
                    RefreshExactBoxes(i, ObjectGeometry{m_objects[i].polygons, vertices}, changed);
                },
                ThreadsFor(polygons));
        }
    }
}

void CObjectInfoList::PrepareExactBoxes(std::span<const ObjectVertex> vertices)
{
    CatchUpExactBoxes(vertices);
    std::size_t polygons = 0;
    const std::vector<std::uint32_t> missing = ObjectsWhere(m_hasExact, 0, m_objects, polygons);
    common::ParallelFor(
        missing.size(),
        [&](std::size_t k) {
            const std::uint32_t i = missing[k];
            BuildExactBoxes(i, ObjectGeometry{m_objects[i].polygons, vertices});
        },
        ThreadsFor(polygons));
}

void CObjectInfoList::RecomputeObjectBounds(std::span<const ObjectVertex> vertices,
                                            std::span<const std::uint32_t> objects, std::span<const std::uint8_t> moved,
                                            ObjectBoundsLog* log)
{
    CatchUpExactBoxes(vertices);

    // Each object's overwritten bytes are logged apart and listed in object order afterwards.
    struct Result {
        bool logged = false;
        Box bOld;
        std::vector<ObjectBoundsLog::Node> nodes;
    };
    std::vector<Result> results(log ? objects.size() : 0);
    std::size_t polygons = 0;
    for (const std::uint32_t i : objects)
        if (i < m_objects.size())
            polygons += m_objects[i].polygons.size();

    common::ParallelFor(
        objects.size(),
        [&](std::size_t k) {
            const std::uint32_t i = objects[k];
            if (i >= m_objects.size())
                return;
            const ObjectGeometry geo{m_objects[i].polygons, vertices};
            if (!m_hasExact[i])
                BuildExactBoxes(i, geo);
            const ExactBoxes& e = m_exact[i];
            // Every node above a leaf with a moved corner.
            std::vector<std::uint8_t> dirty(e.boxes.size(), 0);
            for (std::size_t l = 0; l < e.leaves.size(); ++l) {
                if (!LeafMarked(e.polygons[l], geo, moved, 0xFF))
                    continue;
                std::uint32_t n = e.leaves[l];
                while (!dirty[n]) {
                    dirty[n] = 1;
                    if (e.parents[n] == n)
                        break;
                    n = e.parents[n];
                }
            }
            CPolygonBoundsTree& tree = m_trees[i];
            Box b = BOX_EMPTY;
            for (std::uint32_t r = 0; r < e.boxes.size(); r = e.ends[r])
                MergeBox(b, e.boxes[r]);

            const Box bOld = m_objects[i].bounds;
            std::vector<ObjectBoundsLog::Node>* nodes = nullptr;
            if (log) {
                // Room for every node, so the log never moves while it fills (a whole tree is
                // requantized when its object's box changes).
                nodes = &results[k].nodes;
                nodes->reserve(e.boxes.size());
            }
            PartialRequantizer rq{e.boxes, e.ends, dirty, nodes};
            std::size_t r = 0;
            for (CPolygonBoundsNode& root : tree.roots) {
                rq.Node(root, r, b, bOld);
                r = e.ends[r];
            }
            m_objects[i].bounds = b;
            if (log) {
                results[k].logged = !nodes->empty() || !SameBits(b, bOld);
                results[k].bOld = bOld;
            }
        },
        ThreadsFor(polygons));

    if (!log)
        return;
    for (std::size_t k = 0; k < results.size(); ++k)
        if (results[k].logged)
            log->objects.push_back({objects[k], results[k].bOld, std::move(results[k].nodes)});
}

void ObjectBoundsLog::Trim()
{
    objects.shrink_to_fit();
    for (Object& o : objects)
        // Room for every node was reserved; when most changed, the copy costs more than the
        // little room it gives back.
        if (o.nodes.size() < o.nodes.capacity() / 8 * 7)
            o.nodes.shrink_to_fit();
}

void CObjectInfoList::RestoreObjectBounds(const ObjectBoundsLog& log)
{
    for (const ObjectBoundsLog::Object& o : log.objects) {
        if (o.object >= m_objects.size())
            continue;
        m_objects[o.object].bounds = o.bounds;
        QuantRestorer r{o.nodes.data(), o.nodes.data() + o.nodes.size()};
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
