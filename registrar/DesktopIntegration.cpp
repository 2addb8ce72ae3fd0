#include "DesktopIntegration.h"

#include <cstdlib>
#include <system_error>

#include "common/AtomicFile.h"

namespace registrar {

namespace fs = std::filesystem;

namespace {

// mimeapps.list is a small text file; anything far larger is not one we should rewrite.
constexpr std::uint64_t kMaxMimeAppsSize = 4u << 20;

const char* const kDefaultGroup = "[Default Applications]";

std::string Shown(const fs::path& path)
{
    return common::PathToUtf8(path);
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string MimePackageText(const AssocValues& values)
{
    // Without a content rule the weight puts our glob ahead of any other type the system
    // gives the extension, as the user asked for this program to handle it. With one, the
    // glob only ties with the others and the content decides, so their files keep their type.
    const std::string weight = values.mimeMagic.empty() ? " weight=\"60\"" : "";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
        XmlEscaped(values.mimeType) +
        "\">\n"
        "    <comment>" +
        XmlEscaped(values.description) +
        "</comment>\n"
        "    <glob pattern=\"*" +
        XmlEscaped(values.ext) + "\"" + weight + "/>\n" + values.mimeMagic +
        "  </mime-type>\n"
        "</mime-info>\n";
}

std::string DesktopEntryText(const AssocValues& values, const std::string& exec, bool withIcon)
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=" +
        values.appName +
        "\n"
        "Exec=" +
        exec + " %f\n";
    if (withIcon)
        text += "Icon=" + values.iconName + "\n";
    text += "MimeType=" + values.mimeType +
        ";\n"
        "NoDisplay=true\n"
        "Terminal=false\n";
    return text;
}

void WriteFile(const fs::path& path, const std::string& text, AssocOutcome& outcome)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (ec || !common::WriteFileAtomically(path, std::span<const std::uint8_t>(bytes, text.size())))
        outcome.Fail("Cannot write " + Shown(path) + ".");
}

void WriteFile(const fs::path& path, std::span<const std::uint8_t> data, AssocOutcome& outcome)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec || !common::WriteFileAtomically(path, data))
        outcome.Fail("Cannot write " + Shown(path) + ".");
}

void RemoveFile(const fs::path& path, AssocOutcome& outcome)
{
    std::error_code ec;
    fs::remove(path, ec); // a file that is not there is no failure
    if (ec)
        outcome.Fail("Cannot delete " + Shown(path) + ".");
}

// Applies edit to mimeapps.list, writing it only when the text changes.
template <class Edit>
void EditMimeApps(const DesktopPaths& paths, bool createIfMissing, Edit edit, AssocOutcome& outcome)
{
    const fs::path file = MimeAppsFile(paths);
    std::vector<std::uint8_t> bytes;
    std::error_code ec;
    if (fs::exists(file, ec)) {
        if (common::ReadWholeFile(file, bytes, kMaxMimeAppsSize) != common::ReadStatus::Ok) {
            outcome.Fail("Cannot read " + Shown(file) + ".");
            return;
        }
    } else if (ec) {
        outcome.Fail("Cannot read " + Shown(file) + ".");
        return;
    } else if (!createIfMissing) {
        return;
    }
    const std::string before(bytes.begin(), bytes.end());
    const std::string after = edit(before);
    if (after == before)
        return;
    // Dotfile managers link the list from elsewhere: keep the link, rewrite what it names.
    fs::path target = file;
    if (fs::is_symlink(file, ec)) {
        target = fs::canonical(file, ec);
        if (ec) {
            outcome.Fail("Cannot write " + Shown(file) + ".");
            return;
        }
    }
    WriteFile(target, after, outcome);
}

void Refresh(const DesktopPaths& paths, const ToolRunner& run, AssocOutcome& outcome)
{
    std::error_code ec;
    const fs::path mimeDir = paths.dataHome / "mime";
    if (fs::is_directory(mimeDir, ec) &&
        run("update-mime-database", {common::PathToUtf8(mimeDir)}) == ToolResult::Failed)
        outcome.Fail("Cannot update the MIME database in " + Shown(mimeDir) + ".");
    const fs::path appsDir = paths.dataHome / "applications";
    if (fs::is_directory(appsDir, ec) &&
        run("update-desktop-database", {common::PathToUtf8(appsDir)}) == ToolResult::Failed)
        outcome.Fail("Cannot update the desktop database in " + Shown(appsDir) + ".");
}

struct MimeAppsLine {
    std::string key;
    std::vector<std::string> apps;
};

