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
#ifdef _WIN32
    // cmd.exe drops the first and the last quote of a line that holds several.
    const int rc = std::system(("\"" + cmd + "\"").c_str());
    return rc;
#else
    const int rc = std::system(cmd.c_str());
    return (rc != -1 && WIFEXITED(rc)) ? WEXITSTATUS(rc) : -1;
#endif
}

// Console text on Windows ends its lines with CR LF; the messages themselves are what count.
inline std::string ConsoleText(std::string s)
{
#ifdef _WIN32
    for (std::size_t at; (at = s.find("\r\n")) != std::string::npos;)
        s.erase(at, 1);
#endif
    return s;
}

inline std::string Quote(const std::string& s)
{
#ifdef _WIN32
    return "\"" + s + "\""; // cmd.exe knows no single quotes; test paths hold no '"'
#else
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
#endif
}

} // namespace textest
