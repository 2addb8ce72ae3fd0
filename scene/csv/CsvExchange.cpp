#include "CsvExchange.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <span>
#include <vector>

#include "common/NumberText.h"
#include "scene/SceneMessages.h"
#include "scene/VertexEdit.h"
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
bool AppendPolygonLine(std::string& out, std::span<const ObjectVertex> vertices, int objectIndex, int polygonIndex,
                       const PolygonRecord& p)
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

namespace {

// What one line asks for, before anything is stored.
struct ParsedLine {
    int corners = 0; // positions in the line: 3 for a polygon line, 1 for a vertex line
    std::int64_t index[3] = {0, 0, 0};
    double xyz[3][3] = {};
};

// False when the line is blank or its first field holds no number.
bool ParsePolygonLine(std::string_view line, ParsedLine& out)
{
    FieldSplitter fields(line);
    bool number = false;
    ParseCLong(fields.Next(), &number); // the object number only selects lines
    if (!number)
        return false;
    fields.Next(); // the polygon number plays no part
    out.corners = 3;
    for (int k = 0; k < 3; ++k) {
        out.index[k] = ParseCLong(fields.Next());
        out.xyz[k][0] = ParseCDouble(fields.Next());
        out.xyz[k][1] = ParseCDouble(fields.Next());
        out.xyz[k][2] = ParseCDouble(k == 2 ? fields.Last() : fields.Next());
    }
    return true;
}

bool ParseVertexLine(std::string_view line, ParsedLine& out)
{
    FieldSplitter fields(line);
    bool number = false;
    out.index[0] = ParseCLong(fields.Next(), &number);
    if (!number)
        return false;
    out.corners = 1;
    out.xyz[0][0] = ParseCDouble(fields.Next());
    out.xyz[0][1] = ParseCDouble(fields.Next());
    out.xyz[0][2] = ParseCDouble(fields.Last());
    return true;
}

bool CornersInList(const CQM4EditDoc& doc, const ParsedLine& parsed)
{
    for (int k = 0; k < parsed.corners; ++k)
        if (!InVertexList(doc, parsed.index[k]))
            return false;
    return true;
}

// The float a coordinate read from a line stores. Where the text reads as the same number as
// what export writes for the float the vertex holds ("1.5" or "1.500000" for 1.5), the float
// is kept bit for bit: six decimals cannot carry every float, and exporting, re-saving in a
// spreadsheet and importing again must not nudge positions nobody edited.
float ImportedCoordinate(double read, float current)
{
    const float narrowed = NarrowToFloat(read);
    if (std::memcmp(&narrowed, &current, sizeof(float)) == 0)
        return current;
    char text[common::MAX_FIXED6_CHARS];
    const char* end = common::FormatFixed6(text, current);
    const double written = ParseCDouble(std::string_view(text, static_cast<std::size_t>(end - text)));
    const bool same =
        written == read || (std::isnan(written) && std::isnan(read) && std::signbit(written) == std::signbit(read));
    return same ? current : narrowed;
}

VertexChange ImportedPosition(const CQM4EditDoc& doc, const ParsedLine& parsed, int k)
{
    const int index = static_cast<int>(parsed.index[k]);
    const ObjectVertex now = doc.GetVertex(index);
    return {index, ImportedCoordinate(parsed.xyz[k][0], now.x), ImportedCoordinate(parsed.xyz[k][1], now.y),
            ImportedCoordinate(parsed.xyz[k][2], now.z)};
}

bool StoreParsedLine(CQM4EditDoc& doc, const ParsedLine& parsed)
{
    if (!CornersInList(doc, parsed))
        return false;
    for (int k = 0; k < parsed.corners; ++k) {
        const VertexChange c = ImportedPosition(doc, parsed, k);
        doc.SetVertex(c.index, c.x, c.y, c.z);
    }
    return true;
}

} // namespace

bool ApplyPolygonLine(CQM4EditDoc& doc, std::string_view line)
{
    ParsedLine parsed;
    return ParsePolygonLine(line, parsed) && StoreParsedLine(doc, parsed);
}