bool ParseAssignment(const std::string& line, MimeAppsLine& parsed)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    parsed.key = Trimmed(line.substr(0, eq));
    parsed.apps.clear();
    std::string rest = line.substr(eq + 1);
    std::size_t start = 0;
    while (start <= rest.size()) {
        auto end = rest.find(';', start);
        if (end == std::string::npos)
            end = rest.size();
        std::string app = Trimmed(rest.substr(start, end - start));
        if (!app.empty())
            parsed.apps.push_back(app);
        start = end + 1;
    }
    return true;
}

std::string AssignmentLine(const std::string& key, const std::vector<std::string>& apps)
{
    std::string line = key + "=";
    for (const std::string& app : apps)
        line += app + ";";
    return line;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

bool IsGroupHeader(const std::string& line)
{
    return !line.empty() && line[0] == '[';
}

} // namespace

bool DesktopPathsFromEnvironment(DesktopPaths& paths)
{
    auto absoluteVar = [](const char* name) -> fs::path {
        const char* value = std::getenv(name);
        if (!value || !*value)
            return {};
        fs::path p = common::PathFromUtf8(value);
        return p.is_absolute() ? p : fs::path();
    };
    const fs::path home = absoluteVar("HOME");
    paths.dataHome = absoluteVar("XDG_DATA_HOME");
    if (paths.dataHome.empty() && !home.empty())
        paths.dataHome = home / ".local" / "share";
    paths.configHome = absoluteVar("XDG_CONFIG_HOME");
    if (paths.configHome.empty() && !home.empty())
        paths.configHome = home / ".config";
    return !paths.dataHome.empty() && !paths.configHome.empty();
}

fs::path MimePackageFile(const DesktopPaths& paths, const AssocValues& values)
{
    return paths.dataHome / "mime" / "packages" / (values.iconName + ".xml");
}

fs::path DesktopEntryFile(const DesktopPaths& paths, const AssocValues& values)
{
    return paths.dataHome / "applications" / values.desktopId;
}

fs::path IconFile(const DesktopPaths& paths, const AssocValues& values, int size)
{
    const std::string dir = std::to_string(size) + "x" + std::to_string(size);
    return paths.dataHome / "icons" / "hicolor" / dir / "apps" / (values.iconName + ".png");
}

fs::path MimeAppsFile(const DesktopPaths& paths)
{
    return paths.configHome / "mimeapps.list";
}

bool DesktopExecValue(const std::string& programPath, std::string& exec)
{
    bool needsQuotes = programPath.empty();
    for (unsigned char c : programPath) {
        if (c < 0x20 || c == 0x7F)
            return false;
        if (std::string_view(" \"'\\><~|&;$*?#()`").find(static_cast<char>(c)) != std::string_view::npos)
            needsQuotes = true;
    }
    // Simple paths go unquoted: some launchers take the first word of Exec literally.
    std::string arg;
    if (needsQuotes) {
        arg = "\"";
        for (char c : programPath) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                arg += '\\';
            arg += c;
        }
        arg += '"';
    } else {
        arg = programPath;
    }
    // Then the escapes every desktop entry string value has, and %% for a literal percent.
    exec.clear();
    for (char c : arg) {
        if (c == '\\')
            exec += "\\\\";
        else if (c == '%')
            exec += "%%";
        else
            exec += c;
    }
    return true;
}

std::string WithDefaultApplication(const std::string& mimeApps, const std::string& mimeType,
                                   const std::string& desktopId)
{
    std::vector<std::string> lines = SplitLines(mimeApps);
    std::size_t group = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (Trimmed(lines[i]) == kDefaultGroup) {
            group = i;
            break;
        }
    }
    if (group == lines.size()) {
        if (!lines.empty() && !Trimmed(lines.back()).empty())
            lines.push_back("");
        lines.push_back(kDefaultGroup);
        lines.push_back(AssignmentLine(mimeType, {desktopId}));
        return JoinLines(lines);
    }

    std::size_t insertAt = group + 1;
    for (std::size_t i = group + 1; i < lines.size() && !IsGroupHeader(Trimmed(lines[i])); ++i) {
        MimeAppsLine parsed;
        const std::string line = Trimmed(lines[i]);
        if (!line.empty() && line[0] != '#' && ParseAssignment(line, parsed) && parsed.key == mimeType) {
            // Ours goes first; whatever else was listed stays behind it.
            std::vector<std::string> apps{desktopId};
            for (const std::string& app : parsed.apps)
                if (app != desktopId)
                    apps.push_back(app);
            lines[i] = AssignmentLine(mimeType, apps);
            return JoinLines(lines);
        }
        if (!line.empty())
            insertAt = i + 1;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), AssignmentLine(mimeType, {desktopId}));
    return JoinLines(lines);
}

