#include "SceneGen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "common/ByteWriter.h"

namespace scenegen {

namespace {

constexpr std::uint32_t END_MARKER = 0x12345678;
constexpr char MAGIC[31] = "Quorum Motion Kit IV Data File";
constexpr float PI = 3.14159265358979f;

// ---- encoding ----

void PutBox(common::ByteWriter& w, const float (&box)[6])
{
    for (float f : box)
        w.F32(f);
}

void PutNode(common::ByteWriter& w, const GenNode& n)
{
    w.F32(n.step);
    for (auto q : n.qMin)
        w.U8(q);
    for (auto q : n.qMax)
        w.U8(q);
    w.U16(static_cast<std::uint16_t>(n.children.size()));
    if (n.children.empty())
        w.U16(n.polygon);
    for (const GenNode& c : n.children)
        PutNode(w, c);
}

void PutBoundsNode(common::ByteWriter& w, const GenBoundsNode& n)
{
    PutBox(w, n.box);
    w.U16(static_cast<std::uint16_t>(n.children.size()));
    if (n.children.empty())
        w.U16(n.objectIndex);
    for (const GenBoundsNode& c : n.children)
        PutBoundsNode(w, c);
}

template <class List>
void PutRecords(common::ByteWriter& w, const List& list)
{
    w.I32(static_cast<std::int32_t>(list.size()));
    for (const auto& r : list)
        w.Bytes(r.data(), r.size());
    w.U32(END_MARKER);
}

void PutNames(common::ByteWriter& w, const std::vector<std::string>& names)
{
    w.I32(static_cast<std::int32_t>(names.size()));
    for (const std::string& s : names) {
        w.U32(static_cast<std::uint32_t>(s.size()));
        w.Text(s);
    }
    w.U32(END_MARKER);
}

// ---- building ----

std::array<std::uint8_t, 8> Unlit(float u, float v)
{
    std::array<std::uint8_t, 8> r{};
    std::memcpy(r.data(), &u, 4);
    std::memcpy(r.data() + 4, &v, 4);
    return r;
}

template <std::size_t N>
std::array<std::uint8_t, N> WithUv(float u, float v, std::uint8_t fill)
{
    std::array<std::uint8_t, N> r{};
    std::memcpy(r.data(), &u, 4);
    std::memcpy(r.data() + 4, &v, 4);
    for (std::size_t i = 8; i < N; ++i)
        r[i] = static_cast<std::uint8_t>(fill + i);
    return r;
}

// A tree over polygons [first, last) with one polygon per leaf; branching(depth) picks how
// many children an inner node gets.
GenNode BuildTree(std::uint32_t first, std::uint32_t last, int depth,
                  const std::function<std::uint32_t(int)>& branching)
{
    GenNode node;
    const std::uint32_t n = last - first;
    if (n <= 1) {
        node.polygon = static_cast<std::uint16_t>(first);
        return node;
    }
    std::uint32_t k = branching(depth);
    if (k < 2)
        k = 2;
    if (k > n)
        k = n;
    for (std::uint32_t i = 0; i < k; ++i) {
        const std::uint32_t a = first + static_cast<std::uint32_t>(std::uint64_t(n) * i / k);
        const std::uint32_t b = first + static_cast<std::uint32_t>(std::uint64_t(n) * (i + 1) / k);
        node.children.push_back(BuildTree(a, b, depth + 1, branching));
    }
    return node;
}

// Roots splitting all polygons of an object.
std::vector<GenNode> BuildRoots(std::uint32_t polygons, std::uint32_t rootCount, std::uint32_t branching)
{
    std::vector<GenNode> roots;
    if (polygons == 0)
        return roots;
    if (rootCount > polygons)
        rootCount = polygons;
    for (std::uint32_t i = 0; i < rootCount; ++i) {
        const std::uint32_t a = static_cast<std::uint32_t>(std::uint64_t(polygons) * i / rootCount);
        const std::uint32_t b = static_cast<std::uint32_t>(std::uint64_t(polygons) * (i + 1) / rootCount);
        roots.push_back(BuildTree(a, b, 1, [branching](int) { return branching; }));
    }
    return roots;
}

GenBoundsNode BoundsLeaf(std::uint16_t object)
{
    GenBoundsNode n;
    n.objectIndex = object;
    return n;
}

struct MeshBuilder {
    GenScene& scene;
    GenObject object;
    std::uint16_t type;
    std::uint16_t texture;

