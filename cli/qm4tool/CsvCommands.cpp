// export and import: the editor's CSV exchange from the command line.

#include <cstdint>
#include <iostream>
#include <optional>

#include "Commands.h"
#include "scene/csv/CsvExchange.h"
#include "scene/csv/CsvMessages.h"

namespace qm4tool {

namespace {

struct CsvOptions {
    std::vector<std::string> positional;
    bool vertices = false;
    std::optional<std::int64_t> object;
    std::optional<std::int64_t> polygon;
};

// --polygon belongs to export alone.
std::string ParseCsvOptions(const std::vector<std::string>& args, bool allowPolygon, CsvOptions& out)
{
    Arguments a;
    const std::string why = allowPolygon ? ParseArguments(args, {"--vertices"}, {"--object", "--polygon"}, a)
                                         : ParseArguments(args, {"--vertices"}, {"--object"}, a);
    out.positional = std::move(a.positional);
    out.vertices = a.Has("--vertices");
    out.object = a.Number("--object");
    out.polygon = a.Number("--polygon");
    return why;
}

// The object (and polygon) must exist in the loaded scene; prints why not.
bool CheckScope(const scene::CQM4EditDoc& doc, const CsvOptions& o)
{
    if (!CheckObjectIndex(doc, o.object))
        return false;
    if (o.polygon) {
        const int count = doc.GetPolygonCount(static_cast<int>(*o.object));
        if (*o.polygon < 0 || *o.polygon >= count) {
            std::cerr << "Polygon index " << *o.polygon << " is out of range: object " << *o.object << " has " << count
                      << " polygons.\n";
            return false;
        }
    }
    return true;
}

} // namespace

int RunExport(const std::vector<std::string>& args)
{
    const Command& self = *FindCommand("export");
    CsvOptions o;
    if (std::string why = ParseCsvOptions(args, true, o); !why.empty())
        return UsageError(self, why);
    if (o.positional.size() != 2)
        return UsageError(self);
    if (o.polygon && !o.object)
        return UsageError(self, "--polygon needs --object");

    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, o.positional[0]))
        return EXIT_FAILED;
    if (!CheckScope(doc, o))
        return EXIT_FAILED;

    scene::CsvScope scope;
    scope.object = o.object ? static_cast<int>(*o.object) : -1;
    scope.polygon = o.polygon ? static_cast<int>(*o.polygon) : -1;
    const auto type = o.vertices ? scene::CSV_UNIQUE_VERTS : scene::CSV_OBJECT_POLYGONS;

    const scene::CsvFileResult r = scene::ExportCsvFile(doc, common::PathFromUtf8(o.positional[1]), type, scope);
    if (r.skippedPolygons)
        std::cerr << scene::CsvSkippedPolygonsMessage(r.skippedPolygons) << '\n';
    if (!r.ok) {
        std::cerr << r.message << '\n';
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int RunImport(const std::vector<std::string>& args)
{
    const Command& self = *FindCommand("import");
    CsvOptions o;
    if (std::string why = ParseCsvOptions(args, false, o); !why.empty())
        return UsageError(self, why);
    if (o.positional.size() != 3)
        return UsageError(self);

    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, o.positional[0]))
        return EXIT_FAILED;
    // As in the editor, vertex lines name their vertices directly: --object plays no part.
    if (!o.vertices && !CheckScope(doc, o))
        return EXIT_FAILED;

    const auto type = o.vertices ? scene::CSV_UNIQUE_VERTS : scene::CSV_OBJECT_POLYGONS;
    const int object = (o.object && !o.vertices) ? static_cast<int>(*o.object) : -1;
    const scene::CsvImportResult r = scene::ImportCsvFile(doc, common::PathFromUtf8(o.positional[1]), type, object);
    if (!r.ok) {
        std::cerr << r.message << '\n';
        return EXIT_FAILED;
    }
    std::cerr << r.Summary() << '\n';
    return SaveScene(doc, o.positional[2]) ? EXIT_OK : EXIT_FAILED;
}

} // namespace qm4tool
