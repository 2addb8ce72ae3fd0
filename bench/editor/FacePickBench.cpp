// Picking a face in the perspective view of the 1,000,000-polygon scene: building the ray
// structure (once per scene), a pick through a pixel once it is built, and the first pick
// after a vertex moved (the boxes are refit). Run it as it is; it needs no display:
//   build/bin/bench_face_pick

#include <benchmark/benchmark.h>

#include "SceneGen.h"
#include "editor/perspective/OrbitCamera.h"
#include "editor/perspective/PerspectiveMesh.h"
#include "scene/FaceRayIndex.h"
#include "scene/QM4EditDoc.h"
#include "scene/VertexEdit.h"

namespace {

constexpr int kWidth = 1000, kHeight = 800;

scene::CQM4EditDoc& LargeScene()
{
    static scene::CQM4EditDoc* doc = [] {
        auto* d = new scene::CQM4EditDoc;
        d->Serialize(scenegen::Encode(scenegen::MakeLargeScene({})));
        return d;
    }();
    return *doc;
}

// The camera as the view first shows the scene, turned a little for each pick.
qm4edit::COrbitCamera FittedCamera(const scene::CQM4EditDoc& doc)
{
    const auto positions = doc.ObjectVertices().Records();
    qm4edit::COrbitCamera camera;
    camera.Fit(qm4edit::BoundsOfPoints(positions), float(kWidth) / float(kHeight));
    return camera;
}

std::optional<scene::FaceHit> PickPixel(const scene::CFaceRayIndex& index, const qm4edit::COrbitCamera& camera, float x,
                                        float y)
{
    QVector3D origin, direction;
    camera.RayThrough(x, y, kWidth, kHeight, origin, direction);
    const float o[3] = {origin.x(), origin.y(), origin.z()};
    const float d[3] = {direction.x(), direction.y(), direction.z()};
    return index.Pick(o, d);
}

void BM_FaceIndexBuild1M(benchmark::State& state)
{
    const scene::CQM4EditDoc& doc = LargeScene();
    scene::CFaceRayIndex index;
    for (auto _ : state) {
        index.Build(doc);
        benchmark::DoNotOptimize(index.NodeCount());
    }
    state.counters["faces"] = static_cast<double>(index.FaceCount());
    state.counters["nodes"] = static_cast<double>(index.NodeCount());
}
BENCHMARK(BM_FaceIndexBuild1M)->Unit(benchmark::kMillisecond)->Iterations(5);

// A pick of a face the user sees, the structure built beforehand: a ray from the eye
// through the middle of a random polygon, the camera turning all round (argument 0); and a
// pick through a random pixel, which in this scene mostly meets empty space (argument 1).
void BM_FacePick1M(benchmark::State& state)
{
    const scene::CQM4EditDoc& doc = LargeScene();
    scene::CFaceRayIndex index;
    index.Build(doc);
    qm4edit::COrbitCamera camera = FittedCamera(doc);
    scenegen::Rng rng(3);
    std::int64_t hits = 0;
    const bool atFaces = state.range(0) == 0;
    for (auto _ : state) {
        camera.Orbit(3.0f, 1.0f);
        std::optional<scene::FaceHit> hit;
        if (atFaces) {
            state.PauseTiming();
            const int object = static_cast<int>(rng.Range(0, std::uint32_t(doc.GetObjectCount() - 1)));
            const scene::PolygonRecord p =
                doc.GetPolygon(object, static_cast<int>(rng.Range(0, std::uint32_t(doc.GetPolygonCount(object) - 1))));
            QVector3D centre;
            for (int k = 0; k < 3; ++k) {
                const scene::ObjectVertex v = doc.GetVertex(p.vertex[k]);
                centre += QVector3D(v.x, v.y, v.z) / 3.0f;
            }
            const QVector3D eye = camera.Eye(), d = centre - eye;
            const float o[3] = {eye.x(), eye.y(), eye.z()}, dir[3] = {d.x(), d.y(), d.z()};
            state.ResumeTiming();
            hit = index.Pick(o, dir);
        } else {
            hit = PickPixel(index, camera, rng.Float(0, float(kWidth)), rng.Float(0, float(kHeight)));
        }
        hits += hit ? 1 : 0;
        benchmark::DoNotOptimize(hit);
    }
    state.counters["hit_share"] = double(hits) / double(std::max<std::int64_t>(state.iterations(), 1));
}
BENCHMARK(BM_FacePick1M)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The pick after an edit moved a vertex: the positions are compared and the boxes refit.
void BM_FacePickAfterMove1M(benchmark::State& state)
{
    scene::CQM4EditDoc& doc = LargeScene();
    scene::CFaceRayIndex index;
    index.Build(doc);
    const qm4edit::COrbitCamera camera = FittedCamera(doc);
    const scene::ObjectVertex v = doc.GetVertex(100);
    float dx = 0.5f;
    for (auto _ : state) {
        state.PauseTiming();
        doc.PreviewVertices(std::vector<scene::VertexChange>{{100, v.x + dx, v.y, v.z}});
        dx = -dx;
        state.ResumeTiming();
        index.Refresh(doc);
        benchmark::DoNotOptimize(PickPixel(index, camera, kWidth / 2.0f, kHeight / 2.0f));
    }
    doc.PreviewVertices(std::vector<scene::VertexChange>{{100, v.x, v.y, v.z}});
}
BENCHMARK(BM_FacePickAfterMove1M)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
