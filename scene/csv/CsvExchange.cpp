#include "CsvExchange.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "common/NumberText.h"
#include "scene/SceneMessages.h"
#include "scene/csv/CsvMessages.h"

namespace scene {

using common::AppendFixed6;
using common::AppendInt;
using common::NarrowToFloat;
using common::ParseCDouble;
using common::ParseCLong;

namespace {

// Splits a line the way every reader of these files always has: a field that finds no comma
// before it is empty and leaves the rest alone, so that the last field still gets the text.
class FieldSplitter {
public:
    explicit FieldSplitter(std::string_view line) : m_rest(line) {}

    std::string_view Next()
    {
        const std::size_t comma = m_rest.find(',');
        if (comma == std::string_view::npos)
            return {};
        std::string_view field = m_rest.substr(0, comma);
        m_rest.remove_prefix(comma + 1);
        return field;
    }

    std::string_view Last() const
    {
        const std::size_t comma = m_rest.find(',');
        return comma == std::string_view::npos ? m_rest : m_rest.substr(0, comma);
    }

private:
    std::string_view m_rest;
};

// The text before the first comma; empty when the line holds none.
std::string_view FirstField(std::string_view line)
{
    const std::size_t comma = line.find(',');
    return comma == std::string_view::npos ? std::string_view() : line.substr(0, comma);
}

template <class F>
void ForEachLine(std::string_view text, F&& apply)
{
    // A spreadsheet may put a byte order mark in front; it is never part of a number.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        apply(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
}

std::span<const ObjectVertex> Vertices(const CQM4EditDoc& doc)
{
    return doc.ObjectVertices().Records();
}

bool CornersInRange(const PolygonRecord& p, std::size_t vertexCount)
{
    return p.vertex[0] < vertexCount && p.vertex[1] < vertexCount && p.vertex[2] < vertexCount;
}

void AppendXyz(std::string& out, const ObjectVertex& v)
{
    out += ',';
    AppendFixed6(out, v.x);
    out += ',';
    AppendFixed6(out, v.y);
    out += ',';
    AppendFixed6(out, v.z);
}

void AppendVertexLine(std::string& out, std::size_t index, const ObjectVertex& v)
{
    AppendInt(out, static_cast<std::int64_t>(index));
    AppendXyz(out, v);
    out += CSV_LINE_END;
}

// False (nothing written) when a corner lies outside the vertex list.
bool AppendPolygonLine(std::string& out, std::span<const ObjectVertex> vertices, int objectIndex,
                       int polygonIndex, const PolygonRecord& p)
{
    if (!CornersInRange(p, vertices.size()))
        return false;
    AppendInt(out, objectIndex);
    out += ',';
    AppendInt(out, polygonIndex);
    for (int k = 0; k < 3; ++k) {
        const std::uint16_t v = p.vertex[k];
        out += ',';
        AppendInt(out, v);
        AppendXyz(out, vertices[v]);
    }
    out += CSV_LINE_END;
    return true;
}

bool ValidObject(const CQM4EditDoc& doc, int objectIndex)
{
    return objectIndex >= 0 && objectIndex < doc.GetObjectCount();
}

bool ValidPolygon(const CQM4EditDoc& doc, int objectIndex, int polygonIndex)
{
    return ValidObject(doc, objectIndex) && polygonIndex >= 0 && polygonIndex < doc.GetPolygonCount(objectIndex);
}

// Marks the corners of polygons in a table of one byte per vertex, then writes the marked
// vertices in ascending order: "unique" means each index once, whatever the positions.
std::size_t WriteMarkedVertices(const CQM4EditDoc& doc, std::span<const PolygonRecord> polygons, std::string& out)
{
    const auto vertices = Vertices(doc);
    std::vector<std::uint8_t> used(vertices.size(), 0);
    std::size_t skipped = 0;
    for (const PolygonRecord& p : polygons) {
        if (!CornersInRange(p, vertices.size())) {
            ++skipped;
            continue;
        }
        for (int k = 0; k < 3; ++k)
            used[p.vertex[k]] = 1;
    }
    for (std::size_t i = 0; i < used.size(); ++i)
        if (used[i])
            AppendVertexLine(out, i, vertices[i]);
    return skipped;
}

bool InVertexList(const CQM4EditDoc& doc, std::int64_t index)
{
    return index >= 0 && index < doc.GetVertexCount();
}

} // namespace

// ---- writing ----

std::size_t WriteObjectPolygons(const CQM4EditDoc& doc, int objectIndex, std::string& out)
{
    if (!ValidObject(doc, objectIndex))
        return 0;
    const auto vertices = Vertices(doc);
    const auto& polygons = doc.GetObjectRecord(objectIndex).polygons;
    std::size_t skipped = 0;
    for (std::size_t p = 0; p < polygons.size(); ++p)
        if (!AppendPolygonLine(out, vertices, objectIndex, static_cast<int>(p), polygons[p]))
            ++skipped;
    return skipped;
}

std::size_t WriteAllPolygons(const CQM4EditDoc& doc, std::string& out)
{
    std::size_t skipped = 0;
    for (int i = 0; i < doc.GetObjectCount(); ++i)
        skipped += WriteObjectPolygons(doc, i, out);
    return skipped;
}

std::size_t WriteObjectVertices(const CQM4EditDoc& doc, int objectIndex, std::string& out)
{
    if (!ValidObject(doc, objectIndex))
        return 0;
    return WriteMarkedVertices(doc, doc.GetObjectRecord(objectIndex).polygons, out);
}

void WriteAllVertices(const CQM4EditDoc& doc, std::string& out)
{
    const auto vertices = Vertices(doc);
    for (std::size_t i = 0; i < vertices.size(); ++i)
        AppendVertexLine(out, i, vertices[i]);
}

std::size_t WritePolygon(const CQM4EditDoc& doc, int objectIndex, int polygonIndex, std::string& out)
{
    if (!ValidPolygon(doc, objectIndex, polygonIndex))
        return 0;
    const PolygonRecord p = doc.GetPolygon(objectIndex, polygonIndex);
    return AppendPolygonLine(out, Vertices(doc), objectIndex, polygonIndex, p) ? 0 : 1;
}

std::size_t WritePolygonVertices(const CQM4EditDoc& doc, int objectIndex, int polygonIndex, std::string& out)
{
    if (!ValidPolygon(doc, objectIndex, polygonIndex))
        return 0;
    const PolygonRecord p = doc.GetPolygon(objectIndex, polygonIndex);
    return WriteMarkedVertices(doc, std::span<const PolygonRecord>(&p, 1), out);
}

// ---- reading ----

bool ApplyPolygonLine(CQM4EditDoc& doc, std::string_view line)
{
    FieldSplitter fields(line);
    bool number = false;
    ParseCLong(fields.Next(), &number); // the object number only selects lines
    if (!number)
        return false;
    fields.Next(); // the polygon number plays no part

    std::int64_t index[3];
    double xyz[3][3];
    for (int k = 0; k < 3; ++k) {
        index[k] = ParseCLong(fields.Next());
        xyz[k][0] = ParseCDouble(fields.Next());
        xyz[k][1] = ParseCDouble(fields.Next());
        xyz[k][2] = ParseCDouble(k == 2 ? fields.Last() : fields.Next());
    }
    for (int k = 0; k < 3; ++k)
        if (!InVertexList(doc, index[k]))
            return false;
    for (int k = 0; k < 3; ++k)
        doc.SetVertex(static_cast<int>(index[k]), NarrowToFloat(xyz[k][0]), NarrowToFloat(xyz[k][1]),
                      NarrowToFloat(xyz[k][2]));
    return true;
}

bool ApplyVertexLine(CQM4EditDoc& doc, std::string_view line)
{
    FieldSplitter fields(line);
    bool number = false;
    const std::int64_t index = ParseCLong(fields.Next(), &number);
    if (!number)
        return false;
    const double x = ParseCDouble(fields.Next());
    const double y = ParseCDouble(fields.Next());
    const double z = ParseCDouble(fields.Last());
    if (!InVertexList(doc, index))
        return false;
    doc.SetVertex(static_cast<int>(index), NarrowToFloat(x), NarrowToFloat(y), NarrowToFloat(z));
    return true;
}

namespace {

template <class Apply>
CsvReadCount ReadLines(CQM4EditDoc& doc, std::string_view text, Apply&& apply)
{
    CsvReadCount count;
    ForEachLine(text, [&](std::string_view line) {
        switch (apply(line)) {
        case 1: ++count.applied; break;
        case 0: ++count.skipped; break;
        default: break;
        }
    });
    doc.UpdateGeometry();
    return count;
}

} // namespace

CsvReadCount ReadAllPolygons(CQM4EditDoc& doc, std::string_view text)
{
    return ReadLines(doc, text, [&](std::string_view line) { return ApplyPolygonLine(doc, line) ? 1 : 0; });
}

CsvReadCount ReadObjectPolygons(CQM4EditDoc& doc, int objectIndex, std::string_view text)
{
    return ReadLines(doc, text, [&](std::string_view line) {
        bool number = false;
        const std::int64_t object = ParseCLong(FirstField(line), &number);
        if (!number)
            return 0;
        if (object != objectIndex)
            return -1; // another object's line: not ours to count
        return ApplyPolygonLine(doc, line) ? 1 : 0;
    });
}

CsvReadCount ReadVertices(CQM4EditDoc& doc, std::string_view text)
{
    return ReadLines(doc, text, [&](std::string_view line) { return ApplyVertexLine(doc, line) ? 1 : 0; });
}

// ---- whole commands ----

std::string BuildCsvExport(const CQM4EditDoc& doc, CsvType type, CsvScope scope, std::size_t* skippedPolygons)
{
    std::string out;
    std::size_t skipped = 0;
    if (type == CSV_UNIQUE_VERTS) {
        if (scope.object < 0) {
            // Index and three coordinates: about 40 characters for everyday scenes.
            out.reserve(static_cast<std::size_t>(doc.GetVertexCount()) * 44);
            WriteAllVertices(doc, out);
        } else if (scope.polygon < 0) {
            skipped = WriteObjectVertices(doc, scope.object, out);
        } else {
            skipped = WritePolygonVertices(doc, scope.object, scope.polygon, out);
        }
    } else {
        if (scope.object < 0) {
            out.reserve(doc.ObjectInfo().TotalPolygonCount() * 120);
            skipped = WriteAllPolygons(doc, out);
        } else if (scope.polygon < 0) {
            skipped = WriteObjectPolygons(doc, scope.object, out);
        } else {
            skipped = WritePolygon(doc, scope.object, scope.polygon, out);
        }
    }
    if (skippedPolygons)
        *skippedPolygons = skipped;
    return out;
}

CsvFileResult ExportCsvFile(const CQM4EditDoc& doc, const std::filesystem::path& path, CsvType type,
                            CsvScope scope, common::IFileSystem& fs)
{
    CsvFileResult result;
    const std::string text = BuildCsvExport(doc, type, scope, &result.skippedPolygons);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!common::WriteFileAtomically(path, std::span<const std::uint8_t>(bytes, text.size()), fs)) {
        result.ok = false;
        result.message = CsvCannotWriteMessage(common::PathToUtf8(path));
    }
    return result;
}

