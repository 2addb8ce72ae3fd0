// export-model and import-model: OBJ and glTF exchange of the scene's objects.

#include <iostream>
#include <optional>

#include "Commands.h"
#include "common/NumberText.h"
#include "interchange/ModelExport.h"
#include "interchange/ObjImport.h"

namespace qm4tool {

namespace {

struct ModelOptions {
    std::vector<std::string> positional;
    std::optional<long long> object;
};

std::string ParseModelOptions(const std::vector<std::string>& args, ModelOptions& out)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--object") {
            if (i + 1 >= args.size())
                return a + " needs a number";
            std::int64_t n = 0;
            if (!common::ParseIntField(args[i + 1], n))
                return a + " is not followed by an integer: " + args[i + 1];
            out.object = n;
            ++i;
        } else if (a.starts_with("--")) {
            return "unknown option " + a;
        } else {
            out.positional.push_back(a);
        }
    }
    return {};
}

bool CheckObject(const scene::CQM4EditDoc& doc, const ModelOptions& o)
{
    if (o.object && (*o.object < 0 || *o.object >= doc.GetObjectCount())) {
        std::cerr << "Object index " << *o.object << " is out of range: the scene has " << doc.GetObjectCount()
                  << " objects.\n";
        return false;
    }
    return true;
}

} // namespace

int RunExportModel(const std::vector<std::string>& args)
{
    const Command& self = *FindCommand("export-model");
    ModelOptions o;
    if (std::string why = ParseModelOptions(args, o); !why.empty())
        return UsageError(self, why);
    if (o.positional.size() != 2)
        return UsageError(self);
    const auto out = common::PathFromUtf8(o.positional[1]);
    if (!interchange::ModelFormatFromPath(out))
        return UsageError(self, "the output must end in .obj or .glb: " + o.positional[1]);

    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, o.positional[0]) || !CheckObject(doc, o))
        return EXIT_FAILED;
    interchange::ExportOptions options;
    options.object = o.object ? static_cast<int>(*o.object) : -1;
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
    ModelOptions o;
    if (std::string why = ParseModelOptions(args, o); !why.empty())
        return UsageError(self, why);
    if (o.positional.size() != 3)
        return UsageError(self);

    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, o.positional[0]) || !CheckObject(doc, o))
        return EXIT_FAILED;
    const interchange::ObjImportPlan plan = interchange::ImportObjFile(
        doc, common::PathFromUtf8(o.positional[1]), o.object ? static_cast<int>(*o.object) : -1);
    if (!plan.ok) {
        std::cerr << plan.message << '\n';
        return EXIT_FAILED;
    }
    std::cerr << plan.Summary() << '\n';
    return SaveScene(doc, o.positional[2]) ? EXIT_OK : EXIT_FAILED;
}

} // namespace qm4tool
