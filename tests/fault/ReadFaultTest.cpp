// Files that change while they are read, or are not there to read: every reader fails with
// a message and keeps what the document held.
//
// The kernel's own files give a file that changes under the reader without any timing: one
// under /proc reports a length of 0 and then yields text (it "grows"), one under /sys reports
// a page and yields a few bytes (it "shrinks").

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FaultFs.h"
#include "ScriptedPrompt.h"
#include "SmallScene.h"
#include "common/AtomicFile.h"
#include "scene/QM4EditDoc.h"
#include "scene/SceneMessages.h"
#include "scene/csv/CsvExchange.h"
#include "texture/PixloomDoc.h"
#include "texture/TexMessages.h"

namespace fs = std::filesystem;

namespace {

const char* const GROWING = "/proc/self/status";
const char* const SHRINKING = "/sys/devices/system/cpu/online";

// True when the file's reported length differs from what reading it gives.
bool ChangesWhileRead(const fs::path& p)
{
    std::error_code ec;
    const auto reported = fs::file_size(p, ec);
    if (ec)
        return false;
    return fault::Slurp(p).size() != reported;
}

class ChangingFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        // Under wine the paths would reach the Linux kernel's files through drive Z:.
        GTEST_SKIP() << "Windows has no kernel files whose length changes when read";
#endif
        if (!ChangesWhileRead(GROWING) || !ChangesWhileRead(SHRINKING))
            GTEST_SKIP() << "this system has no kernel files whose length changes when read";
    }

    // A link with the name the reader expects, to a file that changes while it is read.
    fs::path Link(const char* target, const std::string& name)
    {
        const fs::path p = dir.Path() / name;
        fs::create_symlink(target, p);
        return p;
    }

    fault::TempDir dir;
};

std::vector<std::uint8_t> Tex4x4()
{
    std::vector<std::uint8_t> f(32, 0);
    f[20] = 4;
    f[24] = 4;
    f[28] = 24;
    for (int i = 0; i < 48; ++i)
        f.push_back(static_cast<std::uint8_t>(200 - i));
    return f;
}

TEST_F(ChangingFiles, SceneOpenFailsWithAMessageAndKeepsTheLoadedScene)
{
    for (const char* target : {GROWING, SHRINKING}) {
        scene::CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(fuzz::SmallSceneBytes()).Ok());
        doc.SetVertex(2, 9.0f, 9.0f, 9.0f);
        const std::vector<std::uint8_t> held = doc.SaveToBytes();

        const fs::path p = Link(target, std::string(target == GROWING ? "grows" : "shrinks") + ".qm4");
        const scene::LoadResult r = doc.OnOpenDocument(p);
        EXPECT_EQ(r.status, scene::LoadStatus::NotOpened) << target;
        EXPECT_EQ(r.message, scene::CannotReadMessage(common::PathToUtf8(p)));
        EXPECT_EQ(r.icon, common::MessageIcon::Stop);
        // Nothing was read, so the scene and its unsaved change are still there.
        EXPECT_TRUE(doc.IsLoaded());
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.SaveToBytes(), held);
    }
}

TEST_F(ChangingFiles, CsvImportFailsWithAMessageAndMovesNoVertex)
{
    for (const char* target : {GROWING, SHRINKING}) {
        scene::CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(fuzz::SmallSceneBytes()).Ok());
        const std::vector<std::uint8_t> held = doc.SaveToBytes();
        const fs::path p = Link(target, std::string(target == GROWING ? "grows" : "shrinks") + ".csv");
        for (scene::CsvType type : {scene::CSV_OBJECT_POLYGONS, scene::CSV_UNIQUE_VERTS}) {
            const scene::CsvImportResult r = scene::ImportCsvFile(doc, p, type);
            EXPECT_FALSE(r.ok) << target;
            EXPECT_EQ(r.message, scene::CannotReadMessage(common::PathToUtf8(p)));
            EXPECT_EQ(r.count.applied, 0);
        }
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.SaveToBytes(), held);
    }
}

