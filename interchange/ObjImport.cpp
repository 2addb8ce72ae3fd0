#include "interchange/ObjImport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <limits>
#include <optional>
#include <streambuf>

#include "common/AtomicFile.h"
#include "interchange/InterchangeMessages.h"
#include "interchange/ModelMesh.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include <tiny_obj_loader.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace interchange {

using scene::CQM4EditDoc;
using scene::PolygonRecord;

namespace {

struct ObjFace {
    int material = -1; // i of a "tex<i>_..." material, -1 for any other material or none
    std::uint32_t firstCorner = 0;
    std::uint32_t cornerCount = 0;
    std::uint32_t materialName = 0; // index into ObjFile::materialNames
};

struct ObjBlock {
    std::string name;
    std::optional<long long> number;
    std::vector<ObjFace> faces;
};

struct ObjFile {
    std::vector<std::array<double, 3>> positions;
    std::vector<std::uint32_t> corners; // 0-based position index of every face corner
    std::vector<ObjBlock> blocks;
    std::vector<std::string> materialNames;
};

// The object number a block's name carries: the first run of digits once a trailing copy
// suffix such as ".001" is cut off. "Object_07", "Object 7" and "Object_07_Object_07.002" all
// carry 7.
std::optional<long long> NameNumber(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot + 1 < name.size() &&
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dot) + 1, name.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
        name = name.substr(0, dot);
    const std::size_t start = name.find_first_of("0123456789");
    if (start == std::string_view::npos)
        return std::nullopt;
    std::size_t end = start;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9')
        ++end;
    long long n = 0;
    const auto r = std::from_chars(name.data() + start, name.data() + end, n);
    if (r.ec != std::errc())
        return std::nullopt;
    return n;
}

// i of a material named "tex<i>_..." (or just "tex<i>"), else -1.
int MaterialTexture(std::string_view name)
{
    if (name.size() < 4 || name.substr(0, 3) != "tex")
        return -1;
    std::size_t end = 3;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9')
        ++end;
    if (end == 3 || end - 3 > 5 || (end < name.size() && name[end] != '_'))
        return -1;
    int i = 0;
    std::from_chars(name.data() + 3, name.data() + end, i);
    return i;
}

// The OBJ text as the stream tinyobjloader reads, without a copy. How far it has read tells
// which line a callback came from.
class TextBuf : public std::streambuf {
public:
    explicit TextBuf(std::string_view text) : m_text(text)
    {
        char* p = const_cast<char*>(text.data()); // only ever read
        setg(p, p, p + text.size());
    }
    // The line the reader has just consumed: its number (from 1) and its text.
    std::size_t LineNumber() const
    {
        const std::size_t end = LastLineEnd();
        return static_cast<std::size_t>(
                   std::count(m_text.begin(), m_text.begin() + static_cast<std::ptrdiff_t>(end), '\n')) +
            1;
    }
    std::string_view LastLine() const
    {
        const std::size_t end = LastLineEnd();
        const std::size_t nl = end == 0 ? std::string_view::npos : m_text.rfind('\n', end - 1);
        const std::size_t start = nl == std::string_view::npos ? 0 : nl + 1;
        return m_text.substr(start, end - start);
    }

private:
    // Where the last consumed line's text ends (before its line break).
    std::size_t LastLineEnd() const
    {
        std::size_t end = static_cast<std::size_t>(gptr() - eback());
        if (end > 0 && m_text[end - 1] == '\n')
            --end;
        if (end > 0 && m_text[end - 1] == '\r')
            --end;
        return end;
    }
    std::string_view m_text;
};

