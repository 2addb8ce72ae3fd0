#pragma once
// The faces picked in the perspective view, or chosen through the tree or the Textures pane:
// what a texture is assigned to and what the 3D view tints. A plain value the frame owns;
// the views read it while they paint.

#include <compare>
#include <cstdint>
#include <vector>

namespace qm4edit {

struct FaceRef {
    int object = -1;
    int polygon = -1;
    auto operator<=>(const FaceRef&) const = default;
};

// What a click does with the face under it: a plain click picks only it (or nothing),
// Shift+click adds it, Ctrl+click adds or takes it away.
enum class FacePick { Replace, Add, Toggle };

class CFaceSelection {
public:
    // In object order, then polygon order, each once.
    const std::vector<FaceRef>& Faces() const { return m_faces; }
    bool IsEmpty() const { return m_faces.empty(); }
    std::size_t Count() const { return m_faces.size(); }
    bool Contains(FaceRef face) const;
    // Changes whenever the selection does, so that a view can tell its copy is old.
    std::uint64_t Generation() const { return m_generation; }

    void Clear();
    void Set(std::vector<FaceRef> faces);
    // A click on face (none: a click on empty space, which clears only a plain click's
    // selection). Returns whether anything changed.
    bool Pick(const FaceRef* face, FacePick how);

private:
    std::vector<FaceRef> m_faces;
    std::uint64_t m_generation = 0;
};

} // namespace qm4edit
