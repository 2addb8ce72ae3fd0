// scenegen: writes the demo scene and scenes for benchmarks and tests.
//
//   scenegen demo OUT
//   scenegen large OUT [--polygons N] [--vertices N] [--per-object N] [--min-depth D] [--max-depth D] [--seed S]
//   scenegen random OUT [--seed S] [--bad-indices]
//
// demo and large are passed once through the document's geometry update, so their boxes
// and quantized trees are the ones the editor itself would write; add --raw to skip that.

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "SceneGen.h"
#include "common/AtomicFile.h"
#include "scene/QM4EditDoc.h"

namespace {

int Usage()
{
    std::fprintf(
        stderr,
        "usage: scenegen demo OUT\n"
        "       scenegen large OUT [--polygons N] [--vertices N] [--per-object N] [--min-depth D] [--max-depth D]\n"
        "                      [--seed S] [--raw]\n"
        "       scenegen random OUT [--seed S] [--bad-indices]\n");
    return 2;
}

bool ParseU64(const char* text, std::uint64_t& out)
{
    const char* end = text + std::strlen(text);
    auto [p, ec] = std::from_chars(text, end, out);
    return ec == std::errc() && p == end;
}

int Write(const std::string& out, const std::vector<std::uint8_t>& bytes, bool recompute)
{
    if (recompute) {
        scene::CQM4EditDoc doc;
        scene::LoadResult r = doc.Serialize(bytes);
        if (!r.Ok()) {
            std::fprintf(stderr, "scenegen: generated scene does not load: %s\n", r.message.c_str());
            return 1;
        }
        doc.UpdateGeometry();
        scene::SaveResult s = doc.OnSaveDocument(common::PathFromUtf8(out));
        if (!s.ok) {
            std::fprintf(stderr, "%s\n", s.message.c_str());
            return 1;
        }
        return 0;
    }
    if (!common::WriteFileAtomically(common::PathFromUtf8(out), bytes)) {
        std::fprintf(stderr, "scenegen: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string what = argv[1];
    const std::string out = argv[2];

    scenegen::LargeOptions large;
    std::uint64_t seed = 1;
    bool badIndices = false, raw = false;
    for (int i = 3; i < argc; ++i) {
        const std::string opt = argv[i];
        std::uint64_t value = 0;
        if (opt == "--bad-indices") {
            badIndices = true;
        } else if (opt == "--raw") {
            raw = true;
        } else if (i + 1 < argc && ParseU64(argv[i + 1], value)) {
            ++i;
            if (opt == "--polygons")
                large.polygons = static_cast<std::uint32_t>(value);
            else if (opt == "--vertices")
                large.vertices = static_cast<std::uint32_t>(value);
            else if (opt == "--per-object")
                large.polygonsPerObject = static_cast<std::uint32_t>(value);
            else if (opt == "--min-depth")
                large.minDepth = static_cast<int>(value);
            else if (opt == "--max-depth")
                large.maxDepth = static_cast<int>(value);
            else if (opt == "--seed")
                seed = large.seed = value;
            else
                return Usage();
        } else {
            return Usage();
        }
    }

    if (what == "demo")
        return Write(out, scenegen::Encode(scenegen::MakeDemoScene()), !raw);
    if (what == "large")
        return Write(out, scenegen::Encode(scenegen::MakeLargeScene(large)), !raw);
    if (what == "random")
        return Write(out, scenegen::Encode(scenegen::MakeRandomScene(seed, badIndices)), false);
    return Usage();
}
