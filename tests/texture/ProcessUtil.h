#pragma once
// Running outside programs from tests (ImageMagick, textool).

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace textest {

// Runs a shell command; returns its exit status (or -1 if it did not exit normally).
inline int RunCommand(const std::string& cmd)
{
    const int rc = std::system(cmd.c_str());
#ifdef _WIN32
    return rc;
#else
    return (rc != -1 && WIFEXITED(rc)) ? WEXITSTATUS(rc) : -1;
#endif
}

inline std::string Quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace textest
