#include "editor/textures/FaceSelection.h"

#include <algorithm>

namespace qm4edit {

bool CFaceSelection::Contains(FaceRef face) const
{
    return std::binary_search(m_faces.begin(), m_faces.end(), face);
}

void CFaceSelection::Clear()
{
    if (m_faces.empty())
        return;
    m_faces.clear();
    ++m_generation;
}

void CFaceSelection::Set(std::vector<FaceRef> faces)
{
    std::sort(faces.begin(), faces.end());
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    if (faces == m_faces)
        return;
    m_faces = std::move(faces);
    ++m_generation;
}

bool CFaceSelection::Pick(const FaceRef* face, FacePick how)
{
    const std::uint64_t before = m_generation;
    if (!face) {
        if (how == FacePick::Replace)
            Clear();
        return m_generation != before;
    }
    const auto at = std::lower_bound(m_faces.begin(), m_faces.end(), *face);
    const bool present = at != m_faces.end() && *at == *face;
    switch (how) {
    case FacePick::Replace:
        if (m_faces.size() == 1 && present)
            return false;
        m_faces.assign(1, *face);
        break;
    case FacePick::Add:
        if (present)
            return false;
        m_faces.insert(at, *face);
        break;
    case FacePick::Toggle:
        if (present)
            m_faces.erase(at);
        else
            m_faces.insert(at, *face);
        break;
    }
    ++m_generation;
    return true;
}

} // namespace qm4edit