std::string CsvImportResult::Summary() const
{
    return CsvImportSummary(count.applied, count.skipped);
}

CsvReadCount ImportCsvText(CQM4EditDoc& doc, std::string_view text, CsvType type, int objectIndex)
{
    if (type == CSV_UNIQUE_VERTS)
        return ReadVertices(doc, text);
    if (objectIndex >= 0)
        return ReadObjectPolygons(doc, objectIndex, text);
    return ReadAllPolygons(doc, text);
}

CsvImportResult ImportCsvFile(CQM4EditDoc& doc, const std::filesystem::path& path, CsvType type, int objectIndex)
{
    CsvImportResult result;
    std::vector<std::uint8_t> bytes;
    const std::string name = common::PathToUtf8(path);
    switch (common::ReadWholeFile(path, bytes)) {
    case common::ReadStatus::Ok: break;
    case common::ReadStatus::CannotOpen:
        result.ok = false;
        result.message = CannotOpenMessage(name);
        return result;
    case common::ReadStatus::ReadFailed:
        result.ok = false;
        result.message = CannotReadMessage(name);
        return result;
    case common::ReadStatus::TooLarge:
        result.ok = false;
        result.message = TooLargeMessage(name);
        return result;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    result.count = ImportCsvText(doc, text, type, objectIndex);
    return result;
}

} // namespace scene
