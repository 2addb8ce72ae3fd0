// Every writer against the real disk of the system it runs on (on Windows, through the
// Windows file layer): replacing a file, a read-only target, a target another program holds
// open, a missing folder, and a name outside ASCII.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "FaultFs.h"
#include "ScriptedPrompt.h"
#include "SmallScene.h"
#include "Writers.h"
#include "scene/QM4EditDoc.h"
#include "scene/csv/CsvExchange.h"
#include "texture/PixloomDoc.h"

namespace fs = std::filesystem;
using namespace fault;

namespace {

std::string Bytes(const std::vector<std::uint8_t>& b)
{
    return {b.begin(), b.end()};
}

class RealDisk : public ::testing::TestWithParam<WriterKind> {
protected:
    TempDir dir;
    std::unique_ptr<DocWriter> writer = MakeWriter(GetParam());
    fs::path target = dir.Path() / writer->FileName();
    std::string previous;

    void WriteEarlierFile()
    {
        ASSERT_TRUE(writer->Write(target, common::RealFileSystem()).ok);
        previous = Slurp(target);
        writer->Change();
    }
    // Refused in the document's own words, the earlier file intact, no temporary beside it.
    void ExpectRefusedAndKept(const WriteOutcome& r)
    {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.messages, std::vector<std::string>{writer->FailureMessage(target)});
        EXPECT_EQ(Slurp(target), previous);
        EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{writer->FileName()});
    }
};

TEST_P(RealDisk, ReplacesTheEarlierFile)
{
    WriteEarlierFile();
    const WriteOutcome r = writer->Write(target, common::RealFileSystem());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(Slurp(target), Bytes(writer->Expected()));
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{writer->FileName()});
}

TEST_P(RealDisk, ReadOnlyTargetIsRefused)
{
    WriteEarlierFile();
    fs::permissions(target, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ExpectRefusedAndKept(writer->Write(target, common::RealFileSystem()));
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
}

TEST_P(RealDisk, TargetHeldOpenByAnotherProgramIsRefused)
{
#ifdef _WIN32
    WriteEarlierFile();
    // Opened the way many programs open a file they read: others may read and write it, but
    // not delete or rename over it.
    HANDLE held = ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const WriteOutcome r = writer->Write(target, common::RealFileSystem());
    ::CloseHandle(held);
    ExpectRefusedAndKept(r);
#else
    GTEST_SKIP() << "an open file never stops a rename over it on POSIX systems";
#endif
}

TEST_P(RealDisk, MissingFolderIsRefused)
{
    target = dir.Path() / "no-such-folder" / writer->FileName();
    const WriteOutcome r = writer->Write(target, common::RealFileSystem());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{writer->FailureMessage(target)});
    EXPECT_TRUE(Listing(dir.Path()).empty());
}

TEST_P(RealDisk, NonAsciiNamesSaveAndReadBack)
{
    const std::string name = "\xC3\x9Cn\xC3\xAF"
                             "c\xC3\xB8"
                             "d\xC3\xA9-\xE5\x9C\xBA\xE6\x99\xAF-" +
        writer->FileName();
    target = common::PathFromUtf8(common::PathToUtf8(dir.Path()) + "/" + name);
    ASSERT_TRUE(writer->Write(target, common::RealFileSystem()).ok);
    std::vector<std::uint8_t> back;
    ASSERT_EQ(common::ReadWholeFile(common::PathFromUtf8(common::PathToUtf8(target)), back), common::ReadStatus::Ok);
    EXPECT_EQ(back, writer->Expected());
    ASSERT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
    EXPECT_EQ(common::PathToUtf8(fs::directory_iterator(dir.Path())->path().filename()), name);
}

// Each document's own open, save, import and export, on names and a folder outside ASCII:
// the names stay UTF-8 inside and become UTF-16 only where Windows is called.
TEST(NonAsciiNames, DocumentsOpenSaveImportAndExportThem)
{
    TempDir tmp;
    const std::string folder = common::PathToUtf8(tmp.Path()) + "/Ordner_\xC3\xB6\xE5\xAD\x97";
    fs::create_directory(common::PathFromUtf8(folder));
    auto at = [&](const char* name) { return common::PathFromUtf8(folder + "/" + name); };
    const fs::path qm4 = at("Szene_\xC3\xA4\xE6\xBC\xA2.qm4");
    const fs::path csv = at("Punkte_\xC3\xA4\xE6\xBC\xA2.csv");
    const fs::path tex = at("Textur_\xC3\xA4\xE6\xBC\xA2.tex");
    const fs::path tga = at("Bild_\xC3\xA4\xE6\xBC\xA2.tga");

    scene::CQM4EditDoc scene;
    ASSERT_TRUE(scene.Serialize(fuzz::SmallSceneBytes()).Ok());
    const scene::ObjectVertex v = scene.GetVertex(1);
    scene.SetVertexAndUpdate(1, v.x + 2.0f, v.y, v.z);
    ASSERT_TRUE(scene.OnSaveDocument(qm4).ok);
    ASSERT_TRUE(scene::ExportCsvFile(scene, csv, scene::CSV_UNIQUE_VERTS, scene::CsvScope{}).ok);
    scene::CQM4EditDoc opened;
    ASSERT_TRUE(opened.OnOpenDocument(qm4).Ok());
    EXPECT_EQ(opened.SaveToBytes(), scene.SaveToBytes());
    opened.SetVertex(1, v.x, v.y, v.z);
    const scene::CsvImportResult imported = scene::ImportCsvFile(opened, csv, scene::CSV_UNIQUE_VERTS);
    ASSERT_TRUE(imported.ok) << imported.message;
    EXPECT_EQ(opened.SaveToBytes(), scene.SaveToBytes());

    texture::CPixloomDoc texture;
    ScriptedPrompt prompt;
    ASSERT_TRUE(texture.ReadTex(fault::MakeWriter(WriterKind::TextureSave)->Expected(), prompt));
    ASSERT_TRUE(texture.OnSaveDocument(tex, prompt));
    ASSERT_TRUE(texture.ExportTarga(tga, prompt));
    texture::CPixloomDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(tex, prompt));
    EXPECT_EQ(common::PathToUtf8(reopened.GetPathName()), common::PathToUtf8(tex));
    reopened.GetPixel(0, 0)[0] ^= 0xFF;
    ASSERT_TRUE(reopened.ImportTarga(tga, prompt));
    std::vector<std::uint8_t> saved, back;
    texture.WriteTex(saved);
    reopened.WriteTex(back);
    EXPECT_EQ(back, saved);
    EXPECT_EQ(prompt.Count(), 0u);

    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(common::PathFromUtf8(folder)))
        names.push_back(common::PathToUtf8(e.path().filename()));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{common::PathToUtf8(tga.filename()), common::PathToUtf8(csv.filename()),
                                        common::PathToUtf8(qm4.filename()), common::PathToUtf8(tex.filename())}));
}

INSTANTIATE_TEST_SUITE_P(Writers, RealDisk, ::testing::ValuesIn(ALL_WRITERS),
                         [](const auto& info) { return std::string(WriterName(info.param)); });

} // namespace
