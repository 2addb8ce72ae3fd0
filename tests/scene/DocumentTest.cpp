// The document as the editor uses it: observers, the modified flag, checked accessors,
// opening and saving files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "SceneTestSupport.h"
#include "common/AtomicFile.h"

using scene::CQM4EditDoc;
using scenetest::Bytes;
using scenetest::RecordingObserver;

namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir()
    {
        m_path = fs::temp_directory_path() /
            ("scene_tests_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempDir() { fs::remove_all(m_path); }
    fs::path operator/(const char* name) const { return m_path / name; }
    std::size_t FileCount() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_path), fs::directory_iterator()));
    }

private:
    fs::path m_path;
};

void WriteFile(const fs::path& p, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadFile(const fs::path& p)
{
    std::vector<std::uint8_t> out;
    EXPECT_EQ(common::ReadWholeFile(p, out), common::ReadStatus::Ok);
    return out;
}

// A file system whose writes fail, to check that a failed save costs nothing.
class FailingWrites : public common::IFileSystem {
public:
    class File : public common::IOutputFile {
    public:
        bool Write(const void*, std::size_t) override { return false; }
        bool Sync() override { return true; }
        bool Close() override { return true; }
    };
    std::unique_ptr<common::IOutputFile> CreateTempBeside(const fs::path& target, fs::path& temp) override
    {
        temp = target.string() + ".tmp";
        return std::make_unique<File>();
    }
    bool Replace(const fs::path&, const fs::path&) override { return true; }
    bool Remove(const fs::path&) override { return true; }
};

} // namespace

TEST(DocumentObservers, LoadEmptiesTheTreeThenAddsObjectsInIndexOrder)
{
    CQM4EditDoc doc;
    RecordingObserver o;
    doc.AddObserver(&o);
    ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
    // The last clear is followed by the four objects in order, then the views update.
    const auto& e = o.events;
    const auto lastClear = std::find(e.rbegin(), e.rend(), "clear");
    ASSERT_NE(lastClear, e.rend());
    const std::vector<std::string> after(lastClear.base(), e.end());
    EXPECT_EQ(after, (std::vector<std::string>{"add 0 12", "add 1 6", "add 2 192", "add 3 2", "update"}));

    o.events.clear();
    doc.RefreshTree();
    EXPECT_EQ(o.events, (std::vector<std::string>{"clear", "add 0 12", "add 1 6", "add 2 192", "add 3 2"}));

    o.events.clear();
    doc.ClearScene();
    EXPECT_EQ(o.events, std::vector<std::string>{"clear"});
    doc.RefreshTree(); // not loaded: only emptied
    EXPECT_EQ(o.events, (std::vector<std::string>{"clear", "clear"}));

    doc.RemoveObserver(&o);
    o.events.clear();
    doc.RefreshTree();
    EXPECT_TRUE(o.events.empty());
}

TEST(DocumentEditing, SetVertexMarksModifiedAndUpdateGeometryDoesNot)
{
    CQM4EditDoc doc;
    RecordingObserver o;
    doc.AddObserver(&o);
    ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
    o.events.clear();

    doc.UpdateGeometry();
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(o.events, std::vector<std::string>{"update"});

    o.events.clear();
    ASSERT_TRUE(doc.SetVertex(0, 1.5f, -2.0f, 3.0f));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(o.events, std::vector<std::string>{"modified"}); // nothing redrawn
    EXPECT_EQ(doc.GetVertex(0).x, 1.5f);
    EXPECT_EQ(doc.GetVertex(0).y, -2.0f);

    // Out of range stores nothing and leaves the flag as it was.
    doc.SetModifiedFlag(false);
    EXPECT_FALSE(doc.SetVertex(doc.GetVertexCount(), 1, 2, 3));
    EXPECT_FALSE(doc.SetVertex(-1, 1, 2, 3));
    EXPECT_FALSE(doc.SetVertexAndUpdate(1 << 30, 1, 2, 3));
    EXPECT_FALSE(doc.IsModified());
}