bool ApplyVertexLine(CQM4EditDoc& doc, std::string_view line)
{
    ParsedLine parsed;
    return ParseVertexLine(line, parsed) && StoreParsedLine(doc, parsed);
}

namespace {

// selectObject: only the polygon lines whose first field equals objectIndex count.
CsvImportPlan PlanLines(const CQM4EditDoc& doc, std::string_view text, bool vertexLines, bool selectObject,
                        int objectIndex)
{
    CsvImportPlan plan;
    ForEachLine(text, [&](std::string_view line) {
        if (selectObject) {
            bool number = false;
            const std::int64_t object = ParseCLong(FirstField(line), &number);
            if (number && object != objectIndex)
                return; // another object's line: not ours to count
        }
        ParsedLine parsed;
        const bool ok = vertexLines ? ParseVertexLine(line, parsed) : ParsePolygonLine(line, parsed);
        if (!ok || !CornersInList(doc, parsed)) {
            ++plan.count.skipped;
            return;
        }
        ++plan.count.applied;
        // Every line is compared with the positions before the import, so a vertex named on
        // several lines keeps its float wherever the last of them leaves it unedited.
        for (int k = 0; k < parsed.corners; ++k)
            plan.changes.push_back(ImportedPosition(doc, parsed, k));
    });
    return plan;
}

CsvReadCount ApplyPlan(CQM4EditDoc& doc, CsvImportPlan plan)
{
    CVertexEdit(std::move(plan.changes)).Apply(doc);
    return plan.count;
}

} // namespace

CsvImportPlan PlanCsvImportText(const CQM4EditDoc& doc, std::string_view text, CsvType type, int objectIndex)
{
    const bool vertexLines = type == CSV_UNIQUE_VERTS;
    return PlanLines(doc, text, vertexLines, !vertexLines && objectIndex >= 0, objectIndex);
}

CsvReadCount ReadAllPolygons(CQM4EditDoc& doc, std::string_view text)
{
    return ApplyPlan(doc, PlanLines(doc, text, false, false, -1));
}

CsvReadCount ReadObjectPolygons(CQM4EditDoc& doc, int objectIndex, std::string_view text)
{
    return ApplyPlan(doc, PlanLines(doc, text, false, true, objectIndex));
}

CsvReadCount ReadVertices(CQM4EditDoc& doc, std::string_view text)
{
    return ApplyPlan(doc, PlanLines(doc, text, true, false, -1));
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

CsvFileResult ExportCsvFile(const CQM4EditDoc& doc, const std::filesystem::path& path, CsvType type, CsvScope scope,
                            common::IFileSystem& fs)
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

CsvImportPlan PlanCsvImportFile(const CQM4EditDoc& doc, const std::filesystem::path& path, CsvType type,
                                int objectIndex)
{
    CsvImportPlan plan;
    std::vector<std::uint8_t> bytes;
    const std::string name = common::PathToUtf8(path);
    switch (common::ReadWholeFile(path, bytes)) {
    case common::ReadStatus::Ok: break;
    case common::ReadStatus::CannotOpen:
        plan.ok = false;
        plan.message = CannotOpenMessage(name);
        return plan;
    case common::ReadStatus::ReadFailed:
        plan.ok = false;
        plan.message = CannotReadMessage(name);
        return plan;
    case common::ReadStatus::TooLarge:
        plan.ok = false;
        plan.message = TooLargeMessage(name);
        return plan;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (type == CSV_UNIQUE_VERTS)
        objectIndex = -1;
    CsvImportPlan read = PlanCsvImportText(doc, text, type, objectIndex);
    plan.count = read.count;
    plan.changes = std::move(read.changes);
    return plan;
}

CsvImportResult ImportCsvFile(CQM4EditDoc& doc, const std::filesystem::path& path, CsvType type, int objectIndex)
{
    CsvImportPlan plan = PlanCsvImportFile(doc, path, type, objectIndex);
    if (plan.ok)
        CVertexEdit(std::move(plan.changes)).Apply(doc);
    CsvImportResult result;
    static_cast<CsvFileResult&>(result) = plan;
    result.count = plan.count;
    return result;
}

} // namespace scene
