#pragma once
// Exchange of polygon and vertex data with comma-separated text.
//
// Two line formats, no header, lines ending in CR LF:
//   polygon line  object,polygon,v1,x1,y1,z1,v2,x2,y2,z2,v3,x3,y3,z3
//   vertex line   index,x,y,z
// Import only ever overwrites the positions of existing vertices, addressed by index; it
// never adds, removes or re-links anything. Writers append to a string so they run in
// memory; the file step is the shared atomic save.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/AtomicFile.h"
#include "scene/QM4EditDoc.h"

namespace scene {

// Choice of the "Import/Export Type" dialog.
enum CsvType : int { CSV_OBJECT_POLYGONS = 0, CSV_UNIQUE_VERTS = 1 };

inline constexpr const char* CSV_LINE_END = "\r\n";

// ---- writing ----
// A polygon whose corner index lies outside the vertex list is left out (and counted in
// the return value), so nothing is ever read outside the list. An object or polygon index
// out of range writes nothing.

// One polygon line for each polygon of the object, in polygon order.
std::size_t WriteObjectPolygons(const CQM4EditDoc& doc, int objectIndex, std::string& out);
// WriteObjectPolygons for every object, in object order.
std::size_t WriteAllPolygons(const CQM4EditDoc& doc, std::string& out);
// One vertex line for each vertex the object's polygons use, each once, ascending index.
std::size_t WriteObjectVertices(const CQM4EditDoc& doc, int objectIndex, std::string& out);
// One vertex line for every entry of the vertex list, ascending index.
void WriteAllVertices(const CQM4EditDoc& doc, std::string& out);
// The one polygon line of a single polygon.
std::size_t WritePolygon(const CQM4EditDoc& doc, int objectIndex, int polygonIndex, std::string& out);
// The distinct corner vertices of a single polygon, ascending index.
std::size_t WritePolygonVertices(const CQM4EditDoc& doc, int objectIndex, int polygonIndex, std::string& out);

// ---- reading ----

struct CsvReadCount {
    std::int64_t applied = 0; // lines whose positions were stored
    std::int64_t skipped = 0; // blank lines, lines without a number in the first field, and lines
        // naming a vertex outside the list; they store nothing
};

// Parses one polygon line and stores its three positions, corner 1 first, so that a later
// corner naming the same vertex wins. Stores nothing and returns false when the line is
// blank, its first field holds no number, or any corner's vertex index is out of range.
bool ApplyPolygonLine(CQM4EditDoc& doc, std::string_view line);
// Parses one vertex line and stores its position; false (nothing stored) as above.
bool ApplyVertexLine(CQM4EditDoc& doc, std::string_view line);

// Each applies every line of text as one CVertexEdit: positions, then the boxes as one
// UpdateGeometry leaves them, then the views once (also for empty text). The modified flag
// is set only when a position changed; when none did, nothing changes.
CsvReadCount ReadAllPolygons(CQM4EditDoc& doc, std::string_view text);
// Only the lines whose first field equals objectIndex; others are neither applied nor skipped.
CsvReadCount ReadObjectPolygons(CQM4EditDoc& doc, int objectIndex, std::string_view text);
CsvReadCount ReadVertices(CQM4EditDoc& doc, std::string_view text);

// ---- whole commands ----

// What an export covers: the whole scene, one object, or one polygon of one object.
struct CsvScope {
    int object = -1; // -1: every object
    int polygon = -1; // -1: every polygon of the object; needs object >= 0 otherwise
};

// The text an export writes. skippedPolygons, when given, receives how many polygons were
// left out for a corner index outside the vertex list.
std::string BuildCsvExport(const CQM4EditDoc& doc, CsvType type, CsvScope scope,
                           std::size_t* skippedPolygons = nullptr);

struct CsvFileResult {
    bool ok = true;
    std::string message; // what the user must be told when !ok
    std::size_t skippedPolygons = 0; // export: polygons left out for a corner outside the list
};

// Writes the export atomically: a failure leaves any earlier file at path as it was.
CsvFileResult ExportCsvFile(const CQM4EditDoc& doc, const std::filesystem::path& path, CsvType type, CsvScope scope,
                            common::IFileSystem& fs = common::RealFileSystem());

struct CsvImportResult : CsvFileResult {
    CsvReadCount count;
    // The line to show once the import has run ("... applied, ... skipped").
    std::string Summary() const;
};

// What an import would store, without touching the document: the positions line by line
// (a later one for the same vertex wins) and the count of applied and skipped lines. A
// coordinate whose text reads as the number export writes for the vertex's float keeps that
// float bit for bit, so an unchanged file changes nothing. Hand the changes to a CVertexEdit
// to apply them as one undoable step.
struct CsvImportPlan : CsvImportResult {
    std::vector<VertexChange> changes;
};
CsvImportPlan PlanCsvImportText(const CQM4EditDoc& doc, std::string_view text, CsvType type, int objectIndex = -1);
// The same from a file; a file that cannot be read gives !ok, its message and no changes.
CsvImportPlan PlanCsvImportFile(const CQM4EditDoc& doc, const std::filesystem::path& path, CsvType type,
                                int objectIndex = -1);

// Reads the file and applies it: vertex lines for CSV_UNIQUE_VERTS, otherwise polygon
// lines, restricted to the lines of objectIndex unless it is -1. A file that cannot be
// read changes nothing.
CsvImportResult ImportCsvFile(CQM4EditDoc& doc, const std::filesystem::path& path, CsvType type, int objectIndex = -1);
// The same over text already in memory.
CsvReadCount ImportCsvText(CQM4EditDoc& doc, std::string_view text, CsvType type, int objectIndex = -1);

} // namespace scene
