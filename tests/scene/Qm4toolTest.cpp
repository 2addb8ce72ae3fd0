// qm4tool as users and scripts run it: exit codes, messages on stderr, output files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "SceneTestSupport.h"
#include "common/AtomicFile.h"

namespace fs = std::filesystem;

// Console text on Windows ends its lines with CR LF; the messages themselves are what count.
inline std::string ConsoleText(std::string s)
{
#ifdef _WIN32
    for (std::size_t at; (at = s.find("\r\n")) != std::string::npos;)
        s.erase(at, 1);
#endif
    return s;
}

namespace {

class Qm4tool : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
            (std::string("qm4tool_tests_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const char* name) const { return (m_dir / name).string(); }

    void Write(const char* name, const std::vector<std::uint8_t>& bytes) const
    {
        std::ofstream(m_dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> Read(const char* name) const
    {
        std::vector<std::uint8_t> out;
        common::ReadWholeFile(m_dir / name, out);
        return out;
    }
    static std::string Text(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    // Runs qm4tool with args (each quoted); returns the exit status.
    int Run(const std::vector<std::string>& args)
    {
        std::string cmd = "\"" QM4TOOL_PATH "\"";
        for (const std::string& a : args)
            cmd += " \"" + a + "\"";
        cmd += " >\"" + (m_dir / "stdout.txt").string() + "\" 2>\"" + (m_dir / "stderr.txt").string() + "\"";
#ifdef _WIN32
        // cmd.exe drops the first and the last quote of a line that holds several.
        cmd = "\"" + cmd + "\"";
#endif
        const int rc = std::system(cmd.c_str());
        out = ConsoleText(Text(m_dir / "stdout.txt"));
        err = ConsoleText(Text(m_dir / "stderr.txt"));
#ifdef _WIN32
        return rc;
#else
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
#endif
    }

    fs::path m_dir;
    std::string out, err;
};

} // namespace

TEST_F(Qm4tool, InfoPrintsTheCountsOfTheDemoScene)
{
    Write("demo.qm4", scenegen::Encode(scenegen::MakeDemoScene()));
    ASSERT_EQ(Run({"info", Path("demo.qm4")}), 0) << err;
    for (const char* line :
         {"Object vertices: 113\n", "Lit texture vertices: 576\n", "Light sources: 2\n", "Objects: 4\n",
          "Polygons: 212\n", "Object bounds-tree nodes: 307\n", "Scene bounds nodes: 7\n", "Texture names: 4\n",
          "Extra names: 2\n", "Trailing bytes: 6\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line;
}

TEST_F(Qm4tool, ResaveRecomputeAndSetVertexWriteWhatTheDocumentWrites)
{
    for (std::uint64_t seed : {3u, 8u, 21u}) {
        const auto file = scenegen::Encode(scenegen::MakeRandomScene(seed, true));
        Write("in.qm4", file);
        ASSERT_EQ(Run({"resave", Path("in.qm4"), Path("same.qm4")}), 0) << err;
        EXPECT_EQ(Read("same.qm4"), file);

        scene::CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(file).Ok());
        doc.UpdateGeometry();
        ASSERT_EQ(Run({"recompute", Path("in.qm4"), Path("re.qm4")}), 0) << err;
        EXPECT_EQ(Read("re.qm4"), doc.SaveToBytes());

        if (doc.GetVertexCount() > 2) {
            doc.SetVertexAndUpdate(2, -1.5f, 0.0f, 2.25f);
            ASSERT_EQ(Run({"set-vertex", Path("in.qm4"), "2", "-1.5", "0", "+2.25", Path("moved.qm4")}), 0) << err;
            EXPECT_EQ(Read("moved.qm4"), doc.SaveToBytes());
        }
    }
}

TEST_F(Qm4tool, DamagedFilesExitOneWithTheMessageAndWriteNothing)
{
    auto file = scenegen::Encode(scenegen::MakeDemoScene());
    Write("short.qm4", std::vector<std::uint8_t>(file.begin(), file.begin() + 200));
    EXPECT_EQ(Run({"resave", Path("short.qm4"), Path("out.qm4")}), 1);
    EXPECT_EQ(err, "Unexpected end of file while reading object vertices!\n");
    EXPECT_FALSE(fs::exists(Path("out.qm4")));

    file[31] = 6;
    Write("v6.qm4", file);
    EXPECT_EQ(Run({"info", Path("v6.qm4")}), 1);
    EXPECT_EQ(err, "Unrecognized file version\n");
    EXPECT_TRUE(out.empty());

    EXPECT_EQ(Run({"info", Path("missing.qm4")}), 1);
    EXPECT_FALSE(err.empty());
}

TEST_F(Qm4tool, FailedSaveExitsOneAndLeavesTheTargetAlone)
{
    Write("in.qm4", scenegen::Encode(scenegen::MakeDemoScene()));
    EXPECT_EQ(Run({"resave", Path("in.qm4"), Path("no-such-folder/out.qm4")}), 1);
    EXPECT_EQ(err, "Storage of object definition file was not successful!\n");
}

TEST_F(Qm4tool, WrongUsageExitsTwoWithAUsageLine)
{
    Write("in.qm4", scenegen::Encode(scenegen::MakeDemoScene()));
    EXPECT_EQ(Run({}), 2);
    EXPECT_NE(err.find("usage: qm4tool"), std::string::npos);
    EXPECT_EQ(Run({"frobnicate"}), 2);
    EXPECT_EQ(Run({"info"}), 2);
    EXPECT_NE(err.find("usage: qm4tool info FILE"), std::string::npos);
    EXPECT_EQ(Run({"resave", Path("in.qm4")}), 2);
    EXPECT_EQ(Run({"set-vertex", Path("in.qm4"), "1", "x", "0", "0", Path("out.qm4")}), 2);
    EXPECT_EQ(Run({"set-vertex", Path("in.qm4"), "1.5", "0", "0", "0", Path("out.qm4")}), 2);
    EXPECT_FALSE(fs::exists(Path("out.qm4")));
    // An index the scene does not have is a failed operation, not wrong usage.
    EXPECT_EQ(Run({"set-vertex", Path("in.qm4"), "113", "0", "0", "0", Path("out.qm4")}), 1);
    EXPECT_EQ(Run({"set-vertex", Path("in.qm4"), "-1", "0", "0", "0", Path("out.qm4")}), 1);
    EXPECT_FALSE(fs::exists(Path("out.qm4")));

    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.find("set-vertex"), std::string::npos);
    EXPECT_EQ(Run({"recompute", "--help"}), 0);
}

TEST_F(Qm4tool, ThumbnailWritesASquarePngOrNothing)
{
    auto file = scenegen::Encode(scenegen::MakeDemoScene());
    Write("demo.qm4", file);
    ASSERT_EQ(Run({"thumbnail", Path("demo.qm4"), Path("demo.png"), "96"}), 0) << err;
    const auto png = Read("demo.png");
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 4),
              (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G'}));
    // Width and height of the header chunk, big-endian: 96 x 96.
    EXPECT_EQ(std::vector<std::uint8_t>(png.begin() + 16, png.begin() + 24),
              (std::vector<std::uint8_t>{0, 0, 0, 96, 0, 0, 0, 96}));

    Write("short.qm4", std::vector<std::uint8_t>(file.begin(), file.begin() + 200));
    EXPECT_EQ(Run({"thumbnail", Path("short.qm4"), Path("short.png"), "96"}), 1);
    EXPECT_EQ(err, "Unexpected end of file while reading object vertices!\n");
    EXPECT_FALSE(fs::exists(Path("short.png")));
    EXPECT_EQ(Run({"thumbnail", Path("demo.qm4"), Path("x.png"), "0"}), 2);
    EXPECT_EQ(Run({"thumbnail", Path("demo.qm4"), Path("x.png")}), 2);
    EXPECT_FALSE(fs::exists(Path("x.png")));
}
