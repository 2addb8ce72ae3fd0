#pragma once
// Helpers shared by the scene tests.

#include <cstdint>
#include <string>
#include <vector>

#include "SceneGen.h"
#include "scene/QM4EditDoc.h"

namespace scenetest {

// Records what the document tells its observers, one line per call.
class RecordingObserver : public scene::ISceneObserver {
public:
    std::vector<std::string> events;

    void ClearTree() override { events.push_back("clear"); }
    void AddObjectToTree(int index, const scene::ObjectRecord& record) override
    {
        events.push_back("add " + std::to_string(index) + " " + std::to_string(record.polygons.size()));
    }
    void UpdateAllViews() override { events.push_back("update"); }
    void ModifiedChanged(bool modified) override { events.push_back(modified ? "modified" : "unmodified"); }
};

inline std::vector<std::uint8_t> Bytes(const scenegen::GenScene& s)
{
    return scenegen::Encode(s);
}

// Offsets of every 78 56 34 12 in the file, in order. For scenes whose data never holds that
// pattern these are the section and object end markers: sections 1 to 5, then one per
// object, then the end of section 6, then sections 7, 8 and 9.
inline std::vector<std::size_t> MarkerOffsets(const std::vector<std::uint8_t>& file)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i + 4 <= file.size(); ++i)
        if (file[i] == 0x78 && file[i + 1] == 0x56 && file[i + 2] == 0x34 && file[i + 3] == 0x12)
            out.push_back(i);
    return out;
}

// The smallest valid scene: every list empty, the scene bounds a lone root leaf.
inline scenegen::GenScene EmptyScene()
{
    return scenegen::GenScene{};
}

inline bool SceneIsEmpty(const scene::CQM4EditDoc& doc)
{
    return !doc.IsLoaded() && doc.GetVertexCount() == 0 && doc.UnlitTexVertices().GetCount() == 0 &&
        doc.PrelitTexVertices().GetCount() == 0 && doc.LitTexVertices().GetCount() == 0 &&
        doc.LightSources().GetCount() == 0 && doc.GetObjectCount() == 0 && doc.SceneBounds().NodeCount() == 1 &&
        doc.SceneBounds().Root().childCount == 0 && doc.TextureNames().GetCount() == 0 &&
        doc.ExtraNames().GetCount() == 0 && doc.TrailingData().empty();
}

} // namespace scenetest
