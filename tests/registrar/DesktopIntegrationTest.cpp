#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>

#include "editor/app/QM4EditAssoc.h"
#include "pixloom/PixloomAssoc.h"
#include "registrar/DesktopIntegration.h"

namespace fs = std::filesystem;
using registrar::DesktopPaths;
using registrar::ToolResult;

namespace {

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Every file below a folder with its contents.
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> files;
    if (fs::exists(root))
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files[fs::relative(entry.path(), root).string()] = ReadText(entry.path());
    return files;
}

class DesktopIntegration : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_root = fs::temp_directory_path() / ("qm-registrar-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(m_root);
        m_paths = {m_root / "data", m_root / "config"};
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    registrar::ToolRunner Recorder()
    {
        return [this](const std::string& tool, const std::vector<std::string>& args) {
            m_ran.push_back(tool + " " + (args.empty() ? "" : args[0]));
            return m_toolResult;
        };
    }

    registrar::AssocOutcome Install(const std::string& program = "/opt/fennwick/QM4Edit",
                                    const std::vector<registrar::IconImage>& icons = {{32, {1, 2, 3}}, {48, {4, 5}}})
    {
        return registrar::InstallDesktopAssociation(qm4edit::QM4EditAssocValues(), m_paths, program, icons, Recorder());
    }
    registrar::AssocOutcome Remove()
    {
        return registrar::RemoveDesktopAssociation(qm4edit::QM4EditAssocValues(), m_paths, Recorder());
    }

    fs::path m_root;
    DesktopPaths m_paths;
    std::vector<std::string> m_ran;
    ToolResult m_toolResult = ToolResult::Ok;
};

