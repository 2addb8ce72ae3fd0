// textool as users and scripts see it: exit codes, output, and the files it writes.

#include <gtest/gtest.h>

#include "ProcessUtil.h"
#include "ScriptedPrompt.h"
#include "TexTestUtil.h"
#include "texture/PixloomDoc.h"

using namespace textest;

namespace {

class Textool : public ::testing::Test {
protected:
    std::string P(const std::string& name) const { return Quote(common::PathToUtf8(dir / name)); }
    int Run(const std::string& args)
    {
        return RunCommand(Quote(TEXTOOL_PATH) + " " + args + " >" + P("stdout.txt") + " 2>" + P("stderr.txt"));
    }
    std::string Out() const { return ConsoleText(AsText(ReadFile(dir / "stdout.txt"))); }
    std::string Err() const { return ConsoleText(AsText(ReadFile(dir / "stderr.txt"))); }
    static std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }

    TempDir dir;
};

} // namespace

TEST_F(Textool, UsageAndHelp)
{
    EXPECT_EQ(Run(""), 2);
    EXPECT_NE(Err().find("usage: textool"), std::string::npos);
    EXPECT_EQ(Run("export only-one.tex"), 2);
    EXPECT_EQ(Run("resize a.tex"), 2);
    EXPECT_EQ(Run("info a.tex --bogus"), 2);
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(Out().find("textool import IN.tex IN.tga OUT.tex [--yes]"), std::string::npos);
}

TEST_F(Textool, InfoPrintsTheHeaderOrTheRefusal)
{
    WriteFile(dir / "a.tex", PatternTex(3, 2, 24));
    EXPECT_EQ(Run("info " + P("a.tex")), 0);
    EXPECT_EQ(Out(), "filler: 0001 0203 0405 0607 0809 0A0B 0C0D 0E0F 1011 1213\nxRes: 3\nyRes: 2\nbpp: 24\n");

    WriteFile(dir / "bad.tex", TexHeaderBytes(3, 2, 24));
    EXPECT_EQ(Run("info " + P("bad.tex")), 1);
    EXPECT_EQ(Err(), "Expecting file of length 50 but received file of length 32\n");
    EXPECT_EQ(Run("info " + P("missing.tex")), 1);
    EXPECT_NE(Err().find("missing.tex"), std::string::npos);
}

TEST_F(Textool, ExportWritesWhatTheDocumentWrites)
{
    const Bytes tex = PatternTex(5, 4, 16);
    WriteFile(dir / "a.tex", tex);
    EXPECT_EQ(Run("export " + P("a.tex") + " " + P("a.tga")), 0);
    ScriptedPrompt prompt;
    texture::CPixloomDoc doc;
    ASSERT_TRUE(doc.ReadTex(tex, prompt));
    Bytes expected;
    doc.WriteTarga(expected);
    EXPECT_EQ(ReadFile(dir / "a.tga"), expected);

    EXPECT_EQ(Run("export " + P("a.tex") + " " + P("a.bmp")), 1);
    EXPECT_EQ(Err(), "Unrecognized file type.  Please choose a Targa file for export.\n");
}

TEST_F(Textool, ImportAnswersTheDepthQuestionNoUnlessTold)
{
    WriteFile(dir / "a.tex", PatternTex(2, 2, 32, 5));
    Bytes tga = TgaHeaderBytes({2, 2, 24});
    for (std::uint8_t v = 0; v < 12; ++v)
        tga.push_back(static_cast<std::uint8_t>(v * 20));
    WriteFile(dir / "b.tga", tga);

    EXPECT_EQ(Run("import " + P("a.tex") + " " + P("b.tga") + " " + P("out.tex")), 1);
    EXPECT_NE(Err().find("Do you want me to upgrade the BPP"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.tex"));

    EXPECT_EQ(Run("import --yes " + P("a.tex") + " " + P("b.tga") + " " + P("out.tex")), 0);
    const Bytes out = ReadFile(dir / "out.tex");
    ASSERT_EQ(out.size(), 32u + 2 * 2 * 4);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 32), TexHeaderBytes(2, 2, 32));
    // Bottom file row first: pixel (0,0) is the third in the file; alpha 0 from 24 bits.
    EXPECT_EQ(Bytes(out.begin() + 32, out.begin() + 36), (Bytes{120, 140, 160, 0}));

    // Same depth: no question, and the result is written at the texture's depth.
    WriteFile(dir / "c.tex", PatternTex(2, 2, 24, 5));
    EXPECT_EQ(Run("import " + P("c.tex") + " " + P("b.tga") + " " + P("out2.tex")), 0);
    EXPECT_EQ(Err(), "");
    EXPECT_EQ(ReadFile(dir / "out2.tex").size(), 32u + 2 * 2 * 3);
}

