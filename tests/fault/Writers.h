#pragma once
// The four documents' file writes behind one face, so every fault is tried on each of them:
// scene save, texture save, Targa export and CSV export.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/AtomicFile.h"
#include "common/Prompt.h"

namespace fault {

struct WriteOutcome {
    bool ok = false;
    std::vector<std::string> messages; // what the user was shown, in order
    common::MessageIcon icon = common::MessageIcon::None;
};

class DocWriter {
public:
    virtual ~DocWriter() = default;
    virtual std::string FileName() const = 0;
    // Makes the document hold something other than what the earlier file holds.
    virtual void Change() = 0;
    // Writes through fs to path, as the command of the program would.
    virtual WriteOutcome Write(const std::filesystem::path& path, common::IFileSystem& fs) = 0;
    // The bytes a successful write puts in the file.
    virtual std::vector<std::uint8_t> Expected() = 0;
    // What a failed write must show, and with which icon.
    virtual std::string FailureMessage(const std::filesystem::path& path) const = 0;
    virtual common::MessageIcon FailureIcon() const = 0;
    // Saves (not exports) must keep the document marked modified when they fail.
    virtual bool KeepsModifiedOnFailure() const { return false; }
    virtual bool IsModified() const { return false; }
};

enum class WriterKind { SceneSave, TextureSave, TargaExport, CsvExport };

const char* WriterName(WriterKind k);
std::unique_ptr<DocWriter> MakeWriter(WriterKind k);

inline constexpr WriterKind ALL_WRITERS[] = {WriterKind::SceneSave, WriterKind::TextureSave, WriterKind::TargaExport,
                                             WriterKind::CsvExport};

} // namespace fault