std::string_view TrimBlanks(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The reader takes a word that is not a number, or a missing one, as 0; a position must be
// three words that are numbers.
// sign, digits with at most one point, and an optional exponent: what the library reads
// as a number without stopping early ("1e5-6" would be read as 1e5).
bool IsNumberText(std::string_view t)
{
    std::size_t i = 0, digits = 0;
    const auto digit = [&] { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    for (; digit(); ++i)
        ++digits;
    if (i < t.size() && t[i] == '.')
        for (++i; digit(); ++i)
            ++digits;
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (!digit())
            return false;
        while (digit())
            ++i;
    }
    return i == t.size();
}

bool HasThreeNumbers(std::string_view line)
{
    line = TrimBlanks(line).substr(1); // past "v"
    for (int i = 0; i < 3; ++i) {
        line = TrimBlanks(line);
        const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
        if (!IsNumberText(line.substr(0, end)))
            return false;
        line.remove_prefix(end);
    }
    return true;
}

// Positions are stored as floats; a larger magnitude would become infinite.
bool FitsFloat(double v)
{
    return std::isfinite(v) && std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max());
}

struct ParseState {
    ObjFile* file = nullptr;
    const TextBuf* buf = nullptr;
    std::string error; // the first problem; later lines are then ignored
    bool sawObjectStatement = false;
    int material = -1;
    std::uint32_t materialName = 0;

    void Fail(const char* what)
    {
        if (error.empty())
            error = ObjBadLineMessage(buf->LineNumber(), what);
    }
    void StartBlock(std::string_view name)
    {
        ObjBlock block;
        block.name = std::string(TrimBlanks(name));
        block.number = NameNumber(block.name);
        file->blocks.push_back(std::move(block));
    }
};

void OnVertex(void* user, double x, double y, double z, double /*w*/)
{
    auto& st = *static_cast<ParseState*>(user);
    if (!st.error.empty())
        return;
    if (!HasThreeNumbers(st.buf->LastLine())) {
        st.Fail("a vertex position is not three numbers");
        return;
    }
    if (!FitsFloat(x) || !FitsFloat(y) || !FitsFloat(z)) {
        st.Fail("a vertex position is too large for the scene");
        return;
    }
    st.file->positions.push_back({x, y, z});
}

void OnFace(void* user, tinyobj::index_t* corners, int count)
{
    auto& st = *static_cast<ParseState*>(user);
    if (!st.error.empty())
        return;
    ObjFile& file = *st.file;
    ObjFace face;
    face.material = st.material;
    face.materialName = st.materialName;
    face.firstCorner = static_cast<std::uint32_t>(file.corners.size());
    const long long positions = static_cast<long long>(file.positions.size());
    for (int i = 0; i < count; ++i) {
        // Raw as written: 1-based, negative counting back from the last position, 0 for none.
        const long long index = corners[i].vertex_index;
        if (index == 0) {
            st.Fail("a face corner does not name a vertex");
            return;
        }
        const long long resolved = index > 0 ? index - 1 : positions + index;
        if (resolved < 0 || resolved >= positions) {
            st.Fail("a face corner names a vertex that does not exist");
            return;
        }
        file.corners.push_back(static_cast<std::uint32_t>(resolved));
    }
    face.cornerCount = static_cast<std::uint32_t>(count);
    file.blocks.back().faces.push_back(face);
}

void OnMaterial(void* user, const char* name, int /*materialId*/)
{
    auto& st = *static_cast<ParseState*>(user);
    const std::string_view trimmed = TrimBlanks(name);
    st.material = MaterialTexture(trimmed);
    st.materialName = static_cast<std::uint32_t>(st.file->materialNames.size());
    st.file->materialNames.emplace_back(trimmed);
}

void OnObject(void* user, const char* name)
{
    auto& st = *static_cast<ParseState*>(user);
    // Where "o" statements exist they name the objects; "g" then only names groups inside them.
    st.sawObjectStatement = true;
    st.StartBlock(name);
}

void OnGroup(void* user, const char** names, int count)
{
    auto& st = *static_cast<ParseState*>(user);
    if (st.sawObjectStatement)
        return;
    std::string name; // the reader splits a group name at its blanks
    for (int i = 0; i < count; ++i) {
        if (i)
            name += ' ';
        name += names[i];
    }
    st.StartBlock(name);
}