TEST_F(DesktopIntegration, InstallWritesTypeEntryIconsAndDefault)
{
    ASSERT_TRUE(Install().Ok());

    const std::string mime = ReadText(m_paths.dataHome / "mime/packages/fennwick-qm4edit.xml");
    EXPECT_NE(mime.find("<mime-type type=\"application/x-morvel-qm4\">"), std::string::npos) << mime;
    EXPECT_NE(mime.find("<comment>Morvel 3D Object File</comment>"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.qm4\""), std::string::npos);

    EXPECT_EQ(ReadText(m_paths.dataHome / "applications/fennwick-qm4edit.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=QM4Edit\n"
              "Exec=/opt/fennwick/QM4Edit %f\n"
              "Icon=fennwick-qm4edit\n"
              "MimeType=application/x-morvel-qm4;\n"
              "NoDisplay=true\n"
              "Terminal=false\n");
    EXPECT_EQ(ReadText(m_paths.dataHome / "icons/hicolor/32x32/apps/fennwick-qm4edit.png"), "\x01\x02\x03");
    EXPECT_EQ(ReadText(m_paths.dataHome / "icons/hicolor/48x48/apps/fennwick-qm4edit.png"), "\x04\x05");
    EXPECT_EQ(ReadText(m_paths.configHome / "mimeapps.list"),
              "[Default Applications]\napplication/x-morvel-qm4=fennwick-qm4edit.desktop;\n");

    const std::vector<std::string> refreshed{"update-mime-database " + (m_paths.dataHome / "mime").string(),
                                             "update-desktop-database " + (m_paths.dataHome / "applications").string()};
    EXPECT_EQ(m_ran, refreshed);
}

// .tex is LaTeX's too: our type ties on the name and claims only files whose content is a
// texture's, by the same rule the package installs.
TEST_F(DesktopIntegration, TextureTypeCarriesThePackagedContentRuleUntilRemoved)
{
    const auto& values = pixloom::PixloomAssocValues();
    ASSERT_TRUE(registrar::InstallDesktopAssociation(values, m_paths, "/opt/fennwick/Pixloom", {}, Recorder()).Ok());
    const fs::path file = m_paths.dataHome / "mime/packages/fennwick-pixloom.xml";
    const std::string mime = ReadText(file);
    EXPECT_NE(mime.find("    <glob pattern=\"*.tex\"/>\n    <magic priority=\"80\">\n"), std::string::npos) << mime;
    EXPECT_NE(mime.find("</magic>\n  </mime-type>\n</mime-info>\n"), std::string::npos) << mime;

    auto squeezed = [](std::string text) {
        std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
        return text;
    };
    const std::string packaged = squeezed(ReadText(QM_PACKAGED_MIME));
    const std::string magic = squeezed(values.mimeMagic);
    EXPECT_NE(packaged.find(magic), std::string::npos) << "the packaged rule differs:\n" << values.mimeMagic;
    for (const char* depth : {"16", "24", "32"})
        EXPECT_NE(magic.find("offset=\"28\"value=\"" + std::string(depth) + "\""), std::string::npos) << depth;

    ASSERT_TRUE(registrar::RemoveDesktopAssociation(values, m_paths, Recorder()).Ok());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(m_ran.back(), "update-desktop-database " + (m_paths.dataHome / "applications").string());
}

TEST_F(DesktopIntegration, InstallTwiceLeavesTheSameFilesAsOnce)
{
    Install();
    const auto once = Snapshot(m_root);
    Install();
    EXPECT_EQ(Snapshot(m_root), once);
}

TEST_F(DesktopIntegration, RemoveTakesBackExactlyWhatInstallAdded)
{
    const std::string list = "# kept by the user\r\n"
                             "[Added Associations]\n"
                             "text/plain=editor.desktop;\n"
                             "\n"
                             "[Default Applications]\n"
                             "text/plain=editor.desktop\n"
                             "application/x-morvel-qm4=viewer.desktop;older.desktop;\n"
                             "\n"
                             "[Removed Associations]\n"
                             "application/x-morvel-qm4=fennwick-qm4edit.desktop;\n";
    WriteText(m_paths.configHome / "mimeapps.list", list);
    WriteText(m_paths.dataHome / "applications/editor.desktop", "[Desktop Entry]\n");
    const auto before = Snapshot(m_root);

    ASSERT_TRUE(Install().Ok());
    const std::string installed = ReadText(m_paths.configHome / "mimeapps.list");
    EXPECT_NE(installed.find("application/x-morvel-qm4=fennwick-qm4edit.desktop;viewer.desktop;older.desktop;\n"
                             "\n[Removed"),
              std::string::npos)
        << installed;

    ASSERT_TRUE(Remove().Ok());
    EXPECT_EQ(Snapshot(m_root), before);
}

TEST_F(DesktopIntegration, DefaultGoesIntoAnExistingGroupWithoutOne)
{
    WriteText(m_paths.configHome / "mimeapps.list",
              "[Default Applications]\ntext/plain=editor.desktop\n\n[Added Associations]\ntext/x-c=ide.desktop;\n");
    Install();
    EXPECT_EQ(ReadText(m_paths.configHome / "mimeapps.list"),
              "[Default Applications]\ntext/plain=editor.desktop\n"
              "application/x-morvel-qm4=fennwick-qm4edit.desktop;\n"
              "\n[Added Associations]\ntext/x-c=ide.desktop;\n");
    Remove();
    EXPECT_EQ(ReadText(m_paths.configHome / "mimeapps.list"),
              "[Default Applications]\ntext/plain=editor.desktop\n\n[Added Associations]\ntext/x-c=ide.desktop;\n");
}

TEST_F(DesktopIntegration, RemoveWithNothingInstalledCreatesNothing)
{
    EXPECT_TRUE(Remove().Ok());
    EXPECT_TRUE(Snapshot(m_root).empty());
    EXPECT_TRUE(m_ran.empty());
}

TEST_F(DesktopIntegration, ExecValueQuotesOnlyWhatNeedsIt)
{
    std::string exec;
    ASSERT_TRUE(registrar::DesktopExecValue("/usr/bin/qm4edit", exec));
    EXPECT_EQ(exec, "/usr/bin/qm4edit");
    ASSERT_TRUE(registrar::DesktopExecValue("/home/me/My Tools/QM4Edit", exec));
    EXPECT_EQ(exec, "\"/home/me/My Tools/QM4Edit\"");
    // Inside quotes $ " ` \ take a backslash, and every backslash is doubled once more.
    ASSERT_TRUE(registrar::DesktopExecValue("/opt/a$b\"c\\d/QM4Edit", exec));
    EXPECT_EQ(exec, "\"/opt/a\\\\$b\\\\\"c\\\\\\\\d/QM4Edit\"");
    ASSERT_TRUE(registrar::DesktopExecValue("/opt/100%/QM4Edit", exec));
    EXPECT_EQ(exec, "/opt/100%%/QM4Edit");
    EXPECT_FALSE(registrar::DesktopExecValue("/opt/two\nlines/QM4Edit", exec));
}

TEST_F(DesktopIntegration, APathNoEntryCanCarryIsRefusedBeforeWriting)
{
    const registrar::AssocOutcome outcome = Install("/opt/bad\tpath/QM4Edit");
    EXPECT_FALSE(outcome.Ok());
    EXPECT_TRUE(Snapshot(m_root).empty());
}

TEST_F(DesktopIntegration, FailuresAreReportedNotSwallowed)
{
    // A file where the data folder should be: nothing can be written below it, even as root.
    WriteText(m_paths.dataHome, "in the way");
    registrar::AssocOutcome outcome = Install();
    ASSERT_FALSE(outcome.Ok());
    EXPECT_NE(registrar::AssocFailureMessage(outcome).find("fennwick-qm4edit.desktop"), std::string::npos);
    fs::remove(m_paths.dataHome);

    m_toolResult = ToolResult::Failed;
    EXPECT_FALSE(Install().Ok());
    m_toolResult = ToolResult::NotInstalled;
    EXPECT_TRUE(Install().Ok()) << "missing refresh tools are skipped";
}

TEST_F(DesktopIntegration, ReadsTheXdgFoldersFromTheEnvironment)
{
    const char* names[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"};
    std::array<std::optional<std::string>, 3> saved;
    for (std::size_t i = 0; i < 3; ++i)
        if (const char* v = std::getenv(names[i]))
            saved[i] = v;

    DesktopPaths paths;
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_DATA_HOME", "/tmp/data", 1);
    ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    ASSERT_TRUE(registrar::DesktopPathsFromEnvironment(paths));
    EXPECT_EQ(paths.dataHome, fs::path("/tmp/data"));
    EXPECT_EQ(paths.configHome, fs::path("/home/someone/.config"));
    ::unsetenv("HOME");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_FALSE(registrar::DesktopPathsFromEnvironment(paths));

    for (std::size_t i = 0; i < 3; ++i) {
        if (saved[i])
            ::setenv(names[i], saved[i]->c_str(), 1);
        else
            ::unsetenv(names[i]);
    }
}

// The whole road with the desktop tools a Debian machine has: the type is known, the entry
// is the default, xdg-open starts the program on the file, and Remove undoes all of it.
class WithDesktopTools : public DesktopIntegration {
protected:
    void SetUp() override
    {
        for (const char* tool : {"xdg-mime", "xdg-open", "update-mime-database", "mimetype"})
            if (Run(std::string("command -v ") + tool).empty())
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh)";
        DesktopIntegration::SetUp();
        // Only this test's folders, and no desktop session to ask instead.
        ::setenv("XDG_DATA_HOME", m_paths.dataHome.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", m_paths.configHome.c_str(), 1);
        ::setenv("HOME", m_root.c_str(), 1);
        ::setenv("BROWSER", "false", 1);
        // xdg-open looks a file's handler up only for a graphical session; none is contacted.
        ::setenv("DISPLAY", ":99", 1);
        for (const char* v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                              "MATE_DESKTOP_SESSION_ID", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            ::unsetenv(v);

        // A stand-in for the program that notes the file it was asked to open.
        m_program = m_root / "bin" / "QM4Edit";
        WriteText(m_program, "#!/bin/sh\nprintf '%s' \"$1\" > '" + (m_root / "opened").string() + "'\n");
        fs::permissions(m_program, fs::perms::owner_all);
        m_scene = m_root / "work" / "level.qm4";
        WriteText(m_scene, "");
    }

    static std::string Run(const std::string& command)
    {
        std::string out;
        if (FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
            char buf[256];
            while (std::fgets(buf, sizeof buf, p))
                out += buf;
            ::pclose(p);
        }
        while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
            out.pop_back();
        return out;
    }

    fs::path m_program;
    fs::path m_scene;
};

TEST_F(WithDesktopTools, XdgToolsSeeTheAssociationUntilItIsRemoved)
{
    const std::string queryType = "xdg-mime query filetype '" + m_scene.string() + "'";
    const std::string queryDefault = "xdg-mime query default application/x-morvel-qm4";
    ASSERT_NE(Run(queryType), "application/x-morvel-qm4");

    const auto& values = qm4edit::QM4EditAssocValues();
    ASSERT_TRUE(registrar::InstallDesktopAssociation(values, m_paths, m_program.string(), {}).Ok());
    EXPECT_EQ(Run(queryType), "application/x-morvel-qm4");
    EXPECT_EQ(Run(queryDefault), "fennwick-qm4edit.desktop");

    Run("xdg-open '" + m_scene.string() + "'");
    EXPECT_EQ(ReadText(m_root / "opened"), m_scene.string());

    ASSERT_TRUE(registrar::RemoveDesktopAssociation(values, m_paths).Ok());
    EXPECT_NE(Run(queryType), "application/x-morvel-qm4");
    EXPECT_EQ(Run(queryDefault), "");
}

TEST_F(WithDesktopTools, LatexKeepsItsTypeAndOnlyTexturesBecomeOurs)
{
    const fs::path latex = m_root / "work" / "paper.tex";
    WriteText(latex, "\\documentclass{article}\n\\begin{document}\nHello\n\\end{document}\n");
    const fs::path texture = m_root / "work" / "wall.tex";
    std::string bytes(20, '\x07');
    for (std::uint32_t v : {4u, 2u, 24u})
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
    WriteText(texture, bytes + std::string(4 * 2 * 3, '\x55'));
    auto type = [](const fs::path& f) { return Run("xdg-mime query filetype '" + f.string() + "'"); };

    const auto& values = pixloom::PixloomAssocValues();
    ASSERT_TRUE(registrar::InstallDesktopAssociation(values, m_paths, m_program.string(), {}).Ok());
    EXPECT_EQ(type(latex), "text/x-tex");
    EXPECT_EQ(type(texture), "image/x-morvel-tex");
    ASSERT_TRUE(registrar::RemoveDesktopAssociation(values, m_paths).Ok());
    EXPECT_EQ(type(texture), "text/x-tex");
}

} // namespace

// A program run from a system-wide installation: the package owns the desktop entry and the
// MIME type, so only the user's default choice may change, and Remove takes back only that.
class InstalledProgram : public DesktopIntegration {
protected:
    void SetUp() override
    {
        DesktopIntegration::SetUp();
        m_share = m_root / "usr" / "share";
        WriteText(m_share / "applications" / qm4edit::QM4EditAssocValues().installedDesktopId, "[Desktop Entry]\n");
        WriteText(m_root / "usr" / "bin" / "QM4Edit", "");
        m_program = (m_root / "usr" / "bin" / "QM4Edit").string();
    }
    registrar::AssocOutcome Apply(registrar::AssocAction action, const std::string& program)
    {
        setenv("XDG_DATA_HOME", m_paths.dataHome.c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_paths.configHome.c_str(), 1);
        setenv("XDG_DATA_DIRS", (m_root.string() + "/elsewhere:" + m_share.string()).c_str(), 1);
        return registrar::ApplyFileAssociation(action, qm4edit::QM4EditAssocValues(), program, {});
    }
    fs::path m_share;
    std::string m_program;
};

TEST_F(InstalledProgram, IsRecognisedOnlyWithItsEntryInADataFolderOfItsOwnPrefix)
{
    const auto values = qm4edit::QM4EditAssocValues();
    EXPECT_EQ(registrar::InstalledDataDir(m_program, {m_root / "elsewhere", m_share}, values), m_share);
    // Through a link from another bin folder, as /usr/local/bin links often are.
    fs::create_directories(m_root / "links");
    fs::create_symlink(m_program, m_root / "links" / "QM4Edit");
    EXPECT_EQ(registrar::InstalledDataDir((m_root / "links" / "QM4Edit").string(), {m_share}, values), m_share);
    // A build tree, a prefix the desktop does not search, a prefix without our entry.
    EXPECT_TRUE(
        registrar::InstalledDataDir((m_root / "build" / "bin" / "QM4Edit").string(), {m_share}, values).empty());
    EXPECT_TRUE(registrar::InstalledDataDir(m_program, {m_root / "elsewhere"}, values).empty());
    fs::remove(m_share / "applications" / values.installedDesktopId);
    EXPECT_TRUE(registrar::InstalledDataDir(m_program, {m_share}, values).empty());
}

TEST_F(InstalledProgram, SetWritesOnlyTheDefaultAndRemoveRestoresTheListExactly)
{
    const std::string before = "[Default Applications]\n"
                               "text/plain=editor.desktop;\n"
                               "application/x-morvel-qm4=other.desktop;\n"
                               "\n[Added Associations]\nimage/png=viewer.desktop;\n";
    WriteText(registrar::MimeAppsFile(m_paths), before);

    ASSERT_TRUE(Apply(registrar::AssocAction::SetReset, m_program).Ok());
    EXPECT_TRUE(Snapshot(m_paths.dataHome).empty());
    const std::string set = ReadText(registrar::MimeAppsFile(m_paths));
    EXPECT_NE(set.find("application/x-morvel-qm4=com.fennwick.QM4Edit.desktop;other.desktop;\n"), std::string::npos);
    EXPECT_NE(set.find("text/plain=editor.desktop;\n"), std::string::npos);

    ASSERT_TRUE(Apply(registrar::AssocAction::Remove, m_program).Ok());
    EXPECT_EQ(ReadText(registrar::MimeAppsFile(m_paths)), before);
    EXPECT_TRUE(Snapshot(m_paths.dataHome).empty());
}

TEST_F(InstalledProgram, FromABuildTreeTheUserGetsTheirOwnEntryAsBefore)
{
    WriteText(m_root / "build" / "bin" / "QM4Edit", "");
    const std::string program = (m_root / "build" / "bin" / "QM4Edit").string();
    ASSERT_TRUE(Apply(registrar::AssocAction::SetReset, program).Ok());
    EXPECT_TRUE(fs::exists(registrar::DesktopEntryFile(m_paths, qm4edit::QM4EditAssocValues())));
    EXPECT_TRUE(fs::exists(registrar::MimePackageFile(m_paths, qm4edit::QM4EditAssocValues())));
    ASSERT_TRUE(Apply(registrar::AssocAction::Remove, program).Ok());
    EXPECT_FALSE(fs::exists(registrar::DesktopEntryFile(m_paths, qm4edit::QM4EditAssocValues())));
}
