#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <tuple>

#include "ScriptedPrompt.h"
#include "TexTestUtil.h"
#include "texture/PixloomDoc.h"
#include "texture/TexMessages.h"

using namespace textest;
using common::MessageIcon;
using texture::CPixloomDoc;

namespace {

class TexFile : public ::testing::Test {
protected:
    // Writes bytes under name and opens them.
    bool Open(const Bytes& bytes, const std::string& name = "t.tex")
    {
        WriteFile(dir / name, bytes);
        return doc.OnOpenDocument(dir / name, prompt);
    }
    void ExpectOneMessage(const std::string& text, MessageIcon icon)
    {
        ASSERT_EQ(prompt.Count(), 1u);
        EXPECT_EQ(prompt.Last().text, text);
        EXPECT_EQ(prompt.Last().icon, icon);
        EXPECT_FALSE(prompt.Last().question);
    }

    TempDir dir;
    ScriptedPrompt prompt;
    CPixloomDoc doc;
};

class FailingCreateFs : public common::IFileSystem {
public:
    std::unique_ptr<common::IOutputFile> CreateTempBeside(const std::filesystem::path&, std::filesystem::path&) override
    {
        return nullptr;
    }
    bool Replace(const std::filesystem::path&, const std::filesystem::path&) override { return false; }
    bool Remove(const std::filesystem::path&) override { return true; }
};

} // namespace

TEST_F(TexFile, ReadThenWriteGivesBackTheSameBytesAtEveryDepth)
{
    for (int bpp : {16, 24, 32}) {
        for (auto [w, h] : {std::pair{7, 5}, std::pair{1, 1}, std::pair{512, 512}, std::pair{512, 3}}) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << "x" << bpp);
            const Bytes file = PatternTex(w, h, bpp, static_cast<std::uint32_t>(w + h + bpp));
            ASSERT_TRUE(Open(file));
            EXPECT_EQ(doc.IsLoaded(), 1);
            EXPECT_FALSE(doc.IsModified());
            ASSERT_TRUE(doc.OnSaveDocument(dir / "out.tex", prompt));
            EXPECT_EQ(ReadFile(dir / "out.tex"), file);
        }
    }
    EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(TexFile, PixelsDecodeRowByRowIntoAColumnMajorStore)
{
    Bytes f = TexHeaderBytes(3, 2, 24);
    for (int i = 0; i < 6; ++i) { // pixel i: blue 10+i, green 20+i, red 30+i
        f.push_back(static_cast<std::uint8_t>(10 + i));
        f.push_back(static_cast<std::uint8_t>(20 + i));
        f.push_back(static_cast<std::uint8_t>(30 + i));
    }
    ASSERT_TRUE(Open(f));
    EXPECT_EQ(PixelOf(doc, 0, 0), (Bytes{10, 20, 30, 0}));
    EXPECT_EQ(PixelOf(doc, 2, 0), (Bytes{12, 22, 32, 0}));
    EXPECT_EQ(PixelOf(doc, 0, 1), (Bytes{13, 23, 33, 0}));
    EXPECT_EQ(PixelOf(doc, 2, 1), (Bytes{15, 25, 35, 0}));
    EXPECT_EQ(doc.GetPixel(0, 1), doc.GetPixel(0, 0) + 4);
    EXPECT_EQ(doc.GetPixel(1, 0), doc.GetPixel(0, 0) + 512 * 4);
    EXPECT_EQ(doc.GetHeader().xRes, 3);
    EXPECT_EQ(doc.GetHeader().filler[19], 19);

    Bytes f16 = TexHeaderBytes(2, 1, 16);
    PutLE(f16, 0xFFFF, 2);
    PutLE(f16, 0x0020, 2);
    ASSERT_TRUE(Open(f16));
    EXPECT_EQ(PixelOf(doc, 0, 0), (Bytes{254, 254, 254, 1}));
    EXPECT_EQ(PixelOf(doc, 1, 0), (Bytes{0, 0, 0, 1}));
}

