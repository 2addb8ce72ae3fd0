#pragma once
// qm4tool's subcommands. Each lives in its own file and is listed once in Commands.cpp;
// adding one means writing its Run function and adding its line to the table there.
//
// Exit codes: 0 success; 1 the operation failed (the message the editor would show is on
// stderr); 2 wrong usage (a usage line is on stderr).

#include <span>
#include <string>
#include <vector>

#include "common/Prompt.h"
#include "scene/QM4EditDoc.h"

namespace qm4tool {

enum ExitCode { EXIT_OK = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

struct Command {
    const char* name;
    const char* usage;   // arguments after the name, e.g. "IN OUT"
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

// Number arguments are read by the same rules as the editor's number fields
// (common/NumberText.h): common::ParseIntField and common::ParseFloatField.

} // namespace qm4tool