TEST_F(ChangingFiles, TextureOpenAndTargaImportFailWithAMessage)
{
    texture::CPixloomDoc doc;
    ScriptedPrompt quiet;
    ASSERT_TRUE(doc.ReadTex(Tex4x4(), quiet));
    std::vector<std::uint8_t> held;
    doc.WriteTex(held);

    // Shrinking: the reader meets the end before the length it was told.
    const fs::path tex = Link(SHRINKING, "shrinks.tex");
    ScriptedPrompt open;
    EXPECT_FALSE(doc.OnOpenDocument(tex, open));
    ASSERT_EQ(open.Count(), 1u);
    EXPECT_EQ(open.Last().text, texture::msg::CannotOpen(common::PathToUtf8(tex)));
    EXPECT_TRUE(doc.IsLoaded()); // a file that cannot be read changes nothing

    const fs::path tga = Link(SHRINKING, "shrinks.tga");
    ScriptedPrompt import;
    EXPECT_FALSE(doc.ImportTarga(tga, import));
    ASSERT_EQ(import.Count(), 1u);
    EXPECT_EQ(import.Last().text, texture::msg::CannotOpen(common::PathToUtf8(tga)));
    EXPECT_FALSE(doc.IsModified());
    std::vector<std::uint8_t> after;
    doc.WriteTex(after);
    EXPECT_EQ(after, held);

    // Growing: what was measured is what is read, and it is no texture.
    const fs::path grows = Link(GROWING, "grows.tex");
    ScriptedPrompt grown;
    EXPECT_FALSE(doc.OnOpenDocument(grows, grown));
    EXPECT_EQ(grown.Count(), 1u);
    EXPECT_FALSE(doc.IsLoaded());
}

// ---- files that are not there, or are not files ----

class MissingFiles : public ::testing::Test {
protected:
    fault::TempDir dir;
};

TEST_F(MissingFiles, EveryReaderReportsWhatItCannotOpen)
{
    const fs::path missing = dir.Path() / "gone";
    const fs::path folder = dir.Path() / "folder.qm4";
    fs::create_directory(folder);

    scene::CQM4EditDoc sceneDoc;
    for (const fs::path& p : {missing, folder}) {
        const scene::LoadResult r = sceneDoc.OnOpenDocument(p);
        EXPECT_EQ(r.status, scene::LoadStatus::NotOpened);
        EXPECT_EQ(r.message, scene::CannotOpenMessage(common::PathToUtf8(p)));
        const scene::CsvImportResult c = scene::ImportCsvFile(sceneDoc, p, scene::CSV_UNIQUE_VERTS);
        EXPECT_FALSE(c.ok);
        EXPECT_EQ(c.message, scene::CannotOpenMessage(common::PathToUtf8(p)));
    }

    texture::CPixloomDoc texDoc;
    {
        const fs::path gone = dir.Path() / "gone.tex";
        ScriptedPrompt prompt;
        EXPECT_FALSE(texDoc.OnOpenDocument(gone, prompt));
        ASSERT_EQ(prompt.Count(), 1u);
        EXPECT_EQ(prompt.Last().text, texture::msg::CannotOpen(common::PathToUtf8(gone)));
    }
    fs::create_directory(dir.Path() / "folder.tga");
    ScriptedPrompt prompt;
    EXPECT_FALSE(texDoc.ImportTarga(dir.Path() / "folder.tga", prompt));
    EXPECT_EQ(prompt.Count(), 1u);
}

TEST_F(MissingFiles, LinkToNothingIsReportedLikeAMissingFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "making symbolic links needs a privilege on Windows, and MinGW's std::filesystem makes none";
#else
    const fs::path dangling = dir.Path() / "dangling.tex";
    fs::create_symlink(dir.Path() / "nowhere", dangling);
    texture::CPixloomDoc texDoc;
    ScriptedPrompt prompt;
    EXPECT_FALSE(texDoc.OnOpenDocument(dangling, prompt));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_EQ(prompt.Last().text, texture::msg::CannotOpen(common::PathToUtf8(dangling)));
#endif
}

} // namespace