TEST_F(TexFile, NameTestLooksAtTheLastThreeLettersOnly)
{
    const Bytes file = PatternTex(2, 2, 32);
    EXPECT_TRUE(Open(file, "WALL.TEX"));
    EXPECT_TRUE(Open(file, "walltex"));
    EXPECT_EQ(prompt.Count(), 0u);

    EXPECT_FALSE(Open(file, "wall.tex.bak"));
    EXPECT_EQ(doc.IsLoaded(), 0);
    ExpectOneMessage(texture::msg::NOT_A_TEX, MessageIcon::None);
    EXPECT_EQ(prompt.Last().text, "Unrecognized file type.  Please choose a TEX file to open.");

    // Saving under such a name writes nothing, with the same words.
    ASSERT_TRUE(Open(file));
    prompt.Clear();
    EXPECT_FALSE(doc.OnSaveDocument(dir / "out.tex.bak", prompt));
    ExpectOneMessage(texture::msg::NOT_A_TEX, MessageIcon::None);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.tex.bak"));
    EXPECT_TRUE(CPixloomDoc::HasTexName("a.Tex"));
    EXPECT_FALSE(CPixloomDoc::HasTexName("ex"));
}

TEST_F(TexFile, EmptyTextureIsAcceptedWhateverItsDepth)
{
    for (auto [x, y, bpp] : {std::tuple{0, 0, 7}, std::tuple{0, 300, 32}, std::tuple{100, 0, -4}}) {
        const Bytes file = TexHeaderBytes(x, y, bpp);
        ASSERT_TRUE(Open(file)) << x << "x" << y << "x" << bpp;
        EXPECT_EQ(doc.IsLoaded(), 1);
        ASSERT_TRUE(doc.OnSaveDocument(dir / "out.tex", prompt));
        EXPECT_EQ(ReadFile(dir / "out.tex"), file);
    }
    EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(TexFile, UnknownDepthWithMatchingLengthIsRefusedWithTheDepthMessage)
{
    Bytes file = TexHeaderBytes(4, 3, 8);
    file.resize(file.size() + 12, 0x55);
    EXPECT_FALSE(Open(file));
    EXPECT_EQ(doc.IsLoaded(), 0);
    ExpectOneMessage("Unrecognized bit depth 8", MessageIcon::Stop);
}

TEST_F(TexFile, LongFilesAreJudgedByTheirHeaderAndLength)
{
    // Longer than any texture the store can hold, yet of the length its header asks for:
    // only the depth can refuse it, and it must, without reading past what was loaded.
    Bytes file = TexHeaderBytes(512, 512, 40);
    file.resize(32 + 512 * 512 * 5, 0x5A);
    EXPECT_FALSE(Open(file));
    ExpectOneMessage("Unrecognized bit depth 40", MessageIcon::Stop);

    prompt.Clear();
    file.push_back(0);
    EXPECT_FALSE(Open(file));
    ExpectOneMessage("Expecting file of length 1310752 but received file of length 1310753", MessageIcon::Exclamation);
}

TEST_F(TexFile, WrongLengthIsRefusedWithBothLengths)
{
    Bytes file = PatternTex(5, 4, 24);
    file.pop_back();
    EXPECT_FALSE(Open(file));
    ExpectOneMessage("Expecting file of length 92 but received file of length 91", MessageIcon::Exclamation);

    prompt.Clear();
    file.resize(93);
    EXPECT_FALSE(Open(file));
    ExpectOneMessage("Expecting file of length 92 but received file of length 93", MessageIcon::Exclamation);

    // No texture is shorter than its header.
    prompt.Clear();
    EXPECT_FALSE(Open(Bytes(10, 0)));
    ExpectOneMessage("Expecting file of length 32 but received file of length 10", MessageIcon::Exclamation);
    prompt.Clear();
    EXPECT_FALSE(Open(Bytes()));
    ExpectOneMessage("Expecting file of length 32 but received file of length 0", MessageIcon::Exclamation);
    EXPECT_EQ(doc.IsLoaded(), 0);
}

TEST_F(TexFile, LengthThatWrapsIn32BitsNeverMatches)
{
    // 65536 * 65536 * 1 + 32 is 32 in 32-bit arithmetic.
    EXPECT_FALSE(Open(TexHeaderBytes(65536, 65536, 8)));
    ExpectOneMessage("Expecting file of length 4294967328 but received file of length 32", MessageIcon::Exclamation);
    prompt.Clear();
    prompt.Clear();
    EXPECT_FALSE(Open(TexHeaderBytes(INT32_MAX, INT32_MAX, INT32_MAX)));
    ExpectOneMessage("Expecting file of length 1237940033520772756428292127 but received file of length 32",
                     MessageIcon::Exclamation);
    prompt.Clear();
    // 32768 * 32768 * 4 + 32 wraps the same way.
    EXPECT_FALSE(Open(TexHeaderBytes(32768, 32768, 32)));
    EXPECT_EQ(prompt.Count(), 1u);
    EXPECT_EQ(doc.IsLoaded(), 0);
}

TEST_F(TexFile, TexturesTheStoreCannotHoldAreRefusedBeforeAnyPixelChanges)
{
    ASSERT_TRUE(Open(PatternTex(4, 4, 32, 9)));
    const Bytes before = StoreArea(doc);
    const texture::TexHeader headerBefore = doc.GetHeader();

    for (auto [x, y] : {std::pair{513, 1}, std::pair{1, 513}, std::pair{-1, -2}, std::pair{-3, 0}}) {
        prompt.Clear();
        Bytes file = TexHeaderBytes(x, y, 32);
        file.resize(static_cast<std::size_t>(std::int64_t(x) * y * 4 + 32), 0xEE);
        EXPECT_FALSE(Open(file)) << x << "x" << y;
        ExpectOneMessage(texture::msg::TexTooLarge(x, y), MessageIcon::Stop);
        EXPECT_NE(prompt.Last().text.find("512 by 512"), std::string::npos);
        // A negative size is no size at all: it is called invalid rather than quoted.
        if (x >= 0 && y >= 0)
            EXPECT_NE(prompt.Last().text.find(std::to_string(x) + " by " + std::to_string(y)), std::string::npos);
        else
            EXPECT_EQ(prompt.Last().text.rfind("The texture's size is invalid.", 0), 0u);
        EXPECT_EQ(doc.IsLoaded(), 0);
    }
    EXPECT_EQ(std::memcmp(&doc.GetHeader(), &headerBefore, sizeof headerBefore), 0);
    EXPECT_EQ(StoreArea(doc), before);
}

TEST_F(TexFile, FileThatCannotBeOpenedIsNamedAndTheTextureStays)
{
    ASSERT_TRUE(Open(PatternTex(2, 2, 24)));
    const auto oldPath = doc.GetPathName();
    const auto missing = dir / "missing.tex";
    EXPECT_FALSE(doc.OnOpenDocument(missing, prompt));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_NE(prompt.Last().text.find(common::PathToUtf8(missing)), std::string::npos);
    EXPECT_EQ(doc.IsLoaded(), 1);
    EXPECT_EQ(doc.GetPathName(), oldPath);

    // A folder is not a file either.
    std::filesystem::create_directory(dir / "folder.tex");
    prompt.Clear();
    EXPECT_FALSE(doc.OnOpenDocument(dir / "folder.tex", prompt));
    EXPECT_EQ(prompt.Count(), 1u);
}

TEST_F(TexFile, FailedSaveReportsTheFileAndLeavesTheOldOneAndTheModifiedFlag)
{
    ASSERT_TRUE(Open(PatternTex(3, 3, 32)));
    doc.SetModifiedFlag(true);
    const Bytes old = {1, 2, 3};
    WriteFile(dir / "keep.tex", old);

    FailingCreateFs failing;
    doc.SetFileSystem(failing);
    EXPECT_FALSE(doc.OnSaveDocument(dir / "keep.tex", prompt));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_NE(prompt.Last().text.find("keep.tex"), std::string::npos);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFile(dir / "keep.tex"), old);

    // A folder that does not exist, on the real file system.
    doc.SetFileSystem(common::RealFileSystem());
    prompt.Clear();
    EXPECT_FALSE(doc.OnSaveDocument(dir / "no" / "such.tex", prompt));
    EXPECT_EQ(prompt.Count(), 1u);

    prompt.Clear();
    EXPECT_TRUE(doc.OnSaveDocument(dir / "keep.tex", prompt));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(ReadFile(dir / "keep.tex"), PatternTex(3, 3, 32));
}