    std::uint16_t Vertex(float x, float y, float z)
    {
        scene.vertices.push_back({x, y, z});
        return static_cast<std::uint16_t>(scene.vertices.size() - 1);
    }
    std::uint16_t TexVertex(float u, float v)
    {
        switch (type & 0xF) {
        case 9:
            scene.prelit.push_back(WithUv<12>(u, v, 0x40));
            return static_cast<std::uint16_t>(scene.prelit.size() - 1);
        case 10: scene.lit.push_back(WithUv<15>(u, v, 0x80)); return static_cast<std::uint16_t>(scene.lit.size() - 1);
        default: scene.unlit.push_back(Unlit(u, v)); return static_cast<std::uint16_t>(scene.unlit.size() - 1);
        }
    }
    // Texture coordinates: u across, v down from the texture's top row.
    struct Uv {
        float u, v;
    };
    void Triangle(std::uint16_t a, std::uint16_t b, std::uint16_t c, Uv ta, Uv tb, Uv tc)
    {
        GenPolygon p;
        p.vertex[0] = a;
        p.vertex[1] = b;
        p.vertex[2] = c;
        p.texVertex[0] = TexVertex(ta.u, ta.v);
        p.texVertex[1] = TexVertex(tb.u, tb.v);
        p.texVertex[2] = TexVertex(tc.u, tc.v);
        p.type = type;
        p.texture = texture;
        object.polygons.push_back(p);
    }
    // a is the texture's top-left corner, then round the quad; the texture repeats
    // across times down times.
    void Quad(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d, float across = 1.0f,
              float down = 1.0f)
    {
        Triangle(a, b, c, {0, 0}, {across, 0}, {across, down});
        Triangle(a, c, d, {0, 0}, {across, down}, {0, down});
    }
};

} // namespace

std::vector<std::uint8_t> Encode(const GenScene& s)
{
    common::ByteWriter w;
    w.Bytes(MAGIC, sizeof MAGIC);
    w.U32(5);

    w.I32(static_cast<std::int32_t>(s.vertices.size()));
    for (const auto& v : s.vertices)
        for (float f : v)
            w.F32(f);
    w.U32(END_MARKER);
    PutRecords(w, s.unlit);
    PutRecords(w, s.prelit);
    PutRecords(w, s.lit);
    PutRecords(w, s.lights);

    w.U32(static_cast<std::uint32_t>(s.objects.size()));
    for (const GenObject& o : s.objects) {
        w.U32(o.objectWord);
        w.U32(static_cast<std::uint32_t>(o.polygons.size()));
        for (const GenPolygon& p : o.polygons) {
            for (auto v : p.vertex)
                w.U16(v);
            for (auto v : p.texVertex)
                w.U16(v);
            w.U16(p.type);
            w.U16(p.texture);
        }
        w.U32(o.hasBounds);
        if (o.hasBounds != 0) {
            PutBox(w, o.bounds);
            w.U16(static_cast<std::uint16_t>(o.roots.size()));
            for (const GenNode& r : o.roots)
                PutNode(w, r);
        }
        w.U32(END_MARKER);
    }
    w.U32(END_MARKER);

    PutBoundsNode(w, s.boundsRoot);
    w.U32(END_MARKER);
    PutNames(w, s.textureNames);
    PutNames(w, s.extraNames);
    w.Bytes(s.trailing.data(), s.trailing.size());
    return w.Take();
}

GenScene MakeDemoScene()
{
    GenScene s;
    s.textureNames = {"brick.tex", "stone.tex", "brass.tex", "grass.tex"};
    s.extraNames = {"demo scene", "made by scenegen"};

    // Shapes are laid out in small units here and scaled up at the end.
    // A cube of side 2 centred at (-4, 1, 0): unlit, with upper type bits set.
    {
        MeshBuilder m{s, {}, 0x3401, 0};
        m.object.objectWord = 0x00010001;
        std::uint16_t v[8];
        for (int i = 0; i < 8; ++i)
            v[i] = m.Vertex(-4.0f + ((i & 1) ? 1.0f : -1.0f), 1.0f + ((i & 2) ? 1.0f : -1.0f), (i & 4) ? 1.0f : -1.0f);
        // Six faces, two triangles each, each starting at the corner that is top left seen
        // from outside (sides upright, the top with the front edge at the bottom).
        m.Quad(v[6], v[7], v[5], v[4]); // front, +z
        m.Quad(v[3], v[2], v[0], v[1]); // back
        m.Quad(v[7], v[3], v[1], v[5]); // right, +x
        m.Quad(v[2], v[6], v[4], v[0]); // left
        m.Quad(v[2], v[3], v[7], v[6]); // top
        m.Quad(v[4], v[5], v[1], v[0]); // bottom
        m.object.roots = BuildRoots(12, 2, 3);
        s.objects.push_back(std::move(m.object));
    }
    // A square pyramid at the origin, 3 high: prelit.
    {
        MeshBuilder m{s, {}, 0x1209, 1};
        m.object.objectWord = 0x00020001;
        std::uint16_t b[4];
        for (int i = 0; i < 4; ++i)
            b[i] = m.Vertex((i == 1 || i == 2) ? 1.5f : -1.5f, 0.0f, (i >= 2) ? 1.5f : -1.5f);
        const std::uint16_t top = m.Vertex(0.0f, 3.0f, 0.0f);
        for (int i = 0; i < 4; ++i)
            m.Triangle(b[i], b[(i + 1) % 4], top, {1, 1}, {0, 1}, {0.5f, 0});
        m.Quad(b[0], b[3], b[2], b[1]);
        m.object.roots = BuildRoots(6, 1, 2);
        s.objects.push_back(std::move(m.object));
    }
    // A ring (torus) at (5, 1, 0): lit.
    {
        MeshBuilder m{s, {}, 0x0A0A, 2};
        m.object.objectWord = 0x00030001;
        const int seg = 16, side = 6;
        const std::uint16_t first = static_cast<std::uint16_t>(s.vertices.size());
        for (int i = 0; i < seg; ++i) {
            const float a = 2 * PI * i / seg;
            for (int j = 0; j < side; ++j) {
                const float b = 2 * PI * j / side;
                const float r = 1.6f + 0.4f * std::cos(b);
                m.Vertex(5.0f + r * std::cos(a), 1.0f + 0.4f * std::sin(b), r * std::sin(a));
            }
        }
        auto at = [&](int i, int j) { return static_cast<std::uint16_t>(first + (i % seg) * side + (j % side)); };
        for (int i = 0; i < seg; ++i)
            for (int j = 0; j < side; ++j)
                m.Quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
        m.object.roots = BuildRoots(static_cast<std::uint32_t>(m.object.polygons.size()), 4, 4);
        s.objects.push_back(std::move(m.object));
    }
    // The ground: two triangles, carried without a box or tree.
    {
        MeshBuilder m{s, {}, 0x0002, 3};
        m.object.objectWord = 0x00040000;
        m.object.hasBounds = 0;
        const std::uint16_t a = m.Vertex(-8, 0, -4), b = m.Vertex(8, 0, -4), c = m.Vertex(8, 0, 4),
                            d = m.Vertex(-8, 0, 4);
        m.Quad(a, b, c, d, 4.0f, 2.0f);
        s.objects.push_back(std::move(m.object));
    }

    // Scene bounds: the cube and pyramid under one node, the ring and ground under another.
    s.boundsRoot.children.resize(2);
    s.boundsRoot.children[0].children = {BoundsLeaf(0), BoundsLeaf(1)};
    s.boundsRoot.children[1].children = {BoundsLeaf(2), BoundsLeaf(3)};

    // Two lights, their bytes carried as they are.
    for (int i = 0; i < 2; ++i) {
        std::array<std::uint8_t, 36> light{};
        for (int k = 0; k < 36; ++k)
            light[k] = static_cast<std::uint8_t>(i * 36 + k);
        s.lights.push_back(light);
    }
    s.trailing = {'Q', 'M', '4', 0, 0xFF, 0x01};

    // One world unit is one pixel at the viewport's default zoom: scale the shapes up so the
    // demo fills a window instead of sitting in a 20-pixel speck at its centre.
    constexpr float kDemoScale = 20.0f;
    for (auto& v : s.vertices)
        for (float& f : v)
            f *= kDemoScale;
    return s;
}

GenScene MakeLargeScene(const LargeOptions& opt)
{
    GenScene s;
    Rng rng(opt.seed);

    // The first 256 x 256 vertices form a height field every object draws from (polygons can
    // name only the first 65536); the rest pad the list to the asked size.
    constexpr std::uint32_t GRID = 256;
    s.vertices.resize(opt.vertices);
    for (std::uint32_t i = 0; i < opt.vertices; ++i) {
        const float x = static_cast<float>(i % GRID), z = static_cast<float>((i / GRID) % GRID);
        s.vertices[i] = {x, 2.0f * std::sin(x * 0.1f) * std::cos(z * 0.13f),
                         z + static_cast<float>(i / (GRID * GRID)) * 300.0f};
    }
    const std::uint32_t usableRows = std::min<std::uint32_t>(opt.vertices / GRID, GRID);

    for (std::uint32_t i = 0; i < 4096; ++i) {
        s.unlit.push_back(Unlit(rng.Float(0, 1), rng.Float(0, 1)));
        s.prelit.push_back(WithUv<12>(rng.Float(0, 1), rng.Float(0, 1), static_cast<std::uint8_t>(i)));
        s.lit.push_back(WithUv<15>(rng.Float(0, 1), rng.Float(0, 1), static_cast<std::uint8_t>(i)));
    }
    s.lights.resize(8);
    s.textureNames = {"large_a.tex", "large_b.tex", "large_c.tex"};
    s.extraNames = {"large scene"};

    const std::uint32_t perObject = std::clamp<std::uint32_t>(opt.polygonsPerObject, 1, 65536);
    const std::uint32_t cellsPerRow = GRID - 1;
    std::uint32_t left = opt.polygons;
    int depthSpan = opt.maxDepth - opt.minDepth + 1;
    for (std::uint32_t k = 0; left > 0; ++k) {
        const std::uint32_t count = std::min(left, perObject);
        left -= count;
        GenObject o;
        o.objectWord = k;
        const std::uint32_t rowsNeeded = (count / 2 + cellsPerRow) / cellsPerRow + 1;
        const std::uint32_t baseRow = usableRows > rowsNeeded ? (k * 8) % (usableRows - rowsNeeded) : 0;
        o.polygons.resize(count);
        for (std::uint32_t p = 0; p < count; ++p) {
            const std::uint32_t cell = p / 2;
            const std::uint32_t row = baseRow + cell / cellsPerRow, col = cell % cellsPerRow;
            auto at = [&](std::uint32_t r, std::uint32_t c) {
                return static_cast<std::uint16_t>(((r % GRID) * GRID + c) % std::max<std::uint32_t>(opt.vertices, 1));
            };
            GenPolygon& poly = o.polygons[p];
            if (p % 2 == 0) {
                poly.vertex[0] = at(row, col);
                poly.vertex[1] = at(row, col + 1);
                poly.vertex[2] = at(row + 1, col + 1);
            } else {
                poly.vertex[0] = at(row, col);
                poly.vertex[1] = at(row + 1, col + 1);
                poly.vertex[2] = at(row + 1, col);
            }
            static constexpr std::uint16_t types[3] = {0x0101, 0x2209, 0x440A};
            poly.type = types[p % 3];
            for (auto& t : poly.texVertex)
                t = static_cast<std::uint16_t>(rng.Range(0, 4095));
            poly.texture = static_cast<std::uint16_t>(k % 3);
        }
        // Branching that gives the wanted depth: depth = ceil(log_b(count)) + 1.
        const int depth = opt.minDepth + static_cast<int>(k % static_cast<std::uint32_t>(std::max(depthSpan, 1)));
        std::uint32_t branching = 2;
        while (branching < 64 && std::pow(double(branching), double(std::max(depth - 1, 1))) < count)
            ++branching;
        o.roots = BuildRoots(count, 1, branching);
        s.objects.push_back(std::move(o));
    }

    // Scene bounds: a binary tree over the objects.
    std::function<GenBoundsNode(std::uint32_t, std::uint32_t)> build = [&](std::uint32_t a, std::uint32_t b) {
        if (b - a == 1)
            return BoundsLeaf(static_cast<std::uint16_t>(a));
        GenBoundsNode n;
        const std::uint32_t mid = (a + b) / 2;
        n.children.push_back(build(a, mid));
        n.children.push_back(build(mid, b));
        return n;
    };
    if (!s.objects.empty())
        s.boundsRoot = build(0, static_cast<std::uint32_t>(s.objects.size()));
    s.trailing = {1, 2, 3, 4};
    return s;
}

GenScene MakeRandomScene(std::uint64_t seed, bool allowBadIndices)
{
    GenScene s;
    Rng rng(seed);

    const std::uint32_t vertexCount = rng.Chance(10) ? 0 : rng.Range(1, 300);
    for (std::uint32_t i = 0; i < vertexCount; ++i) {
        std::array<float, 3> v{rng.Float(-1000, 1000), rng.Float(-1000, 1000), rng.Float(-1000, 1000)};
        if (rng.Chance(3))
            v[rng.Range(0, 2)] = -0.0f;
        if (rng.Chance(2))
            v[rng.Range(0, 2)] = rng.Chance(50) ? 1000000.0f : -2500000.0f;
        s.vertices.push_back(v);
    }
    auto randomBytes = [&](auto& list, std::uint32_t maxCount) {
        const std::uint32_t n = rng.Chance(20) ? 0 : rng.Range(1, maxCount);
        list.resize(n);
        for (auto& r : list)
            for (auto& b : r)
                b = static_cast<std::uint8_t>(rng.Next());
    };
    randomBytes(s.unlit, 40);
    randomBytes(s.prelit, 40);
    randomBytes(s.lit, 40);
    randomBytes(s.lights, 6);

    const std::uint32_t objectCount = rng.Chance(10) ? 0 : rng.Range(1, 6);
    for (std::uint32_t k = 0; k < objectCount; ++k) {
        GenObject o;
        o.objectWord = static_cast<std::uint32_t>(rng.Next());
        const std::uint32_t polyCount = rng.Chance(10) ? 0 : rng.Range(1, 80);
        for (std::uint32_t p = 0; p < polyCount; ++p) {
            GenPolygon poly;
            for (auto& v : poly.vertex) {
                const bool bad = allowBadIndices && rng.Chance(3);
                v = static_cast<std::uint16_t>(bad || vertexCount == 0 ? rng.Range(vertexCount, 0xFFFF)
                                                                       : rng.Range(0, vertexCount - 1));
            }
            for (auto& t : poly.texVertex)
                t = static_cast<std::uint16_t>(rng.Range(0, 60));
            poly.type = static_cast<std::uint16_t>(rng.Next());
            poly.texture = static_cast<std::uint16_t>(rng.Range(0, 8));
            o.polygons.push_back(poly);
        }
        const std::uint32_t pick = rng.Range(0, 9);
        o.hasBounds = pick == 0 ? 0 : pick == 1 ? rng.Range(2, 0xFFFFFFFF) : 1;
        if (o.hasBounds != 0) {
            for (float& f : o.bounds)
                f = rng.Float(-100, 100);
            // Random shapes: any number of roots, uneven fan-out, leaves at any depth.
            std::function<GenNode(int)> node = [&](int depth) {
                GenNode n;
                n.step = rng.Float(0, 10);
                for (auto& q : n.qMin)
                    q = static_cast<std::uint8_t>(rng.Next());
                for (auto& q : n.qMax)
                    q = static_cast<std::uint8_t>(rng.Next());
                if (depth < 6 && rng.Chance(45)) {
                    const std::uint32_t c = rng.Range(1, 4);
                    for (std::uint32_t i = 0; i < c; ++i)
                        n.children.push_back(node(depth + 1));
                } else {
                    const bool bad = allowBadIndices && rng.Chance(5);
                    n.polygon = static_cast<std::uint16_t>(bad || polyCount == 0 ? rng.Range(polyCount, 0xFFFF)
                                                                                 : rng.Range(0, polyCount - 1));
                }
                return n;
            };
            const std::uint32_t roots = rng.Range(0, 3);
            for (std::uint32_t r = 0; r < roots; ++r)
                o.roots.push_back(node(1));
        }
        s.objects.push_back(std::move(o));
    }

    std::function<GenBoundsNode(int)> bnode = [&](int depth) {
        GenBoundsNode n;
        for (float& f : n.box)
            f = rng.Float(-500, 500);
        if (depth < 4 && rng.Chance(50)) {
            const std::uint32_t c = rng.Range(1, 3);
            for (std::uint32_t i = 0; i < c; ++i)
                n.children.push_back(bnode(depth + 1));
        } else {
            const bool bad = allowBadIndices && rng.Chance(10);
            n.objectIndex = static_cast<std::uint16_t>(bad || objectCount == 0 ? rng.Range(objectCount, 0xFFFF)
                                                                               : rng.Range(0, objectCount - 1));
        }
        return n;
    };
    s.boundsRoot = bnode(1);

    auto names = [&](std::vector<std::string>& list) {
        const std::uint32_t n = rng.Range(0, 5);
        for (std::uint32_t i = 0; i < n; ++i) {
            std::string name;
            const std::uint32_t len = rng.Chance(5) ? rng.Range(256, 300) : rng.Range(0, 20);
            for (std::uint32_t c = 0; c < len; ++c)
                name.push_back(static_cast<char>('a' + rng.Range(0, 25)));
            if (len > 2 && rng.Chance(15))
                name[len / 2] = '\0';
            list.push_back(name);
        }
    };
    names(s.textureNames);
    names(s.extraNames);

    if (!rng.Chance(30)) {
        s.trailing.resize(rng.Range(1, 40));
        for (auto& b : s.trailing)
            b = static_cast<std::uint8_t>(rng.Next());
    }
    return s;
}

} // namespace scenegen