TEST_F(Textool, PngByExtensionRoundTripsEveryDepth)
{
    for (int bpp : {16, 24, 32}) {
        SCOPED_TRACE(bpp);
        const Bytes tex = PatternTex(7, 5, bpp, 3);
        WriteFile(dir / "a.tex", tex);
        EXPECT_EQ(Run("export " + P("a.tex") + " " + P("a.PNG")), 0) << Err();
        const Bytes png = ReadFile(dir / "a.PNG");
        ASSERT_GE(png.size(), 8u);
        EXPECT_EQ(Bytes(png.begin(), png.begin() + 4), (Bytes{0x89, 'P', 'N', 'G'}));
        // A 16-bit texture exports with its alpha bit, a 32-bit source: that asks first.
        EXPECT_EQ(Run("import --yes " + P("a.tex") + " " + P("a.PNG") + " " + P("back.tex")), 0) << Err();
        EXPECT_EQ(ReadFile(dir / "back.tex"), tex);
    }
    // The name decides, not the bytes: a PNG called .tga is read as a Targa and refused.
    WriteFile(dir / "a.tex", PatternTex(7, 5, 24, 3));
    ASSERT_EQ(Run("export " + P("a.tex") + " " + P("a.png")), 0);
    std::filesystem::copy_file(dir / "a.png", dir / "png.tga");
    EXPECT_EQ(Run("import " + P("a.tex") + " " + P("png.tga") + " " + P("x.tex")), 1);
    EXPECT_NE(Err().find("unsupported image format"), std::string::npos) << Err();
    EXPECT_FALSE(std::filesystem::exists(dir / "x.tex"));
}

namespace {

// Width and height from a PNG's header chunk; (0, 0) for anything that is not a PNG.
std::pair<int, int> PngSize(const Bytes& png)
{
    if (png.size() < 24 || Bytes(png.begin(), png.begin() + 4) != Bytes{0x89, 'P', 'N', 'G'})
        return {0, 0};
    auto be = [&](std::size_t at) { return (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3]; };
    return {be(16), be(20)};
}

} // namespace

TEST_F(Textool, NewAndConvertWriteWhatTheDocumentWrites)
{
    Bytes tga = TgaHeaderBytes({3, 2, 24});
    for (std::uint8_t v = 0; v < 18; ++v)
        tga.push_back(static_cast<std::uint8_t>(v * 13 + 1));
    WriteFile(dir / "in.tga", tga);
    for (int bpp : {16, 24, 32}) {
        SCOPED_TRACE(bpp);
        const std::string depth = std::to_string(bpp);
        EXPECT_EQ(Run("new " + P("in.tga") + " " + P("new.tex") + " --bpp " + depth), 0) << Err();
        texture::CPixloomDoc doc;
        ASSERT_TRUE(doc.NewFromImage(doc.CheckNewTargaBytes(tga), bpp).ok);
        Bytes expected;
        doc.WriteTex(expected);
        EXPECT_EQ(ReadFile(dir / "new.tex"), expected);

        EXPECT_EQ(Run("convert " + P("new.tex") + " " + P("conv.tex") + " --bpp 24"), 0) << Err();
        ASSERT_TRUE(doc.ChangeDepth(24).ok);
        expected.clear();
        doc.WriteTex(expected);
        EXPECT_EQ(ReadFile(dir / "conv.tex"), expected);
    }

    // Refusals: one line on stderr, status 1, nothing written; a missing or bad --bpp is usage.
    Bytes big = TgaHeaderBytes({513, 1, 24});
    big.resize(big.size() + 513 * 3, 0);
    WriteFile(dir / "big.tga", big);
    EXPECT_EQ(Run("new " + P("big.tga") + " " + P("big.tex") + " --bpp 24"), 1);
    EXPECT_EQ(Err(), "The image is 513 by 1 pixels.  A texture must be from 1 to 512 pixels on each side.\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "big.tex"));
    EXPECT_EQ(Run("convert " + P("missing.tex") + " " + P("c.tex") + " --bpp 16"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.tex"));
    EXPECT_EQ(Run("new " + P("in.tga") + " " + P("n.tex")), 2);
    EXPECT_EQ(Run("new " + P("in.tga") + " " + P("n.tex") + " --bpp 8"), 2);
    EXPECT_EQ(Run("convert " + P("new.tex") + " " + P("n.tex") + " --bpp"), 2);
}

TEST_F(Textool, ThumbnailFitsTheSquareOrWritesNothing)
{
    WriteFile(dir / "wide.tex", PatternTex(200, 50, 32));
    EXPECT_EQ(Run("thumbnail " + P("wide.tex") + " " + P("w.png") + " 128"), 0) << Err();
    EXPECT_EQ(PngSize(ReadFile(dir / "w.png")), (std::pair{128, 32}));
    WriteFile(dir / "small.tex", PatternTex(3, 6, 16));
    EXPECT_EQ(Run("thumbnail " + P("small.tex") + " " + P("s.png") + " 256"), 0) << Err();
    EXPECT_EQ(PngSize(ReadFile(dir / "s.png")), (std::pair{128, 256}));

    Bytes damaged = PatternTex(8, 8, 24);
    damaged.pop_back();
    WriteFile(dir / "damaged.tex", damaged);
    WriteFile(dir / "old.png", Bytes{1, 2, 3});
    EXPECT_EQ(Run("thumbnail " + P("damaged.tex") + " " + P("d.png") + " 128"), 1);
    EXPECT_EQ(Err(), "Expecting file of length 224 but received file of length 223\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "d.png"));
    EXPECT_EQ(Run("thumbnail " + P("damaged.tex") + " " + P("old.png") + " 128"), 1);
    EXPECT_EQ(ReadFile(dir / "old.png"), (Bytes{1, 2, 3}));
    EXPECT_EQ(Run("thumbnail " + P("wide.tex") + " " + P("x.png") + " 0"), 2);
    EXPECT_EQ(Run("thumbnail " + P("wide.tex") + " " + P("x.png") + " 12x"), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
}
