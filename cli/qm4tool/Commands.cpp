#include "Commands.h"

#include <cstdio>
#include <iostream>

#include "common/AtomicFile.h"
#include "common/NumberText.h"

namespace qm4tool {

int RunInfo(const std::vector<std::string>& args);
int RunResave(const std::vector<std::string>& args);
int RunRecompute(const std::vector<std::string>& args);
int RunSetVertex(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);
int RunExportModel(const std::vector<std::string>& args);
int RunImportModel(const std::vector<std::string>& args);
int RunThumbnail(const std::vector<std::string>& args);

namespace {

const Command COMMANDS[] = {
    {"info", "FILE", "counts of every section, polygons, bounds-tree nodes and trailing bytes", RunInfo},
    {"resave", "IN OUT", "load and save unchanged", RunResave},
    {"recompute", "IN OUT", "load, recompute all bounds, save", RunRecompute},
    {"set-vertex", "IN INDEX X Y Z OUT", "move one vertex (bounds recomputed), save", RunSetVertex},
    {"export", "IN OUT.csv [--vertices] [--object N] [--polygon P]",
     "write polygon lines (or, with --vertices, unique vertex lines) of the scene, of object N "
     "(0-based), or of polygon P of object N",
     RunExport},
    {"import", "IN IN.csv OUT [--vertices] [--object N]",
     "read vertex positions from polygon lines (only those of object N with --object) or, with "
     "--vertices, from vertex lines; save",
     RunImport},
    {"export-model", "IN OUT.obj|OUT.glb [--object N]",
     "write the objects (or object N, 0-based) as Wavefront OBJ with materials and PNG textures, or as "
     "binary glTF 2.0 with textures embedded; the format follows OUT's extension",
     RunExportModel},
    {"import-model", "IN IN.obj OUT [--object N]",
     "read vertex positions, texture coordinates and materials back from an OBJ file (and its material "
     "library beside it), matching its objects, materials and faces to the scene's (only object N with "
     "--object); save",
     RunImportModel},
    {"thumbnail", "IN.qm4 OUT.png SIZE",
     "write a preview of SIZE x SIZE pixels (1 to 2048): the scene from three-quarters above on a "
     "transparent background, textured where its textures lie beside it; a damaged file writes nothing",
     RunThumbnail},
};

} // namespace

std::span<const Command> AllCommands()
{
    return COMMANDS;
}

const Command* FindCommand(const std::string& name)
{
    for (const Command& c : COMMANDS)
        if (name == c.name)
            return &c;
    return nullptr;
}

int UsageError(const Command& command, const std::string& why)
{
    if (!why.empty())
        std::cerr << "qm4tool " << command.name << ": " << why << '\n';
    std::cerr << "usage: qm4tool " << command.name << ' ' << command.usage << '\n';
    return EXIT_USAGE;
}

void StderrPrompt::ShowMessage(const std::string& text, common::MessageIcon)
{
    std::cerr << text << '\n';
}

bool StderrPrompt::AskYesNo(const std::string& text, common::MessageIcon)
{
    std::cerr << text << '\n' << (m_yes ? "Yes (--yes)" : "No (use --yes to answer Yes)") << '\n';
    return m_yes;
}

bool LoadScene(scene::CQM4EditDoc& doc, const std::string& path)
{
    const scene::LoadResult result = doc.OnOpenDocument(common::PathFromUtf8(path));
    if (result.Ok())
        return true;
    StderrPrompt prompt;
    result.Report(prompt);
    return false;
}

bool SaveScene(scene::CQM4EditDoc& doc, const std::string& path)
{
    const scene::SaveResult result = doc.OnSaveDocument(common::PathFromUtf8(path));
    if (result.ok)
        return true;
    StderrPrompt prompt;
    result.Report(prompt);
    return false;
}

bool Arguments::Has(std::string_view flag) const
{
    for (const std::string& f : flags)
        if (f == flag)
            return true;
    return false;
}

std::optional<std::int64_t> Arguments::Number(std::string_view option) const
{
    for (auto it = numbers.rbegin(); it != numbers.rend(); ++it) // a repeated option: the last counts
        if (it->first == option)
            return it->second;
    return std::nullopt;
}

std::string ParseArguments(const std::vector<std::string>& args, std::initializer_list<std::string_view> flags,
                           std::initializer_list<std::string_view> numberOptions, Arguments& out)
{
    auto among = [](const std::string& a, std::initializer_list<std::string_view> list) {
        for (std::string_view x : list)
            if (a == x)
                return true;
        return false;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (among(a, flags)) {
            out.flags.push_back(a);
        } else if (among(a, numberOptions)) {
            if (i + 1 >= args.size())
                return a + " needs a number";
            std::int64_t n = 0;
            if (!common::ParseIntField(args[i + 1], n))
                return a + " is not followed by an integer: " + args[i + 1];
            out.numbers.emplace_back(a, n);
            ++i;
        } else if (a.starts_with("--")) {
            return "unknown option " + a;
        } else {
            out.positional.push_back(a);
        }
    }
    return {};
}

bool CheckObjectIndex(const scene::CQM4EditDoc& doc, std::optional<std::int64_t> object)
{
    if (object && (*object < 0 || *object >= doc.GetObjectCount())) {
        std::cerr << "Object index " << *object << " is out of range: the scene has " << doc.GetObjectCount()
                  << " objects.\n";
        return false;
    }
    return true;
}

} // namespace qm4tool