TEST_F(TexFile, SaveAsTakesThePathOnlyOnSuccessAndNeverRemovesTheChosenFile)
{
    ASSERT_TRUE(Open(PatternTex(3, 3, 24), "orig.tex"));
    const auto orig = dir / "orig.tex";
    const Bytes existing = {9, 9, 9};
    WriteFile(dir / "picked.tga", existing);

    EXPECT_FALSE(doc.SaveAs(dir / "picked.tga", prompt));
    EXPECT_EQ(ReadFile(dir / "picked.tga"), existing);
    EXPECT_EQ(doc.GetPathName(), orig);

    FailingCreateFs failing;
    doc.SetFileSystem(failing);
    WriteFile(dir / "other.tex", existing);
    EXPECT_FALSE(doc.SaveAs(dir / "other.tex", prompt));
    EXPECT_EQ(ReadFile(dir / "other.tex"), existing);
    EXPECT_EQ(doc.GetPathName(), orig);

    doc.SetFileSystem(common::RealFileSystem());
    EXPECT_TRUE(doc.SaveAs(dir / "other.tex", prompt));
    EXPECT_EQ(doc.GetPathName(), dir / "other.tex");
    EXPECT_EQ(ReadFile(dir / "other.tex"), PatternTex(3, 3, 24));
}

