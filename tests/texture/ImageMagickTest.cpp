// Targa files from an independent program: ImageMagick writes what we import, and reads
// what we export.

#include <gtest/gtest.h>

#include "ProcessUtil.h"
#include "ScriptedPrompt.h"
#include "TexTestUtil.h"
#include "texture/PixloomDoc.h"

using namespace textest;
using texture::CPixloomDoc;

namespace {

constexpr int W = 9, H = 6;

bool HaveImageMagick()
{
    static const bool have = RunCommand("convert -version >/dev/null 2>&1") == 0;
    return have;
}

// An asymmetric image with every channel varying and alpha on both sides of 128; RGBA.
Bytes SourceRgba()
{
    Bytes b;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            b.push_back(static_cast<std::uint8_t>(x * 28));
            b.push_back(static_cast<std::uint8_t>(y * 45 + 3));
            b.push_back(static_cast<std::uint8_t>(255 - x * 20 - y * 7));
            b.push_back(static_cast<std::uint8_t>((x * 31 + y * 53) % 256));
        }
    return b;
}

class WithImageMagick : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        // "convert" there is the system's own disk tool; ImageMagick would be a separate install.
        GTEST_SKIP() << "the reference decoder, ImageMagick, is checked against on Linux; Windows has none to run";
#endif
        if (!HaveImageMagick())
            GTEST_SKIP() << "ImageMagick's convert is not installed (scripts/install-deps.sh installs it)";
        WriteFile(dir / "src.rgba", SourceRgba());
    }
    std::string P(const std::string& name) const
    {
        return Quote(common::PathToUtf8(dir / name));
    }

    // What ImageMagick makes of a Targa, as RGBA rows from the top, laid out as displayed.
    Bytes DecodeWithImageMagick(const std::string& tga)
    {
        EXPECT_EQ(RunCommand("convert " + P(tga) + " -auto-orient -depth 8 rgba:" + P("dec.rgba")), 0);
        return ReadFile(dir / "dec.rgba");
    }
    void LoadBlank(int bpp)
    {
        WriteFile(dir / "t.tex", PatternTex(W, H, bpp));
        ASSERT_TRUE(doc.OnOpenDocument(dir / "t.tex", prompt));
    }

    TempDir dir;
    ScriptedPrompt prompt;
    CPixloomDoc doc;
};

const char* TypeArgs(int depth)
{
    switch (depth) {
    case 16: return "-depth 5";
    case 24: return "-type TrueColor";
    default: return "-type TrueColorAlpha";
    }
}

} // namespace

TEST_F(WithImageMagick, ImportedTargasMatchWhatImageMagickSees)
{
    for (int depth : {16, 24, 32}) {
        for (const char* orient : {"BottomLeft", "TopLeft", "TopRight", "BottomRight"}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, " << orient);
            ASSERT_EQ(RunCommand("convert -size " + std::to_string(W) + "x" + std::to_string(H) + " -depth 8 rgba:" +
                                 P("src.rgba") + " " + TypeArgs(depth) + " -orient " + orient + " " + P("im.tga")),
                      0);
            const Bytes file = ReadFile(dir / "im.tga");
            ASSERT_GE(file.size(), 18u);
            ASSERT_EQ(file[2], 2);
            ASSERT_EQ(file[16], depth);

            const Bytes seen = DecodeWithImageMagick("im.tga");
            ASSERT_EQ(seen.size(), std::size_t(W) * H * 4);
            LoadBlank(depth);
            ASSERT_TRUE(doc.ImportTarga(dir / "im.tga", prompt));
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const std::uint8_t* im = &seen[(std::size_t(y) * W + x) * 4]; // RGBA
                    const std::uint8_t* p = doc.GetPixel(x, y); // BGRA
                    SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
                    if (depth == 16) {
                        for (int c = 0; c < 3; ++c)
                            EXPECT_EQ(p[2 - c], texture::Expand5To8(texture::Reduce8To5(im[c])));
                        EXPECT_EQ(p[3], im[3] >= 128 ? 1 : 0);
                    } else {
                        EXPECT_EQ(p[2], im[0]);
                        EXPECT_EQ(p[1], im[1]);
                        EXPECT_EQ(p[0], im[2]);
                        EXPECT_EQ(p[3], depth == 32 ? im[3] : 0);
                    }
                }
        }
    }
}

