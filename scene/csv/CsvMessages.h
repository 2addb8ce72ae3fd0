#pragma once
// Every text of the CSV exchange that reaches the user, in one place.

#include <cstddef>
#include <cstdint>
#include <string>

namespace scene {

inline constexpr const char* CSV_FILTER = "Comma Separated Values files (*.csv)|*.csv|All Files (*.*)|*.*||";
inline constexpr const char* CSV_EXTENSION = ".csv";

inline std::string CsvCannotWriteMessage(const std::string& path)
{
    return "Cannot write the file \"" + path + "\".";
}

inline std::string CsvImportSummary(std::int64_t applied, std::int64_t skipped)
{
    auto lines = [](std::int64_t n) { return std::to_string(n) + (n == 1 ? " line" : " lines"); };
    return "CSV import: " + lines(applied) + " applied, " + lines(skipped) + " skipped.";
}

// Export left polygons out because a corner names a vertex outside the vertex list.
inline std::string CsvSkippedPolygonsMessage(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " polygon" : " polygons") +
        " left out: a corner names a vertex outside the vertex list.";
}

} // namespace scene