TEST_F(TexFile, SmallerTextureAfterALargerOneKeepsOnlyItsOwnArea)
{
    ASSERT_TRUE(Open(PatternTex(8, 8, 32, 1)));
    const Bytes corner = PixelOf(doc, 7, 7);
    const Bytes small = PatternTex(2, 3, 32, 2);
    ASSERT_TRUE(Open(small));
    EXPECT_EQ(PixelOf(doc, 7, 7), corner); // never drawn, exported or written
    ASSERT_TRUE(doc.OnSaveDocument(dir / "out.tex", prompt));
    EXPECT_EQ(ReadFile(dir / "out.tex"), small);
}

TEST_F(TexFile, NewCloseAndRefusalsUnloadAndViewsHearOfIt)
{
    int updates = 0;
    doc.SetUpdateAllViewsHandler([&] { ++updates; });
    ASSERT_TRUE(Open(PatternTex(2, 2, 16)));
    EXPECT_GT(updates, 0);
    EXPECT_EQ(doc.GetPathName(), dir / "t.tex");

    updates = 0;
    EXPECT_FALSE(Open(TexHeaderBytes(1, 1, 32), "bad.tex")); // too short
    EXPECT_EQ(doc.IsLoaded(), 0);
    EXPECT_GT(updates, 0);
    EXPECT_EQ(doc.GetPathName(), dir / "t.tex");

    ASSERT_TRUE(Open(PatternTex(2, 2, 16)));
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.IsLoaded(), 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.GetPathName().empty());

    ASSERT_TRUE(Open(PatternTex(2, 2, 16)));
    doc.OnCloseDocument();
    EXPECT_EQ(doc.IsLoaded(), 0);
}

TEST_F(TexFile, ReadTexFromMemoryMatchesTheFileRoute)
{
    const Bytes file = PatternTex(6, 2, 16, 4);
    ASSERT_TRUE(doc.ReadTex(file, prompt));
    Bytes out;
    doc.WriteTex(out);
    EXPECT_EQ(out, file);
    EXPECT_TRUE(doc.GetPathName().empty());
}
