#pragma once
// qm4tool's subcommands. Each lives in its own file and is listed once in Commands.cpp;
// adding one means writing its Run function and adding its line to the table there.
//
// Exit codes: 0 success; 1 the operation failed (the message the editor would show is on
// stderr); 2 wrong usage (a usage line is on stderr).

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/Prompt.h"
#include "scene/QM4EditDoc.h"

namespace qm4tool {

enum ExitCode { EXIT_OK = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

struct Command {
    const char* name;
    const char* usage; // arguments after the name, e.g. "IN OUT"
    const char* summary; // one line for --help
    // args are the words after the command's name; "--help" has already been handled.
    int (*run)(const std::vector<std::string>& args);
};

std::span<const Command> AllCommands();
const Command* FindCommand(const std::string& name);

// Prints "usage: qm4tool NAME USAGE" on stderr and returns EXIT_USAGE.
int UsageError(const Command& command, const std::string& why = {});

// Messages go to stderr; questions are printed and answered No unless yes is set.
class StderrPrompt final : public common::IPrompt {
public:
    explicit StderrPrompt(bool yes = false) : m_yes(yes) {}
    void ShowMessage(const std::string& text, common::MessageIcon icon) override;
    bool AskYesNo(const std::string& text, common::MessageIcon icon) override;

private:
    bool m_yes;
};

// Loads path into doc; on failure prints the message and returns false.
bool LoadScene(scene::CQM4EditDoc& doc, const std::string& path);
// Saves doc to path atomically; on failure prints the message and returns false.
bool SaveScene(scene::CQM4EditDoc& doc, const std::string& path);

// The words of a call once its options are taken out; options may stand anywhere among the
// file names.
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::string> flags; // switches given
    std::vector<std::pair<std::string, std::int64_t>> numbers; // options with their integer
    bool Has(std::string_view flag) const;
    std::optional<std::int64_t> Number(std::string_view option) const;
};

// flags are switches ("--vertices"), numberOptions take an integer ("--object N"). Returns an
// empty string on success, otherwise why the words are not a valid call.
std::string ParseArguments(const std::vector<std::string>& args, std::initializer_list<std::string_view> flags,
                           std::initializer_list<std::string_view> numberOptions, Arguments& out);

// object, when given, must name an object of doc; prints why not.
bool CheckObjectIndex(const scene::CQM4EditDoc& doc, std::optional<std::int64_t> object);

// Number arguments are read by the same rules as the editor's number fields
// (common/NumberText.h): common::ParseIntField and common::ParseFloatField.

} // namespace qm4tool
