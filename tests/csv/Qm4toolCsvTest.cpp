// qm4tool export and import as scripts run them: files written, exit codes, stderr.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "SceneBuilder.h"
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

class Qm4toolCsv : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
            (std::string("qm4tool_csv_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        // Object 0: (0,1,2); object 1: (3,4,5) and (5,4,3).
        SceneBuilder b;
        for (int i = 0; i < 6; ++i)
            b.vertices.push_back({static_cast<float>(i), -0.5f * static_cast<float>(i), 0.1f});
        b.objects = {{TestPolygon{{0, 1, 2}}}, {TestPolygon{{3, 4, 5}}, TestPolygon{{5, 4, 3}}}};
        const auto bytes = b.Bytes();
        std::ofstream(m_dir / "s.qm4", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const char* name) const { return (m_dir / name).string(); }
    std::string Text(const char* name) const
    {
        std::ifstream in(m_dir / name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void WriteText(const char* name, const std::string& text) const
    {
        std::ofstream(m_dir / name, std::ios::binary) << text;
    }

    int Run(const std::vector<std::string>& args)
    {
        std::string cmd = "\"" QM4TOOL_PATH "\"";
        for (const std::string& a : args)
            cmd += " \"" + a + "\"";
        cmd += " >\"" + Path("stdout.txt") + "\" 2>\"" + Path("stderr.txt") + "\"";
#ifdef _WIN32
        // cmd.exe drops the first and the last quote of a line that holds several.
        cmd = "\"" + cmd + "\"";
#endif
        const int rc = std::system(cmd.c_str());
        err = ConsoleText(Text("stderr.txt"));
#ifdef _WIN32
        return rc;
#else
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
#endif
    }

    // Loads a scene the tool wrote.
    scene::ObjectVertex VertexOf(const char* name, int index) const
    {
        scene::CQM4EditDoc doc;
        std::vector<std::uint8_t> bytes;
        common::ReadWholeFile(m_dir / name, bytes);
        EXPECT_TRUE(doc.Serialize(bytes).Ok());
        return doc.GetVertex(index);
    }

    fs::path m_dir;
    std::string err;
};

} // namespace

TEST_F(Qm4toolCsv, ExportScopes)
{
    ASSERT_EQ(Run({"export", Path("s.qm4"), Path("all.csv")}), 0) << err;
    EXPECT_EQ(Text("all.csv"),
              "0,0,0,0.000000,-0.000000,0.100000,1,1.000000,-0.500000,0.100000,2,2.000000,-1.000000,0.100000\r\n"
              "1,0,3,3.000000,-1.500000,0.100000,4,4.000000,-2.000000,0.100000,5,5.000000,-2.500000,0.100000\r\n"
              "1,1,5,5.000000,-2.500000,0.100000,4,4.000000,-2.000000,0.100000,3,3.000000,-1.500000,0.100000\r\n");

    ASSERT_EQ(Run({"export", "--vertices", Path("s.qm4"), "--object", "1", Path("v.csv")}), 0) << err;
    EXPECT_EQ(Text("v.csv"),
              "3,3.000000,-1.500000,0.100000\r\n4,4.000000,-2.000000,0.100000\r\n"
              "5,5.000000,-2.500000,0.100000\r\n");

    ASSERT_EQ(Run({"export", Path("s.qm4"), Path("p.csv"), "--object", "1", "--polygon", "1"}), 0) << err;
    EXPECT_EQ(Text("p.csv"),
              "1,1,5,5.000000,-2.500000,0.100000,4,4.000000,-2.000000,0.100000,3,3.000000,-1.500000,0.100000\r\n");

    ASSERT_EQ(Run({"export", Path("s.qm4"), Path("all-v.csv"), "--vertices"}), 0) << err;
    EXPECT_TRUE(Text("all-v.csv").starts_with("0,0.000000,-0.000000,0.100000\r\n1,"));
}

TEST_F(Qm4toolCsv, ImportAppliesAndReportsOnStderr)
{
    WriteText("in.csv", "Object,Polygon\r\n1,0,3,7,7,7,4,8,8,8,5,9,9,9\r\n0,0,0,1,1,1,1,1,1,1,2,1,1,1\r\n");
    ASSERT_EQ(Run({"import", Path("s.qm4"), Path("in.csv"), Path("out.qm4"), "--object", "1"}), 0) << err;
    EXPECT_EQ(err, "CSV import: 1 line applied, 1 line skipped.\n");
    EXPECT_EQ(VertexOf("out.qm4", 4).x, 8.0f);
    EXPECT_EQ(VertexOf("out.qm4", 0).x, 0.0f);

    WriteText("v.csv", "2,-1e2,0.25,3\n9,1,1,1\n");
    ASSERT_EQ(Run({"import", Path("s.qm4"), Path("v.csv"), Path("out2.qm4"), "--vertices"}), 0) << err;
    EXPECT_EQ(err, "CSV import: 1 line applied, 1 line skipped.\n");
    EXPECT_EQ(VertexOf("out2.qm4", 2).x, -100.0f);
}

TEST_F(Qm4toolCsv, UsageAndFailures)
{
    EXPECT_EQ(Run({"export", Path("s.qm4"), Path("x.csv"), "--polygon", "0"}), 2);
    EXPECT_NE(err.find("usage: qm4tool export"), std::string::npos);
    EXPECT_EQ(Run({"export", Path("s.qm4")}), 2);
    EXPECT_EQ(Run({"import", Path("s.qm4"), Path("x.csv"), Path("o.qm4"), "--polygon", "0"}), 2);
    EXPECT_EQ(Run({"export", Path("s.qm4"), Path("x.csv"), "--object", "two"}), 2);

    EXPECT_EQ(Run({"export", Path("s.qm4"), Path("x.csv"), "--object", "2"}), 1);
    EXPECT_EQ(err, "Object index 2 is out of range: the scene has 2 objects.\n");
    EXPECT_EQ(Run({"export", Path("s.qm4"), Path("x.csv"), "--object", "0", "--polygon", "-1"}), 1);
    EXPECT_EQ(Run({"import", Path("s.qm4"), Path("x.csv"), Path("o.qm4"), "--object", "-1"}), 1);
    EXPECT_FALSE(fs::exists(m_dir / "x.csv"));

    // A CSV file that is not there: the message, and no scene written.
    EXPECT_EQ(Run({"import", Path("s.qm4"), Path("absent.csv"), Path("o.qm4")}), 1);
    EXPECT_NE(err.find("absent.csv"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_dir / "o.qm4"));

    // A folder that does not exist: the write fails with a message.
    EXPECT_EQ(Run({"export", Path("s.qm4"), Path("no/such/x.csv")}), 1);
    EXPECT_NE(err.find("Cannot write the file"), std::string::npos);
}