TEST_F(WithImageMagick, RunLengthTargasImportLikeTheirUncompressedTwins)
{
    // A flat band makes ImageMagick write runs, the varied rest raw packets; at this width
    // both kinds cross rows.
    Bytes src = SourceRgba();
    const std::uint8_t flat[4] = {200, 10, 90, 255};
    for (std::size_t i = 0; i < std::size_t(W) * 3 * 4; ++i)
        src[i] = flat[i % 4];
    WriteFile(dir / "src.rgba", src);
    const std::string sz = "-size " + std::to_string(W) + "x" + std::to_string(H) + " -depth 8 rgba:" + P("src.rgba");
    for (int depth : {16, 24, 32}) {
        for (const char* orient : {"BottomLeft", "TopLeft"}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, " << orient);
            const std::string args = std::string(" ") + TypeArgs(depth) + " -orient " + orient + " ";
            ASSERT_EQ(RunCommand("convert " + sz + args + P("flat.tga")), 0);
            ASSERT_EQ(RunCommand("convert " + sz + args + "-compress RLE " + P("rle.tga")), 0);
            const Bytes rle = ReadFile(dir / "rle.tga");
            ASSERT_EQ(rle.at(2), 10);
            ASSERT_LT(rle.size(), ReadFile(dir / "flat.tga").size());

            LoadBlank(depth);
            ASSERT_TRUE(doc.ImportTarga(dir / "flat.tga", prompt));
            const Bytes twin = StoreArea(doc);
            LoadBlank(depth);
            ASSERT_TRUE(doc.ImportTarga(dir / "rle.tga", prompt));
            EXPECT_EQ(StoreArea(doc), twin);
        }
    }
}

TEST_F(WithImageMagick, ColourMappedTargasAreRefusedByName)
{
    LoadBlank(24);
    const std::string sz = "-size " + std::to_string(W) + "x" + std::to_string(H) + " -depth 8 rgba:" + P("src.rgba");
    ASSERT_EQ(RunCommand("convert " + sz + " -type Palette " + P("map.tga")), 0);
    EXPECT_FALSE(doc.ImportTarga(dir / "map.tga", prompt));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_EQ(prompt.Last().text.rfind("TGA: Uncompressed ColorMap is an unsupported image format.", 0), 0u);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(WithImageMagick, OurExportsDecodeToTheStoredPixels)
{
    for (int depth : {16, 24, 32}) {
        SCOPED_TRACE(depth);
        WriteFile(dir / "t.tex", PatternTex(W, H, depth, static_cast<std::uint32_t>(depth * 11)));
        ASSERT_TRUE(doc.OnOpenDocument(dir / "t.tex", prompt));
        ASSERT_TRUE(doc.ExportTarga(dir / "ours.tga", prompt));
        const Bytes seen = DecodeWithImageMagick("ours.tga");
        ASSERT_EQ(seen.size(), std::size_t(W) * H * 4);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const std::uint8_t* im = &seen[(std::size_t(y) * W + x) * 4];
                const std::uint8_t* p = doc.GetPixel(x, y);
                SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
                if (depth == 16) {
                    // ImageMagick scales 5 bits to 8 its own way; the 5-bit values must agree.
                    for (int c = 0; c < 3; ++c)
                        EXPECT_EQ(texture::Reduce8To5(im[c]), texture::Reduce8To5(p[2 - c]));
                    EXPECT_EQ(im[3] >= 128 ? 1 : 0, p[3]);
                } else {
                    EXPECT_EQ(im[0], p[2]);
                    EXPECT_EQ(im[1], p[1]);
                    EXPECT_EQ(im[2], p[0]);
                    if (depth == 32) {
                        EXPECT_EQ(im[3], p[3]);
                    }
                }
            }
    }
}