// Reads what the matching needs with tinyobjloader's streaming reader (no material library is
// opened); returns a message for text that cannot be an OBJ we can use.
std::string ParseObj(std::string_view text, ObjFile& file)
{
    file.positions.reserve(text.size() / 64);
    file.corners.reserve(text.size() / 16);
    file.materialNames.push_back({});
    file.blocks.push_back({}); // faces before any name

    TextBuf buf(text);
    std::istream in(&buf);
    ParseState st;
    st.file = &file;
    st.buf = &buf;
    tinyobj::callback_t cb;
    cb.vertex_cb = OnVertex;
    cb.index_cb = OnFace;
    cb.usemtl_cb = OnMaterial;
    cb.object_cb = OnObject;
    cb.group_cb = OnGroup;
    std::string warn, err;
    tinyobj::LoadObjWithCallback(in, cb, &st, nullptr, &warn, &err);
    if (!st.error.empty())
        return st.error;
    // Programs drop objects without faces; so do we.
    std::erase_if(file.blocks, [](const ObjBlock& b) { return b.faces.empty(); });
    return {};
}

bool Within(double a, double b, double tolerance)
{
    return std::fabs(a - b) <= tolerance;
}

} // namespace

ObjImportPlan PlanObjImport(const CQM4EditDoc& doc, std::string_view objText, int object)
{
    ObjImportPlan plan;
    ObjFile file;
    if (std::string why = ParseObj(objText, file); !why.empty()) {
        plan.message = why;
        return plan;
    }
    const int objectCount = doc.GetObjectCount();
    auto nameOf = [&](int o) { return ObjectName(o, objectCount); };

    // Which file block each scene object takes, -1 for none.
    std::vector<int> blockOf(static_cast<std::size_t>(objectCount), -1);
    if (object >= 0) {
        if (object >= objectCount) {
            plan.message = ObjNoSuchObjectMessage(object + 1, objectCount);
            return plan;
        }
        int chosen = file.blocks.size() == 1 ? 0 : -1;
        for (std::size_t b = 0; chosen < 0 && b < file.blocks.size(); ++b)
            if (file.blocks[b].number == object + 1)
                chosen = static_cast<int>(b);
        if (chosen < 0 && !file.blocks.empty()) {
            plan.message = ObjNotOneObjectMessage(file.blocks.size(), nameOf(object));
            return plan;
        }
        blockOf[static_cast<std::size_t>(object)] = chosen;
    } else {
        const bool numbered =
            std::any_of(file.blocks.begin(), file.blocks.end(), [](const ObjBlock& b) { return b.number.has_value(); });
        if (numbered) {
            for (std::size_t b = 0; b < file.blocks.size(); ++b) {
                const ObjBlock& block = file.blocks[b];
                if (!block.number) {
                    plan.message = ObjUnnumberedBlockMessage(block.name);
                    return plan;
                }
                if (*block.number < 1 || *block.number > objectCount) {
                    plan.message = ObjExtraObjectMessage(block.name, objectCount);
                    return plan;
                }
                int& slot = blockOf[static_cast<std::size_t>(*block.number - 1)];
                if (slot >= 0) {
                    plan.message =
                        ObjDuplicateObjectMessage(file.blocks[static_cast<std::size_t>(slot)].name, block.name);
                    return plan;
                }
                slot = static_cast<int>(b);
            }
        } else {
            // In order: the blocks with faces meet the objects that have polygons to meet them.
            std::size_t next = 0, withPolygons = 0;
            for (int o = 0; o < objectCount; ++o) {
                const auto& polygons = doc.GetObjectRecord(o).polygons;
                if (std::none_of(polygons.begin(), polygons.end(),
                                 [&](const PolygonRecord& p) { return IsExportable(doc, p); }))
                    continue;
                ++withPolygons;
                if (next < file.blocks.size())
                    blockOf[static_cast<std::size_t>(o)] = static_cast<int>(next++);
            }
            if (withPolygons != file.blocks.size()) {
                plan.message = ObjObjectCountMessage(file.blocks.size(), withPolygons);
                return plan;
            }
        }
    }

    // The scene's extent sets the tolerance.
    double extent = 0.0;
    {
        scene::Box box = scene::BOX_EMPTY;
        bool any = false;
        for (const scene::ObjectVertex& v : doc.ObjectVertices().Records()) {
            if (std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) {
                scene::MergePoint(box, v.x, v.y, v.z);
                any = true;
            }
        }
        if (any)
            for (int a = 0; a < 3; ++a)
                extent = std::max(extent, static_cast<double>(box.max[a]) - static_cast<double>(box.min[a]));
    }
    const double tolerance = extent * OBJ_IMPORT_TOLERANCE;

    const std::size_t vertexCount = static_cast<std::size_t>(doc.GetVertexCount());
    // 0 untouched, 1 has a position, 2 has a position and was given another one too.
    std::vector<std::uint8_t> state(vertexCount, 0);
    std::vector<std::array<double, 3>> target(vertexCount);

    std::vector<int> polygonsByTexture; // scratch
    std::vector<std::uint32_t> faceOf; // polygon -> face of the block
    for (int o = 0; o < objectCount; ++o) {
        const std::vector<PolygonRecord>& polygons = doc.GetObjectRecord(o).polygons;
        const int b = blockOf[static_cast<std::size_t>(o)];
        std::vector<std::uint32_t> exportable;
        for (std::size_t k = 0; k < polygons.size(); ++k)
            if (IsExportable(doc, polygons[k]))
                exportable.push_back(static_cast<std::uint32_t>(k));
        if (b < 0) {
            if (!exportable.empty() && (object < 0 || o == object)) {
                plan.message = ObjMissingObjectMessage(nameOf(o), exportable.size());
                return plan;
            }
            continue;
        }
        const ObjBlock& block = file.blocks[static_cast<std::size_t>(b)];
        faceOf.assign(polygons.size(), UINT32_MAX);
        const bool byMaterial =
            std::all_of(block.faces.begin(), block.faces.end(), [](const ObjFace& f) { return f.material >= 0; });
        if (byMaterial) {
            // Polygons of each texture in order, against faces of each material in order.
            std::vector<std::vector<std::uint32_t>> sceneByTex, fileByTex;
            std::vector<std::uint32_t> fileMaterialName;
            auto slot = [](std::vector<std::vector<std::uint32_t>>& v, std::size_t i) -> std::vector<std::uint32_t>& {
                if (v.size() <= i)
                    v.resize(i + 1);
                return v[i];
            };
            for (std::uint32_t k : exportable)
                slot(sceneByTex, polygons[k].texture).push_back(k);
            for (std::size_t f = 0; f < block.faces.size(); ++f) {
                const std::size_t i = static_cast<std::size_t>(block.faces[f].material);
                slot(fileByTex, i).push_back(static_cast<std::uint32_t>(f));
                if (fileMaterialName.size() <= i)
                    fileMaterialName.resize(i + 1, 0);
                if (!fileMaterialName[i])
                    fileMaterialName[i] = block.faces[f].materialName;
            }
            const std::size_t n = std::max(sceneByTex.size(), fileByTex.size());
            sceneByTex.resize(n);
            fileByTex.resize(n);
            fileMaterialName.resize(n, 0);
            for (std::size_t i = 0; i < n; ++i) {
                if (sceneByTex[i].size() != fileByTex[i].size()) {
                    const std::string material = fileMaterialName[i] ? file.materialNames[fileMaterialName[i]]
                                                                     : MaterialName(doc, static_cast<int>(i));
                    plan.message = ObjFaceCountMessage(nameOf(o), material, fileByTex[i].size(), sceneByTex[i].size());
                    return plan;
                }
                for (std::size_t k = 0; k < sceneByTex[i].size(); ++k) {
                    const ObjFace& face = block.faces[fileByTex[i][k]];
                    if (face.cornerCount != 3) {
                        plan.message = ObjCornerCountMessage(nameOf(o), file.materialNames[face.materialName], k + 1,
                                                             face.cornerCount);
                        return plan;
                    }
                    faceOf[sceneByTex[i][k]] = fileByTex[i][k];
                }
            }
        } else {
            if (block.faces.size() != exportable.size()) {
                plan.message = ObjFaceCountMessage(nameOf(o), {}, block.faces.size(), exportable.size());
                return plan;
            }
            for (std::size_t k = 0; k < exportable.size(); ++k) {
                if (block.faces[k].cornerCount != 3) {
                    plan.message = ObjCornerCountMessage(nameOf(o), {}, k + 1, block.faces[k].cornerCount);
                    return plan;
                }
                faceOf[exportable[k]] = static_cast<std::uint32_t>(k);
            }
        }

        // Scene order: polygons in order, corners in order; the first position a vertex gets wins.
        for (std::uint32_t k : exportable) {
            const ObjFace& face = block.faces[faceOf[k]];
            for (int c = 0; c < 3; ++c) {
                const std::size_t v = polygons[k].vertex[c];
                const std::array<double, 3>& p =
                    file.positions[file.corners[face.firstCorner + static_cast<std::uint32_t>(c)]];
                if (state[v] == 0) {
                    state[v] = 1;
                    target[v] = p;
                } else if (state[v] == 1 &&
                           !(Within(p[0], target[v][0], tolerance) && Within(p[1], target[v][1], tolerance) &&
                             Within(p[2], target[v][2], tolerance))) {
                    state[v] = 2;
                    ++plan.disagreements;
                }
            }
        }
        ++plan.objects;
        plan.faces += exportable.size();
    }

    for (std::size_t v = 0; v < vertexCount; ++v) {
        if (!state[v])
            continue;
        const scene::ObjectVertex cur = doc.ObjectVertices().GetAt(v);
        const std::array<double, 3>& p = target[v];
        if (Within(p[0], cur.x, tolerance) && Within(p[1], cur.y, tolerance) && Within(p[2], cur.z, tolerance)) {
            ++plan.unchanged;
            continue;
        }
        VertexMove m;
        m.index = static_cast<int>(v);
        m.from = cur;
        m.to = {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
        plan.moves.push_back(m);
    }
    plan.ok = true;
    return plan;
}

void ApplyObjImport(CQM4EditDoc& doc, const ObjImportPlan& plan)
{
    if (!plan.ok)
        return;
    for (const VertexMove& m : plan.moves)
        doc.SetVertex(m.index, m.to.x, m.to.y, m.to.z);
    doc.UpdateGeometry();
}

ObjImportPlan ImportObjFile(CQM4EditDoc& doc, const std::filesystem::path& path, int object)
{
    std::vector<std::uint8_t> bytes;
    if (common::ReadWholeFile(path, bytes) != common::ReadStatus::Ok) {
        ObjImportPlan plan;
        plan.message = CannotReadMessage(common::PathToUtf8(path));
        return plan;
    }
    ObjImportPlan plan =
        PlanObjImport(doc, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), object);
    ApplyObjImport(doc, plan);
    return plan;
}

std::string ObjImportPlan::Summary() const
{
    std::string s = "OBJ import: " + Plural(objects, "object", "objects") + ", " + Plural(faces, "face", "faces") +
        " matched; " + Plural(moves.size(), "vertex", "vertices") + " moved, " + std::to_string(unchanged) +
        " unchanged.";
    if (disagreements)
        s += " " + Plural(disagreements, "vertex was", "vertices were") +
            " given different positions by different faces; the first in scene order was kept.";
    return s;
}

} // namespace interchange
