// Running the desktop database tools: found on PATH, started without a shell so that no
// path is ever parsed as shell text, their output discarded.

#include "DesktopIntegration.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace registrar {

namespace {

std::string FindOnPath(const std::string& tool)
{
    const char* pathVar = std::getenv("PATH");
    const std::string path = pathVar && *pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string dir = path.substr(start, end - start);
        start = end + 1;
        if (dir.empty() || dir[0] != '/')
            continue; // relative entries would depend on where the program happens to run
        const std::string candidate = dir + "/" + tool;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

} // namespace

ToolResult RunInstalledTool(const std::string& tool, const std::vector<std::string>& args)
{
    const std::string program = FindOnPath(tool);
    if (program.empty())
        return ToolResult::NotInstalled;

    std::vector<std::string> owned;
    owned.push_back(program);
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : owned)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return ToolResult::Failed;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return ToolResult::Failed;

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return ToolResult::Failed;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ToolResult::Ok : ToolResult::Failed;
}

} // namespace registrar
