// Recomputation checked against a second, deliberately plain implementation that works on
// the generator's own description of the scene and is encoded by the generator's own
// writer: the document's bytes after UpdateGeometry must be exactly these.

#include <gtest/gtest.h>

#include <cmath>

#include "SceneTestSupport.h"

using scenegen::GenBoundsNode;
using scenegen::GenNode;
using scenegen::GenObject;
using scenegen::GenScene;

namespace {

using Box6 = std::array<float, 6>; // min x, y, z, max x, y, z

constexpr Box6 EMPTY = {1e6f, 1e6f, 1e6f, -1e6f, -1e6f, -1e6f};

void Widen(Box6& b, const Box6& c)
{
    for (int a = 0; a < 3; ++a) {
        if (c[a] < b[a])
            b[a] = c[a];
        if (c[a + 3] > b[a + 3])
            b[a + 3] = c[a + 3];
    }
}

struct Reference {
    const GenScene& scene;

    void Exact(const GenNode& n, const GenObject& o, Box6& b) const
    {
        if (!n.children.empty()) {
            for (const GenNode& c : n.children) {
                Box6 cb = EMPTY;
                Exact(c, o, cb);
                Widen(b, cb);
            }
            return;
        }
        if (n.polygon >= o.polygons.size())
            return;
        for (std::uint16_t v : o.polygons[n.polygon].vertex) {
            if (v >= scene.vertices.size())
                continue;
            const auto& p = scene.vertices[v];
            Widen(b, {p[0], p[1], p[2], p[0], p[1], p[2]});
        }
    }

    static std::uint8_t Low8(double x)
    {
        const double t = std::trunc(x);
        if (!(std::fabs(t) < 9.0e18))
            return 0;
        return static_cast<std::uint8_t>(static_cast<long long>(t) & 0xFF);
    }

    void Requantize(GenNode& n, const GenObject& o, const Box6& p) const
    {
        Box6 e = EMPTY;
        Exact(n, o, e);
        const double dx = double(p[3]) - double(p[0]);
        const double dy = double(p[4]) - double(p[1]);
        const double dz = double(p[5]) - double(p[2]);
        double l = dx;
        if (dy > l)
            l = dy;
        if (dz > l)
            l = dz;
        const double s = l * (1.0 / 255.0);
        n.step = float(s);
        Box6 d;
        for (int a = 0; a < 3; ++a) {
            n.qMin[a] = Low8((double(e[a]) - double(p[a])) / s);
            const double t = (double(e[a + 3]) - double(p[a])) / s;
            n.qMax[a] = t < 255 ? Low8(t + 1) : Low8(t);
            d[a] = float(n.qMin[a] * s + double(p[a]));
            d[a + 3] = float(n.qMax[a] * s + double(p[a]));
        }
        for (GenNode& c : n.children)
            Requantize(c, o, d);
    }

    void SceneBounds(GenBoundsNode& n, Box6* parent, const std::vector<GenObject>& objects) const
    {
        Box6 b = EMPTY;
        if (!n.children.empty()) {
            for (GenBoundsNode& c : n.children)
                SceneBounds(c, &b, objects);
        } else if (n.objectIndex < objects.size()) {
            Box6 ob;
            std::copy(std::begin(objects[n.objectIndex].bounds), std::end(objects[n.objectIndex].bounds), ob.begin());
            Widen(b, ob);
        }
        std::copy(b.begin(), b.end(), n.box);
        if (parent)
            Widen(*parent, b);
    }
};

GenScene Recomputed(GenScene s)
{
    const Reference ref{s};
    for (GenObject& o : s.objects) {
        Box6 b = EMPTY;
        for (const GenNode& r : o.roots) {
            Box6 c = EMPTY;
            ref.Exact(r, o, c);
            Widen(b, c);
        }
        for (GenNode& r : o.roots)
            ref.Requantize(r, o, b);
        std::copy(b.begin(), b.end(), o.bounds);
    }
    ref.SceneBounds(s.boundsRoot, nullptr, s.objects);
    return s;
}

} // namespace

TEST(ReferenceRecompute, DocumentMatchesThePlainImplementationByteForByte)
{
    std::vector<GenScene> scenes = {scenegen::MakeDemoScene()};
    for (std::uint64_t seed = 1000; seed < 1200; ++seed)
        scenes.push_back(scenegen::MakeRandomScene(seed, seed % 2 == 1));
    scenegen::LargeOptions small;
    small.polygons = 70000;
    small.vertices = 70000;
    scenes.push_back(scenegen::MakeLargeScene(small));

    for (std::size_t i = 0; i < scenes.size(); ++i) {
        scene::CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(scenegen::Encode(scenes[i])).Ok());
        doc.UpdateGeometry();
        ASSERT_EQ(doc.SaveToBytes(), scenegen::Encode(Recomputed(scenes[i]))) << "scene " << i;
    }
}

TEST(ReferenceRecompute, MovingOneVertexMatchesToo)
{
    for (std::uint64_t seed = 7; seed < 40; ++seed) {
        GenScene s = scenegen::MakeRandomScene(seed);
        if (s.vertices.empty())
            continue;
        scene::CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(scenegen::Encode(s)).Ok());
        const int index = static_cast<int>(seed % s.vertices.size());
        ASSERT_TRUE(doc.SetVertexAndUpdate(index, -1.5f, 0.0f, 2.0f));
        s.vertices[index] = {-1.5f, 0.0f, 2.0f};
        ASSERT_EQ(doc.SaveToBytes(), scenegen::Encode(Recomputed(s))) << seed;
    }
}
