// export-model and import-model: OBJ and glTF exchange of the scene's objects.

#include <iostream>
#include <optional>

#include "Commands.h"
#include "interchange/ModelExport.h"
#include "interchange/ObjImport.h"

namespace qm4tool {

int RunExportModel(const std::vector<std::string>& args)
{
    const Command& self = *FindCommand("export-model");
    Arguments o;
    if (std::string why = ParseArguments(args, {}, {"--object"}, o); !why.empty())
        return UsageError(self, why);
    const std::optional<std::int64_t> object = o.Number("--object");
    if (o.positional.size() != 2)
        return UsageError(self);
    const auto out = common::PathFromUtf8(o.positional[1]);
    if (!interchange::ModelFormatFromPath(out))
        return UsageError(self, "the output must end in .obj or .glb: " + o.positional[1]);

    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, o.positional[0]) || !CheckObjectIndex(doc, object))
        return EXIT_FAILED;
    interchange::ExportOptions options;
    options.object = object ? static_cast<int>(*object) : -1;
    const auto sceneFolder = common::PathFromUtf8(o.positional[0]).parent_path();
    const interchange::ExportResult r =
        interchange::ExportModelFile(doc, sceneFolder.empty() ? "." : sceneFolder, out, options);
    if (!r.ok) {
        std::cerr << r.message << '\n';
        return EXIT_FAILED;
    }
    std::cerr << r.Summary() << '\n';
    return EXIT_OK;
}

int RunImportModel(const std::vector<std::string>& args)
{
    const Command& self = *FindCommand("import-model");
    Arguments o;
    if (std::string why = ParseArguments(args, {}, {"--object"}, o); !why.empty())
        return UsageError(self, why);
    const std::optional<std::int64_t> object = o.Number("--object");
    if (o.positional.size() != 3)
        return UsageError(self);

    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, o.positional[0]) || !CheckObjectIndex(doc, object))
        return EXIT_FAILED;
    const interchange::ObjImportPlan plan =
        interchange::ImportObjFile(doc, common::PathFromUtf8(o.positional[1]), object ? static_cast<int>(*object) : -1);
    if (!plan.ok) {
        std::cerr << plan.message << '\n';
        return EXIT_FAILED;
    }
    std::cerr << plan.Summary() << '\n';
    return SaveScene(doc, o.positional[2]) ? EXIT_OK : EXIT_FAILED;
}

} // namespace qm4tool
