#include "interchange/ObjImport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <sstream>
#include <streambuf>
#include <unordered_map>

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

constexpr std::uint32_t NO_TEXCOORD = UINT32_MAX;

struct ObjCorner {
    std::uint32_t position = 0; // 0-based index into ObjFile::positions
    std::uint32_t texcoord = NO_TEXCOORD; // 0-based index into ObjFile::texcoords
};

struct ObjFace {
    int texture = -1; // the texture its material stands for, once mapped; -1 for no material
    std::uint32_t firstCorner = 0;
    std::uint32_t cornerCount = 0;
    std::uint32_t materialName = 0; // index into ObjFile::materialNames, 0 for none
};

struct ObjBlock {
    std::string name;
    std::optional<long long> number;
    std::vector<ObjFace> faces;
};

struct ObjFile {
    std::vector<std::array<double, 3>> positions;
    std::vector<std::array<double, 2>> texcoords; // u and v as written
    std::vector<std::uint64_t> texcoordEnds; // where the line of each ends in the text
    std::vector<ObjCorner> corners;
    std::vector<ObjBlock> blocks;
    std::vector<std::string> materialNames; // one per "usemtl" line, after an empty one
    std::vector<std::string> materialLibraries; // the text after "mtllib" of each such line
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
    // The line the reader has just consumed: its number (from 1) and its text. The reader
    // only moves forward, so the line breaks are counted once.
    std::size_t LineNumber() const
    {
        const std::size_t end = LastLineEnd();
        if (end < m_counted) {
            m_counted = 0;
            m_breaks = 0;
        }
        m_breaks += static_cast<std::size_t>(std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_counted),
                                                        m_text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
        m_counted = end;
        return m_breaks + 1;
    }
    // Where the text of the line the reader has just consumed ends.
    std::size_t LastLineEnd() const
    {
        std::size_t end = static_cast<std::size_t>(gptr() - eback());
        if (end > 0 && m_text[end - 1] == '\n')
            --end;
        if (end > 0 && m_text[end - 1] == '\r')
            --end;
        return end;
    }
    std::string_view LastLine() const
    {
        const std::size_t end = LastLineEnd();
        const std::size_t nl = end == 0 ? std::string_view::npos : m_text.rfind('\n', end - 1);
        const std::size_t start = nl == std::string_view::npos ? 0 : nl + 1;
        return m_text.substr(start, end - start);
    }

private:
    std::string_view m_text;
    mutable std::size_t m_counted = 0; // line breaks before this offset are counted
    mutable std::size_t m_breaks = 0;
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

// The line's first count words after its keyword are numbers.
bool HasNumbers(std::string_view line, std::size_t keyword, int count)
{
    line = TrimBlanks(line).substr(keyword);
    for (int i = 0; i < count; ++i) {
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
    if (!HasNumbers(st.buf->LastLine(), 1, 3)) {
        st.Fail("a vertex position is not three numbers");
        return;
    }
    if (!FitsFloat(x) || !FitsFloat(y) || !FitsFloat(z)) {
        st.Fail("a vertex position is too large for the scene");
        return;
    }
    st.file->positions.push_back({x, y, z});
}

void OnTexcoord(void* user, double u, double v, double /*w*/)
{
    auto& st = *static_cast<ParseState*>(user);
    if (!st.error.empty())
        return;
    if (!HasNumbers(st.buf->LastLine(), 2, 2)) {
        st.Fail("a texture coordinate is not two numbers");
        return;
    }
    // v is stored as counted from the top, 1 - v.
    if (!FitsFloat(u) || !FitsFloat(1.0 - v)) {
        st.Fail("a texture coordinate is too large for the scene");
        return;
    }
    st.file->texcoords.push_back({u, v});
    // Their line numbers are only needed for a refusal, counted then.
    st.file->texcoordEnds.push_back(st.buf->LastLineEnd());
}

void OnFace(void* user, tinyobj::index_t* corners, int count)
{
    auto& st = *static_cast<ParseState*>(user);
    if (!st.error.empty())
        return;
    ObjFile& file = *st.file;
    ObjFace face;
    face.materialName = st.materialName;
    face.firstCorner = static_cast<std::uint32_t>(file.corners.size());
    const long long positions = static_cast<long long>(file.positions.size());
    const long long texcoords = static_cast<long long>(file.texcoords.size());
    for (int i = 0; i < count; ++i) {
        // Raw as written: 1-based, negative counting back from the last one, 0 for none.
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
        ObjCorner corner;
        corner.position = static_cast<std::uint32_t>(resolved);
        if (const long long t = corners[i].texcoord_index; t != 0) {
            const long long at = t > 0 ? t - 1 : texcoords + t;
            if (at < 0 || at >= texcoords) {
                st.Fail("a face corner names a texture coordinate that does not exist");
                return;
            }
            corner.texcoord = static_cast<std::uint32_t>(at);
        }
        file.corners.push_back(corner);
    }
    face.cornerCount = static_cast<std::uint32_t>(count);
    file.blocks.back().faces.push_back(face);
}

void OnMaterial(void* user, const char* name, int /*materialId*/)
{
    auto& st = *static_cast<ParseState*>(user);
    const std::string_view trimmed = TrimBlanks(name);
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

// The reader names a material library only to a material reader; this one notes the line
// and opens nothing, so the libraries are read once the import knows it needs them.
class LibraryLineReader : public tinyobj::MaterialReader {
public:
    LibraryLineReader(const TextBuf& buf, ObjFile& file) : m_buf(buf), m_file(file) {}
    bool operator()(const std::string&, std::vector<tinyobj::material_t>*, std::map<std::string, int>*, std::string*,
                    std::string*) override
    {
        // Called once per name on the line: note the line once.
        const std::size_t line = m_buf.LineNumber();
        if (line != m_line) {
            m_line = line;
            std::string_view text = TrimBlanks(m_buf.LastLine());
            text.remove_prefix(std::min<std::size_t>(text.size(), 6)); // "mtllib"
            m_file.materialLibraries.emplace_back(TrimBlanks(text));
        }
        return false;
    }

private:
    const TextBuf& m_buf;
    ObjFile& m_file;
    std::size_t m_line = 0;
};

// Reads what the matching needs with tinyobjloader's streaming reader (material libraries are
// only noted); returns a message for text that cannot be an OBJ we can use.
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
    cb.texcoord_cb = OnTexcoord;
    cb.index_cb = OnFace;
    cb.usemtl_cb = OnMaterial;
    cb.object_cb = OnObject;
    cb.group_cb = OnGroup;
    std::string warn, err;
    LibraryLineReader libraries(buf, file);
    tinyobj::LoadObjWithCallback(in, cb, &st, &libraries, &warn, &err);
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

std::string AsciiLowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// "C:\maps\Wood.png" and "maps/Wood.png" are both "Wood.png".
std::string_view FileNameOf(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// "brick.tex" without its extension is "brick"; a leading dot starts no extension.
std::string_view WithoutExtension(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

// Which texture each material of the file stands for, found when a face first uses it. The
// material libraries are read only when a material is not one of our "tex<i>_..." ones.
class MaterialMapper {
public:
    MaterialMapper(const CQM4EditDoc& doc, const ObjFile& file, const MtlReader& mtl, std::vector<std::string>& added)
        : m_doc(doc), m_file(file), m_mtl(mtl), m_added(added), m_entryTexture(file.materialNames.size(), UNMAPPED)
    {}

    // The texture of the face's material (-1 without one), or why the material cannot be used.
    std::string Map(std::uint32_t entry, int& texture)
    {
        int& mapped = m_entryTexture[entry];
        if (mapped == UNMAPPED) {
            if (entry == 0 || m_file.materialNames[entry].empty()) {
                mapped = -1;
            } else {
                const std::string& name = m_file.materialNames[entry];
                const auto known = m_byName.find(name);
                if (known != m_byName.end()) {
                    mapped = known->second;
                } else {
                    if (std::string why = Resolve(name, mapped); !why.empty())
                        return why;
                    m_byName.emplace(name, mapped);
                }
            }
        }
        texture = mapped;
        return {};
    }

private:
    static constexpr int UNMAPPED = -2;

    std::string Resolve(const std::string& name, int& texture)
    {
        const int count = m_doc.TextureNames().GetCount();
        if (const int i = MaterialTexture(name); i >= 0 && i < count) {
            texture = i;
            return {};
        }
        ReadLibraries();
        if (!m_libraryFound)
            return ObjMaterialWithoutLibraryMessage(name);
        const auto image = m_images.find(name);
        if (image == m_images.end() || image->second.empty())
            return ObjMaterialWithoutImageMessage(name);
        const std::string_view fileName = FileNameOf(image->second);
        const std::string stem = AsciiLowered(WithoutExtension(fileName));
        BuildStems();
        if (const auto found = m_stems.find(stem); found != m_stems.end()) {
            texture = found->second;
            return {};
        }
        // The name a new texture made from that image would get.
        const std::string newName = std::string(WithoutExtension(fileName)) + ".tex";
        if (static_cast<std::size_t>(count) + m_added.size() >= 65536)
            return ObjTooManyTexturesMessage(name);
        if (std::string why = scene::CheckTextureName(newName, m_doc.TextureNames()); !why.empty())
            return ObjMaterialBadNameMessage(name, why);
        texture = count + static_cast<int>(m_added.size());
        m_added.push_back(newName);
        m_stems.emplace(stem, texture);
        return {};
    }

    // Each "mtllib" line names one library (a name may hold blanks) or several.
    void ReadLibraries()
    {
        if (m_librariesRead)
            return;
        m_librariesRead = true;
        if (!m_mtl)
            return;
        // A file naming thousands of libraries gets the first few read, each once.
        constexpr int MAX_LIBRARIES = 64;
        std::set<std::string> tried;
        int libraries = 0;
        auto read = [&](const std::string& name) {
            if (name.empty() || libraries == MAX_LIBRARIES || !tried.insert(name).second)
                return false;
            const std::optional<std::string> text = m_mtl(name);
            if (!text)
                return false;
            ++libraries;
            m_libraryFound = true;
            std::map<std::string, int> index;
            std::vector<tinyobj::material_t> materials;
            std::istringstream in(*text);
            std::string warn, err;
            tinyobj::LoadMtl(&index, &materials, &in, &warn, &err);
            for (const tinyobj::material_t& m : materials) // the first definition of a name counts
                m_images.emplace(std::string(TrimBlanks(m.name)), std::string(TrimBlanks(m.diffuse_texname)));
            return true;
        };
        for (const std::string& line : m_file.materialLibraries) {
            if (read(line))
                continue;
            std::string_view rest = line;
            while (!(rest = TrimBlanks(rest)).empty()) {
                const std::size_t end = std::min(rest.find_first_of(" \t"), rest.size());
                read(std::string(rest.substr(0, end)));
                rest.remove_prefix(end);
            }
        }
    }

    void BuildStems()
    {
        if (m_stemsBuilt)
            return;
        m_stemsBuilt = true;
        const int count = m_doc.TextureNames().GetCount();
        for (int i = 0; i < count; ++i) // the lowest index of a name wins
            m_stems.emplace(AsciiLowered(WithoutExtension(m_doc.GetTextureName(static_cast<std::uint32_t>(i)))), i);
    }

    const CQM4EditDoc& m_doc;
    const ObjFile& m_file;
    const MtlReader& m_mtl;
    std::vector<std::string>& m_added;
    std::vector<int> m_entryTexture; // by material entry
    std::unordered_map<std::string, int> m_byName;
    bool m_librariesRead = false;
    bool m_libraryFound = false;
    std::unordered_map<std::string, std::string> m_images; // material name -> map_Kd
    bool m_stemsBuilt = false;
    std::unordered_map<std::string, int> m_stems; // lower-case name without extension -> texture
};

// Scratch tables of the face matching, kept across objects: stamped with the object, so they
// need no clearing.
struct MatchScratch {
    std::vector<int> vertexStamp; // by scene vertex
    std::vector<std::uint32_t> vertexRank;
    std::vector<int> positionStamp; // by file position
    std::vector<std::uint32_t> positionRank;
    std::vector<std::uint32_t> used;
};

// Faces against polygons by vertices: a face's corners, numbered by their rank among the
// positions the block uses, and a polygon's, numbered by first use in the object, are the same
// three numbers. Among polygons on the same vertices, one of the face's texture goes first.
bool MatchByVertices(const ObjFile& file, const ObjBlock& block, const std::vector<PolygonRecord>& polygons,
                     const std::vector<std::uint32_t>& exportable, const MatchScratch& scratch,
                     std::vector<std::uint32_t>& faceOf)
{
    if (block.faces.size() != exportable.size())
        return false;
    struct Keyed {
        std::uint64_t key;
        std::uint32_t texture;
        std::uint32_t index;
        bool operator<(const Keyed& o) const
        {
            return key != o.key ? key < o.key : texture != o.texture ? texture < o.texture : index < o.index;
        }
    };
    auto key = [](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        return (std::uint64_t(a) << 42) | (std::uint64_t(b) << 21) | c;
    };
    std::vector<Keyed> scenePolys, fileFaces;
    scenePolys.reserve(exportable.size());
    fileFaces.reserve(exportable.size());
    for (std::uint32_t k : exportable) {
        const PolygonRecord& p = polygons[k];
        scenePolys.push_back(
            {key(scratch.vertexRank[p.vertex[0]], scratch.vertexRank[p.vertex[1]], scratch.vertexRank[p.vertex[2]]),
             p.texture, k});
    }
    for (std::uint32_t f = 0; f < block.faces.size(); ++f) {
        const ObjFace& face = block.faces[f];
        if (face.cornerCount != 3)
            return false;
        const ObjCorner* c = &file.corners[face.firstCorner];
        fileFaces.push_back({key(scratch.positionRank[c[0].position], scratch.positionRank[c[1].position],
                                 scratch.positionRank[c[2].position]),
                             face.texture < 0 ? UINT32_MAX : static_cast<std::uint32_t>(face.texture), f});
    }
    std::sort(scenePolys.begin(), scenePolys.end());
    std::sort(fileFaces.begin(), fileFaces.end());

    // First the pairs of the same vertices and texture, then the same vertices alone.
    std::vector<bool> polyDone(scenePolys.size(), false), faceDone(fileFaces.size(), false);
    for (std::size_t i = 0, j = 0; i < scenePolys.size() && j < fileFaces.size();) {
        const Keyed& a = scenePolys[i];
        const Keyed& b = fileFaces[j];
        if (a.key == b.key && a.texture == b.texture) {
            faceOf[a.index] = b.index;
            polyDone[i++] = true;
            faceDone[j++] = true;
        } else if (a.key < b.key || (a.key == b.key && a.texture < b.texture)) {
            ++i;
        } else {
            ++j;
        }
    }
    std::size_t i = 0, j = 0;
    while (true) {
        while (i < scenePolys.size() && polyDone[i])
            ++i;
        while (j < fileFaces.size() && faceDone[j])
            ++j;
        if (i == scenePolys.size() || j == fileFaces.size())
            return i == scenePolys.size() && j == fileFaces.size();
        if (scenePolys[i].key != fileFaces[j].key)
            return false; // sorted by key: one side has a key the other lacks
        faceOf[scenePolys[i].index] = fileFaces[j].index;
        polyDone[i] = faceDone[j] = true;
    }
}

// Pairs the block's faces with the object's exportable polygons (faceOf, by polygon index), or
// says why they do not meet.
std::string MatchFaces(const CQM4EditDoc& doc, const ObjFile& file, const ObjBlock& block, int object,
                       const std::vector<std::uint32_t>& exportable, MatchScratch& scratch,
                       std::vector<std::uint32_t>& faceOf)
{
    const std::vector<PolygonRecord>& polygons = doc.GetObjectRecord(object).polygons;
    const std::string objectName = ObjectName(object, doc.GetObjectCount());
    faceOf.assign(polygons.size(), UINT32_MAX);

    // By rank: the k-th face of a material is the k-th polygon of its texture; without
    // materials on every face, the k-th face is the k-th polygon.
    std::string byRank;
    const bool byMaterial =
        std::all_of(block.faces.begin(), block.faces.end(), [](const ObjFace& f) { return f.texture >= 0; });
    if (byMaterial) {
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
            const std::size_t i = static_cast<std::size_t>(block.faces[f].texture);
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
        for (std::size_t i = 0; i < n && byRank.empty(); ++i) {
            const std::string material =
                fileMaterialName[i] ? file.materialNames[fileMaterialName[i]] : MaterialName(doc, static_cast<int>(i));
            if (sceneByTex[i].size() != fileByTex[i].size()) {
                byRank = ObjFaceCountMessage(objectName, material, fileByTex[i].size(), sceneByTex[i].size());
                break;
            }
            for (std::size_t k = 0; k < sceneByTex[i].size(); ++k) {
                const ObjFace& face = block.faces[fileByTex[i][k]];
                if (face.cornerCount != 3) {
                    byRank = ObjCornerCountMessage(objectName, material, k + 1, face.cornerCount);
                    break;
                }
                faceOf[sceneByTex[i][k]] = fileByTex[i][k];
            }
        }
    } else if (block.faces.size() != exportable.size()) {
        byRank = ObjFaceCountMessage(objectName, {}, block.faces.size(), exportable.size());
    } else {
        for (std::size_t k = 0; k < exportable.size(); ++k) {
            if (block.faces[k].cornerCount != 3) {
                byRank = ObjCornerCountMessage(objectName, {}, k + 1, block.faces[k].cornerCount);
                break;
            }
            faceOf[exportable[k]] = static_cast<std::uint32_t>(k);
        }
    }

    // The vertex numbering of both sides: the scene's by first use, the file's by position.
    std::uint32_t sceneVertices = 0;
    for (std::uint32_t k : exportable)
        for (const std::uint16_t v : polygons[k].vertex)
            if (scratch.vertexStamp[v] != object) {
                scratch.vertexStamp[v] = object;
                scratch.vertexRank[v] = sceneVertices++;
            }
    scratch.used.clear();
    for (const ObjFace& face : block.faces)
        for (std::uint32_t c = 0; c < face.cornerCount; ++c) {
            const std::uint32_t position = file.corners[face.firstCorner + c].position;
            if (scratch.positionStamp[position] != object) {
                scratch.positionStamp[position] = object;
                scratch.used.push_back(position);
            }
        }
    std::sort(scratch.used.begin(), scratch.used.end());
    for (std::size_t r = 0; r < scratch.used.size(); ++r)
        scratch.positionRank[scratch.used[r]] = static_cast<std::uint32_t>(r);
    // Another numbering (a program that renumbered the vertices) leaves the ranks alone.
    const bool sameNumbering = scratch.used.size() == sceneVertices;

    if (byRank.empty()) {
        bool agree = true;
        for (std::size_t n = 0; agree && sameNumbering && n < exportable.size(); ++n) {
            const std::uint32_t k = exportable[n];
            const ObjCorner* c = &file.corners[block.faces[faceOf[k]].firstCorner];
            for (int j = 0; j < 3; ++j)
                agree = agree && scratch.positionRank[c[j].position] == scratch.vertexRank[polygons[k].vertex[j]];
        }
        if (agree)
            return {};
    }
    std::vector<std::uint32_t> byVertices(polygons.size(), UINT32_MAX);
    if (sameNumbering && MatchByVertices(file, block, polygons, exportable, scratch, byVertices)) {
        faceOf = std::move(byVertices);
        return {};
    }
    return byRank;
}

template <class Record>
void WidenUvRange(std::span<const Record> records, double (&lo)[2], double (&hi)[2])
{
    for (const Record& r : records) {
        const double uv[2] = {r.u, r.v};
        if (!std::isfinite(uv[0]) || !std::isfinite(uv[1]))
            continue;
        for (int a = 0; a < 2; ++a) {
            lo[a] = std::min(lo[a], uv[a]);
            hi[a] = std::max(hi[a], uv[a]);
        }
    }
}

const char* TexVertexListName(int kind)
{
    return kind == scene::TEXVERTEX_PRELIT ? "prelit" : kind == scene::TEXVERTEX_LIT ? "lit" : "unlit";
}

} // namespace

MtlReader MtlFromFolder(std::filesystem::path folder)
{
    return [folder = std::move(folder)](const std::string& name) -> std::optional<std::string> {
        const std::string_view file = FileNameOf(name);
        if (file.empty() || file == "." || file == "..")
            return std::nullopt;
        std::vector<std::uint8_t> bytes;
        if (common::ReadWholeFile(folder / common::PathFromUtf8(std::string(file)), bytes) != common::ReadStatus::Ok)
            return std::nullopt;
        return std::string(bytes.begin(), bytes.end());
    };
}

MtlReader MtlFromText(std::string text)
{
    return [text = std::move(text)](const std::string&) -> std::optional<std::string> { return text; };
}

ObjImportPlan PlanObjImport(const CQM4EditDoc& doc, std::string_view objText, int object, const MtlReader& mtl)
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

    // The materials of the faces that take part, as textures.
    {
        MaterialMapper mapper(doc, file, mtl, plan.addedTextures);
        for (int o = 0; o < objectCount; ++o) {
            const int b = blockOf[static_cast<std::size_t>(o)];
            if (b < 0)
                continue;
            for (ObjFace& face : file.blocks[static_cast<std::size_t>(b)].faces)
                if (std::string why = mapper.Map(face.materialName, face.texture); !why.empty()) {
                    plan.message = why;
                    plan.addedTextures.clear();
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
    double uvExtent = 1.0;
    {
        double lo[2] = {0, 0}, hi[2] = {0, 0};
        lo[0] = lo[1] = std::numeric_limits<double>::infinity();
        hi[0] = hi[1] = -std::numeric_limits<double>::infinity();
        WidenUvRange(doc.UnlitTexVertices().Records(), lo, hi);
        WidenUvRange(doc.PrelitTexVertices().Records(), lo, hi);
        WidenUvRange(doc.LitTexVertices().Records(), lo, hi);
        for (int a = 0; a < 2; ++a)
            if (hi[a] >= lo[a])
                uvExtent = std::max(uvExtent, hi[a] - lo[a]);
    }
    const double uvTolerance = uvExtent * OBJ_IMPORT_TOLERANCE;

    const std::size_t vertexCount = static_cast<std::size_t>(doc.GetVertexCount());
    // 0 untouched, 1 has a position, 2 has a position and was given another one too.
    std::vector<std::uint8_t> state(vertexCount, 0);
    std::vector<std::array<double, 3>> target(vertexCount);
    // The first file coordinate each texture vertex of each list got, by kind * 65536 + index.
    std::vector<std::uint32_t> texcoordOf(3 * 65536, NO_TEXCOORD);

    MatchScratch scratch;
    scratch.vertexStamp.assign(65536, -1);
    scratch.vertexRank.assign(65536, 0);
    scratch.positionStamp.assign(file.positions.size(), -1);
    scratch.positionRank.assign(file.positions.size(), 0);
    std::vector<std::uint32_t> faceOf; // polygon -> face of the block
    std::vector<std::uint32_t> exportable;
    for (int o = 0; o < objectCount; ++o) {
        const std::vector<PolygonRecord>& polygons = doc.GetObjectRecord(o).polygons;
        const int b = blockOf[static_cast<std::size_t>(o)];
        exportable.clear();
        for (std::size_t k = 0; k < polygons.size(); ++k)
            if (IsExportable(doc, polygons[k]))
                exportable.push_back(static_cast<std::uint32_t>(k));
        if (b < 0) {
            if (!exportable.empty() && (object < 0 || o == object)) {
                plan.message = ObjMissingObjectMessage(nameOf(o), exportable.size());
                plan.addedTextures.clear();
                return plan;
            }
            continue;
        }
        const ObjBlock& block = file.blocks[static_cast<std::size_t>(b)];
        if (std::string why = MatchFaces(doc, file, block, o, exportable, scratch, faceOf); !why.empty()) {
            plan.message = why;
            plan.addedTextures.clear();
            return plan;
        }

        // Scene order: polygons in order, corners in order; the first position a vertex gets wins.
        for (std::uint32_t k : exportable) {
            const PolygonRecord& polygon = polygons[k];
            const ObjFace& face = block.faces[faceOf[k]];
            const std::size_t list = static_cast<std::size_t>(CQM4EditDoc::GetTextureVertexKind(polygon.type)) * 65536;
            for (int c = 0; c < 3; ++c) {
                const ObjCorner& corner = file.corners[face.firstCorner + static_cast<std::uint32_t>(c)];
                const std::size_t v = polygon.vertex[c];
                const std::array<double, 3>& p = file.positions[corner.position];
                if (state[v] == 0) {
                    state[v] = 1;
                    target[v] = p;
                } else if (state[v] == 1 &&
                           !(Within(p[0], target[v][0], tolerance) && Within(p[1], target[v][1], tolerance) &&
                             Within(p[2], target[v][2], tolerance))) {
                    state[v] = 2;
                    ++plan.disagreements;
                }
                if (corner.texcoord == NO_TEXCOORD)
                    continue;
                // Corners sharing a texture vertex must agree: there is no telling which to keep.
                std::uint32_t& first = texcoordOf[list + polygon.texVertex[c]];
                if (first == NO_TEXCOORD) {
                    first = corner.texcoord;
                } else if (first != corner.texcoord) {
                    const std::array<double, 2>& a = file.texcoords[first];
                    const std::array<double, 2>& t = file.texcoords[corner.texcoord];
                    if (!Within(a[0], t[0], uvTolerance) || !Within(a[1], t[1], uvTolerance)) {
                        const std::uint64_t ends[2] = {
                            std::min(file.texcoordEnds[first], file.texcoordEnds[corner.texcoord]),
                            std::max(file.texcoordEnds[first], file.texcoordEnds[corner.texcoord])};
                        auto lineAt = [&](std::uint64_t end) {
                            return static_cast<std::size_t>(std::count(
                                       objText.begin(), objText.begin() + static_cast<std::ptrdiff_t>(end), '\n')) +
                                1;
                        };
                        const std::size_t lines[2] = {lineAt(ends[0]), lineAt(ends[1])};
                        plan.message = ObjTexVertexConflictMessage(lines[0], lines[1],
                                                                   TexVertexListName(static_cast<int>(list / 65536)),
                                                                   polygon.texVertex[c]);
                        plan.addedTextures.clear();
                        return plan;
                    }
                }
            }
            if (face.texture >= 0 && face.texture != polygon.texture)
                plan.textureMoves.push_back(
                    {{o, static_cast<int>(k)}, polygon.texture, static_cast<std::uint16_t>(face.texture)});
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

    // Against what the export writes: u as stored, v as 1 - v in single precision.
    for (std::size_t key = 0; key < texcoordOf.size(); ++key) {
        if (texcoordOf[key] == NO_TEXCOORD)
            continue;
        TexVertexMove m;
        m.kind = static_cast<int>(key / 65536);
        m.index = static_cast<std::uint32_t>(key % 65536);
        m.from = doc.GetTextureVertex(m.kind, m.index);
        const std::array<double, 2>& t = file.texcoords[texcoordOf[key]];
        const double written[2] = {m.from.u, static_cast<double>(1.0f - m.from.v)};
        m.to = {static_cast<float>(t[0]), static_cast<float>(1.0 - t[1])};
        if ((Within(t[0], written[0], uvTolerance) && Within(t[1], written[1], uvTolerance)) ||
            (std::memcmp(&m.to.u, &m.from.u, sizeof(float)) == 0 &&
             std::memcmp(&m.to.v, &m.from.v, sizeof(float)) == 0)) {
            ++plan.texVerticesUnchanged;
            continue;
        }
        plan.texVertexMoves.push_back(m);
    }
    plan.ok = true;
    return plan;
}

scene::CSceneEdit ObjImportPlan::MakeEdit(const CQM4EditDoc& doc) const
{
    std::vector<scene::VertexChange> positions;
    positions.reserve(moves.size());
    for (const VertexMove& m : moves)
        positions.push_back({m.index, m.to.x, m.to.y, m.to.z});
    scene::CSceneEdit edit{scene::CVertexEdit(std::move(positions))};
    std::vector<scene::TexVertexChange> uvs;
    uvs.reserve(texVertexMoves.size());
    for (const TexVertexMove& m : texVertexMoves)
        uvs.push_back({m.kind, m.index, m.to.u, m.to.v});
    edit.SetTexVertices(std::move(uvs));
    std::vector<scene::PolygonTextureChange> textures;
    textures.reserve(textureMoves.size());
    for (const PolygonTextureMove& m : textureMoves)
        textures.push_back({m.polygon, m.to});
    edit.SetPolygonTextures(std::move(textures));
    if (!addedTextures.empty()) {
        std::vector<std::string> names = doc.TextureNames().Names();
        names.insert(names.end(), addedTextures.begin(), addedTextures.end());
        edit.SetTextureNames(std::move(names));
    }
    return edit;
}

scene::CSceneEdit ApplyObjImport(CQM4EditDoc& doc, const ObjImportPlan& plan)
{
    if (!plan.ok)
        return {};
    scene::CSceneEdit edit = plan.MakeEdit(doc);
    edit.Apply(doc);
    return edit;
}

ObjImportPlan ImportObjFile(CQM4EditDoc& doc, const std::filesystem::path& path, int object)
{
    std::vector<std::uint8_t> bytes;
    if (common::ReadWholeFile(path, bytes) != common::ReadStatus::Ok) {
        ObjImportPlan plan;
        plan.message = CannotReadMessage(common::PathToUtf8(path));
        return plan;
    }
    ObjImportPlan plan = PlanObjImport(doc, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                       object, MtlFromFolder(path.parent_path()));
    ApplyObjImport(doc, plan);
    return plan;
}

std::string ObjImportPlan::Summary() const
{
    std::string s = "OBJ import: " + Plural(objects, "object", "objects") + ", " + Plural(faces, "face", "faces") +
        " matched; " + Plural(moves.size(), "vertex", "vertices") + " moved, " + std::to_string(unchanged) +
        " unchanged";
    if (!texVertexMoves.empty() || !textureMoves.empty() || !addedTextures.empty()) {
        s += "; " + Plural(texVertexMoves.size(), "texture coordinate", "texture coordinates") + ", " +
            Plural(textureMoves.size(), "polygon texture", "polygon textures") + " changed";
        for (std::size_t i = 0; i < addedTextures.size(); ++i)
            s += (i == 0 ? "; texture names added: \"" : ", \"") + addedTextures[i] + "\"";
    }
    s += '.';
    if (disagreements)
        s += " " + Plural(disagreements, "vertex was", "vertices were") +
            " given different positions by different faces; the first in scene order was kept.";
    return s;
}

} // namespace interchange