TEST(DocumentEditing, SetVertexAndUpdateMovesTheBoxes)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
    doc.UpdateGeometry();
    const scene::PolygonRecord p = doc.GetPolygon(0, 0);
    ASSERT_TRUE(doc.SetVertexAndUpdate(p.vertex[0], -500.0f, 600.0f, 700.0f));
    const scene::Box b = doc.GetObjectRecord(0).bounds;
    EXPECT_EQ(b.min[0], -500.0f);
    EXPECT_EQ(b.max[1], 600.0f);
    EXPECT_EQ(b.max[2], 700.0f);
    EXPECT_EQ(doc.SceneBounds().Root().box.min[0], -500.0f);
    EXPECT_TRUE(doc.IsModified());
}

TEST(DocumentAccessors, IndicesOutOfRangeGiveEmptyValues)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
    EXPECT_EQ(doc.GetVertex(100000).x, 0.0f);
    EXPECT_EQ(doc.GetVertex(-1).z, 0.0f);
    EXPECT_TRUE(doc.GetObjectRecord(99).polygons.empty());
    EXPECT_TRUE(doc.GetObjectRecord(-1).polygons.empty());
    EXPECT_EQ(doc.GetPolygonCount(99), 0);
    EXPECT_EQ(doc.GetPolygonCount(2), 192);
    EXPECT_EQ(doc.GetPolygon(0, 12).vertex[0], 0);
    EXPECT_EQ(doc.GetPolygon(-3, 0).type, 0);
    EXPECT_EQ(doc.GetTextureVertex(scene::TEXVERTEX_PRELIT, 60000).u, 0.0f);
    EXPECT_EQ(doc.GetTextureName(4), "");
    EXPECT_EQ(doc.GetTextureName(1), "stone.tex");
    // Kinds other than 1 and 2 read the unlit list.
    EXPECT_EQ(doc.GetTextureVertex(7, 1).u, doc.GetTextureVertex(scene::TEXVERTEX_UNLIT, 1).u);
}

TEST(DocumentFiles, OpenAndSaveThroughTheFileSystem)
{
    TempDir dir;
    const auto file = Bytes(scenegen::MakeDemoScene());
    WriteFile(dir / "in.qm4", file);

    CQM4EditDoc doc;
    const scene::LoadResult r = doc.OnOpenDocument(dir / "in.qm4");
    ASSERT_TRUE(r.Ok()) << r.message;
    ASSERT_TRUE(doc.SetVertex(0, 9, 9, 9));
    const scene::SaveResult s = doc.OnSaveDocument(dir / "out.qm4");
    EXPECT_TRUE(s.ok);
    EXPECT_FALSE(doc.IsModified());
    const auto saved = ReadFile(dir / "out.qm4");
    EXPECT_EQ(saved.size(), file.size());
    EXPECT_NE(saved, file);
    EXPECT_EQ(dir.FileCount(), 2u);
}

TEST(DocumentFiles, MissingFileFailsTheOpenAndKeepsTheScene)
{
    TempDir dir;
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
    const scene::LoadResult r = doc.OnOpenDocument(dir / "nothing.qm4");
    EXPECT_EQ(r.status, scene::LoadStatus::NotOpened);
    EXPECT_EQ(r.icon, common::MessageIcon::Stop);
    EXPECT_NE(r.message.find("nothing.qm4"), std::string::npos);
    EXPECT_TRUE(doc.IsLoaded());
}

TEST(DocumentFiles, FailedSaveKeepsTheOldFileAndTheModifiedFlag)
{
    TempDir dir;
    const auto old = Bytes(scenetest::EmptyScene());
    WriteFile(dir / "scene.qm4", old);
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
    doc.SetVertex(1, 0, 0, 0);

    FailingWrites failing;
    const scene::SaveResult s = doc.OnSaveDocument(dir / "scene.qm4", failing);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, "Storage of object definition file was not successful!");
    EXPECT_EQ(s.icon, common::MessageIcon::Stop);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFile(dir / "scene.qm4"), old);

    // A folder that does not exist: nothing is created.
    const scene::SaveResult gone = doc.OnSaveDocument(dir / "no-such-folder" / "scene.qm4");
    EXPECT_FALSE(gone.ok);
    EXPECT_EQ(gone.message, "Storage of object definition file was not successful!");
    EXPECT_EQ(dir.FileCount(), 1u);
}

TEST(DocumentFiles, NewDocumentIsEmptyAndUnmodified)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
    doc.SetVertex(0, 1, 1, 1);
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(scenetest::SceneIsEmpty(doc));
}
