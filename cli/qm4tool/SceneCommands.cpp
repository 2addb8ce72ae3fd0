// info, resave, recompute and set-vertex.

#include <cstdint>
#include <cstdio>
#include <iostream>

#include "Commands.h"
#include "common/NumberText.h"

namespace qm4tool {

int RunInfo(const std::vector<std::string>& args)
{
    const Command& self = *FindCommand("info");
    if (args.size() != 1)
        return UsageError(self);
    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, args[0]))
        return EXIT_FAILED;

    const auto& objects = doc.ObjectInfo();
    std::cout << "File: " << args[0] << '\n'
              << "Object vertices: " << doc.ObjectVertices().GetCount() << '\n'
              << "Unlit texture vertices: " << doc.UnlitTexVertices().GetCount() << '\n'
              << "Prelit texture vertices: " << doc.PrelitTexVertices().GetCount() << '\n'
              << "Lit texture vertices: " << doc.LitTexVertices().GetCount() << '\n'
              << "Light sources: " << doc.LightSources().GetCount() << '\n'
              << "Objects: " << objects.GetObjectCount() << '\n'
              << "Polygons: " << objects.TotalPolygonCount() << '\n'
              << "Object bounds-tree nodes: " << objects.TotalTreeNodeCount() << '\n'
              << "Scene bounds nodes: " << doc.SceneBounds().NodeCount() << '\n'
              << "Texture names: " << doc.TextureNames().GetCount() << '\n'
              << "Extra names: " << doc.ExtraNames().GetCount() << '\n'
              << "Trailing bytes: " << doc.TrailingData().size() << '\n';
    return EXIT_OK;
}

int RunResave(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return UsageError(*FindCommand("resave"));
    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, args[0]) || !SaveScene(doc, args[1]))
        return EXIT_FAILED;
    return EXIT_OK;
}

int RunRecompute(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return UsageError(*FindCommand("recompute"));
    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, args[0]))
        return EXIT_FAILED;
    doc.UpdateGeometry();
    return SaveScene(doc, args[1]) ? EXIT_OK : EXIT_FAILED;
}

int RunSetVertex(const std::vector<std::string>& args)
{
    const Command& self = *FindCommand("set-vertex");
    if (args.size() != 6)
        return UsageError(self);
    std::int64_t index = 0;
    float xyz[3] = {0, 0, 0};
    if (!common::ParseIntField(args[1], index))
        return UsageError(self, "INDEX is not an integer: " + args[1]);
    for (int k = 0; k < 3; ++k)
        if (!common::ParseFloatField(args[2 + k], xyz[k]))
            return UsageError(self, std::string(1, "XYZ"[k]) + " is not a number: " + args[2 + k]);

    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, args[0]))
        return EXIT_FAILED;
    if (index < 0 || index >= doc.GetVertexCount()) {
        std::cerr << "Vertex index " << index << " is out of range: the scene has " << doc.GetVertexCount()
                  << " vertices.\n";
        return EXIT_FAILED;
    }
    doc.SetVertexAndUpdate(static_cast<int>(index), xyz[0], xyz[1], xyz[2]);
    return SaveScene(doc, args[5]) ? EXIT_OK : EXIT_FAILED;
}

} // namespace qm4tool