std::string WithoutDefaultApplication(const std::string& mimeApps, const std::string& mimeType,
                                      const std::string& desktopId)
{
    std::vector<std::string> lines = SplitLines(mimeApps);
    bool inGroup = false;
    bool changed = false;
    for (std::size_t i = 0; i < lines.size();) {
        const std::string line = Trimmed(lines[i]);
        if (IsGroupHeader(line)) {
            inGroup = line == kDefaultGroup;
        } else if (inGroup && !line.empty() && line[0] != '#') {
            MimeAppsLine parsed;
            if (ParseAssignment(line, parsed) && parsed.key == mimeType) {
                std::vector<std::string> apps;
                for (const std::string& app : parsed.apps)
                    if (app != desktopId)
                        apps.push_back(app);
                if (apps.size() != parsed.apps.size()) {
                    changed = true;
                    if (apps.empty()) {
                        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
                        continue;
                    }
                    lines[i] = AssignmentLine(mimeType, apps);
                }
            }
        }
        ++i;
    }
    return changed ? JoinLines(lines) : mimeApps;
}

AssocOutcome InstallDesktopAssociation(const AssocValues& values, const DesktopPaths& paths,
                                       const std::string& programPath, std::span<const IconImage> icons,
                                       const ToolRunner& run)
{
    AssocOutcome outcome;
    std::string exec;
    if (!DesktopExecValue(programPath, exec)) {
        outcome.Fail("The program's path cannot be written in a desktop entry.");
        return outcome;
    }

    WriteFile(MimePackageFile(paths, values), MimePackageText(values), outcome);

    bool withIcon = false;
    for (const IconImage& icon : icons) {
        bool known = false;
        for (int size : kIconSizes)
            known = known || size == icon.size;
        if (!known || icon.png.empty())
            continue;
        WriteFile(IconFile(paths, values, icon.size), icon.png, outcome);
        withIcon = true;
    }

    WriteFile(DesktopEntryFile(paths, values), DesktopEntryText(values, exec, withIcon), outcome);

    EditMimeApps(
        paths, true,
        [&](const std::string& text) { return WithDefaultApplication(text, values.mimeType, values.desktopId); },
        outcome);

    Refresh(paths, run, outcome);
    return outcome;
}

AssocOutcome RemoveDesktopAssociation(const AssocValues& values, const DesktopPaths& paths, const ToolRunner& run)
{
    AssocOutcome outcome;
    RemoveFile(MimePackageFile(paths, values), outcome);
    RemoveFile(DesktopEntryFile(paths, values), outcome);
    for (int size : kIconSizes)
        RemoveFile(IconFile(paths, values, size), outcome);

    EditMimeApps(
        paths, false,
        [&](const std::string& text) { return WithoutDefaultApplication(text, values.mimeType, values.desktopId); },
        outcome);

    Refresh(paths, run, outcome);
    return outcome;
}

std::vector<fs::path> DataDirsFromEnvironment()
{
    std::vector<fs::path> dirs;
    const char* value = std::getenv("XDG_DATA_DIRS");
    const std::string list = value && *value ? value : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= list.size()) {
        auto end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        fs::path dir = common::PathFromUtf8(list.substr(start, end - start));
        if (dir.is_absolute()) // relative entries are invalid there and would depend on the working folder
            dirs.push_back(dir);
        start = end + 1;
    }
    return dirs;
}

fs::path InstalledDataDir(const std::string& programPath, const std::vector<fs::path>& dataDirs,
                          const AssocValues& values)
{
    std::error_code ec;
    // Through links such as /usr/local/bin/QM4Edit -> /opt/qm4edit/bin/QM4Edit to the real prefix.
    const fs::path program = fs::weakly_canonical(common::PathFromUtf8(programPath), ec);
    if (ec || !program.has_parent_path())
        return {};
    const fs::path share = fs::weakly_canonical(program.parent_path().parent_path() / "share", ec);
    if (ec)
        return {};
    for (const fs::path& dir : dataDirs) {
        std::error_code dirEc;
        if (fs::weakly_canonical(dir, dirEc) != share || dirEc)
            continue;
        if (fs::is_regular_file(dir / "applications" / values.installedDesktopId, dirEc))
            return dir;
    }
    return {};
}

AssocOutcome SetInstalledDefault(const AssocValues& values, const DesktopPaths& paths)
{
    AssocOutcome outcome;
    EditMimeApps(
        paths, true,
        [&](const std::string& text) {
            return WithDefaultApplication(text, values.mimeType, values.installedDesktopId);
        },
        outcome);
    return outcome;
}

AssocOutcome RemoveInstalledDefault(const AssocValues& values, const DesktopPaths& paths)
{
    AssocOutcome outcome;
    EditMimeApps(
        paths, false,
        [&](const std::string& text) {
            return WithoutDefaultApplication(text, values.mimeType, values.installedDesktopId);
        },
        outcome);
    return outcome;
}

} // namespace registrar
