// New textures from images and changes of depth: both must give exactly what the Targa
// import and a save at the new depth give.

#include <gtest/gtest.h>

#include "ScriptedPrompt.h"
#include "TexTestUtil.h"
#include "texture/PixloomDoc.h"
#include "texture/TexMessages.h"

using namespace textest;

namespace {

// An uncompressed Targa of w x h at depth with varied pixel bytes (bottom row first).
Bytes PatternTga(int w, int h, int depth, int descriptor = 0, std::uint32_t seed = 7)
{
    Bytes b = TgaHeaderBytes({w, h, depth, 2, descriptor});
    std::uint32_t s = seed;
    for (int i = 0; i < w * h * depth / 8; ++i) {
        s = s * 1664525u + 1013904223u;
        b.push_back(static_cast<std::uint8_t>(s >> 24));
    }
    return b;
}

// A texture of this size and depth with a zero filler, as New from Image makes them.
Bytes ZeroTex(int w, int h, int bpp)
{
    Bytes b(20, 0);
    PutLE(b, static_cast<std::uint32_t>(w), 4);
    PutLE(b, static_cast<std::uint32_t>(h), 4);
    PutLE(b, static_cast<std::uint32_t>(bpp), 4);
    b.resize(b.size() + std::size_t(w) * h * (bpp / 8), 0);
    return b;
}

Bytes TexBytes(const texture::CPixloomDoc& doc)
{
    Bytes out;
    doc.WriteTex(out);
    return out;
}

} // namespace

TEST(NewTexture, FromTargaEqualsTheImportIntoAnEmptyTextureOfThatDepth)
{
    for (int source : {16, 24, 32})
        for (int bpp : {16, 24, 32}) {
            SCOPED_TRACE("source " + std::to_string(source) + ", texture " + std::to_string(bpp));
            const Bytes tga = PatternTga(5, 3, source, source == 16 ? 1 : 0);

            texture::CPixloomDoc made;
            made.SetPathName("old.tex");
            const texture::TargaCheck check = made.CheckNewTargaBytes(tga);
            ASSERT_TRUE(check.result.ok) << check.result.message;
            EXPECT_FALSE(check.NeedsDepthQuestion());
            ASSERT_TRUE(made.NewFromImage(check, bpp).ok);
            EXPECT_TRUE(made.IsLoaded());
            EXPECT_TRUE(made.IsModified());
            EXPECT_TRUE(made.GetPathName().empty());

            ScriptedPrompt prompt;
            texture::CPixloomDoc imported;
            ASSERT_TRUE(imported.ReadTex(ZeroTex(5, 3, bpp), prompt));
            if (source != bpp)
                prompt.QueueAnswer(true);
            ASSERT_TRUE(imported.ImportTargaBytes(tga, prompt));
            EXPECT_EQ(TexBytes(made), TexBytes(imported));

            // What the window shows is what the saved file reads back as.
            texture::CPixloomDoc reread;
            ASSERT_TRUE(reread.ReadTex(TexBytes(made), prompt));
            EXPECT_EQ(StoreArea(reread), StoreArea(made));
        }
}

TEST(NewTexture, RgbaImagesAreTargasOfTheirDepthTopRowFirst)
{
    // 2 x 2: red, green / blue, white with alpha 10 at the bottom right.
    const Bytes rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 10};
    texture::CPixloomDoc doc;
    const texture::TargaCheck check = doc.CheckNewRgba(rgba, 2, 2, true);
    ASSERT_TRUE(check.result.ok);
    EXPECT_TRUE(texture::HasPartialAlpha(check));
    ASSERT_TRUE(doc.NewFromImage(check, 32).ok);
    EXPECT_EQ(PixelOf(doc, 0, 0), (Bytes{0, 0, 255, 255}));
    EXPECT_EQ(PixelOf(doc, 1, 1), (Bytes{255, 255, 255, 10}));

    // Without alpha the image is a 24-bit source: at 32 bits its alpha is 0, as an import gives.
    const texture::TargaCheck opaque = doc.CheckNewRgba(rgba, 2, 2, false);
    EXPECT_FALSE(texture::HasPartialAlpha(opaque));
    ASSERT_TRUE(doc.NewFromImage(opaque, 32).ok);
    EXPECT_EQ(PixelOf(doc, 0, 1), (Bytes{255, 0, 0, 0}));
}

TEST(NewTexture, ProposesAlphaOnlyWhereTheImageHasSome)
{
    texture::CPixloomDoc doc;
    Bytes full = TgaHeaderBytes({2, 1, 32, 2, 8});
    full.insert(full.end(), {1, 2, 3, 255, 4, 5, 6, 255});
    EXPECT_FALSE(texture::HasPartialAlpha(doc.CheckNewTargaBytes(full)));
    full[full.size() - 1] = 254;
    EXPECT_TRUE(texture::HasPartialAlpha(doc.CheckNewTargaBytes(full)));
    // Run-length: one packet of two pixels repeating the one with alpha 0.
    Bytes rle = TgaHeaderBytes({2, 1, 32, 10, 8});
    rle.insert(rle.end(), {0x81, 1, 2, 3, 0});
    EXPECT_TRUE(texture::HasPartialAlpha(doc.CheckNewTargaBytes(rle)));
    // 16 bits: the top bit is alpha only when the descriptor says the image has one.
    Bytes w16 = TgaHeaderBytes({1, 1, 16, 2, 1});
    w16.insert(w16.end(), {0xFF, 0x7F});
    EXPECT_TRUE(texture::HasPartialAlpha(doc.CheckNewTargaBytes(w16)));
    w16[17] = 0;
    EXPECT_FALSE(texture::HasPartialAlpha(doc.CheckNewTargaBytes(w16)));
    EXPECT_FALSE(texture::HasPartialAlpha(doc.CheckNewTargaBytes(PatternTga(3, 3, 24))));
}

TEST(NewTexture, RefusesImagesTheStoreCannotHoldAndLeavesTheDocumentAlone)
{
    ScriptedPrompt prompt;
    texture::CPixloomDoc doc;
    const Bytes original = PatternTex(4, 4, 24);
    ASSERT_TRUE(doc.ReadTex(original, prompt));
    for (auto [w, h] : {std::pair{513, 1}, {1, 513}, {0, 5}, {5, 0}}) {
        const texture::TargaCheck check = doc.CheckNewTargaBytes(PatternTga(w, h, 24));
        EXPECT_FALSE(check.result.ok);
        EXPECT_EQ(check.result.message, texture::msg::NewImageSize(w, h));
        EXPECT_FALSE(doc.NewFromImage(check, 24).ok);
    }
    EXPECT_EQ(texture::msg::NewImageSize(600, 20),
              "The image is 600 by 20 pixels.  A texture must be from 1 to 512 pixels on each side.");
    const Bytes wide(std::size_t(600) * 20 * 4, 0);
    EXPECT_EQ(doc.CheckNewRgba(wide, 600, 20, false).result.message, texture::msg::NewImageSize(600, 20));
    EXPECT_TRUE(doc.CheckNewTargaBytes(PatternTga(512, 512, 16)).result.ok);
    // A damaged Targa is refused as an import refuses it.
    Bytes cut = PatternTga(4, 4, 24);
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(doc.CheckNewTargaBytes(cut).result.ok);
    EXPECT_EQ(TexBytes(doc), original);
    EXPECT_FALSE(doc.IsModified());
}

TEST(TextureDepth, ConversionsKeepWhatASaveAtTheNewDepthKeeps)
{
    ScriptedPrompt prompt;
    const Bytes tex24 = PatternTex(6, 5, 24);
    texture::CPixloomDoc doc;
    ASSERT_TRUE(doc.ReadTex(tex24, prompt));
    EXPECT_EQ(doc.DepthChangeLoss(16), texture::DepthLoss::Precision);
    EXPECT_EQ(doc.DepthChangeLoss(32), texture::DepthLoss::None);
    ASSERT_TRUE(doc.ChangeDepth(16).ok);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetHeader().bpp, 16);

    // 24 -> 16 is the Targa route: the 24-bit texture's pixels imported into a 16-bit one.
    texture::CPixloomDoc viaTarga;
    ASSERT_TRUE(viaTarga.ReadTex(tex24, prompt));
    Bytes tga;
    viaTarga.WriteTarga(tga);
    Bytes header16(tex24.begin(), tex24.begin() + 32);
    header16[28] = 16;
    Bytes tex16 = header16;
    tex16.resize(32 + 6 * 5 * 2, 0);
    ASSERT_TRUE(viaTarga.ReadTex(tex16, prompt));
    prompt.QueueAnswer(true);
    ASSERT_TRUE(viaTarga.ImportTargaBytes(tga, prompt));
    EXPECT_EQ(TexBytes(doc), TexBytes(viaTarga));

    // ... and back to 24 bits every channel is the reduced value expanded again.
    EXPECT_EQ(doc.DepthChangeLoss(24), texture::DepthLoss::Alpha); // alpha bits 0: not opaque
    ASSERT_TRUE(doc.ChangeDepth(24).ok);
    const Bytes back = TexBytes(doc);
    ASSERT_EQ(back.size(), tex24.size());
    for (std::size_t i = 32; i < back.size(); ++i)
        ASSERT_EQ(back[i], texture::Expand5To8(texture::Reduce8To5(tex24[i]))) << "byte " << i;
}

TEST(TextureDepth, AlphaIsKeptOrDroppedAsTheDepthsHoldIt)
{
    ScriptedPrompt prompt;
    texture::CPixloomDoc doc;
    Bytes tex32 = TexHeaderBytes(2, 1, 32);
    tex32.insert(tex32.end(), {10, 20, 30, 255, 40, 50, 60, 255});
    ASSERT_TRUE(doc.ReadTex(tex32, prompt));
    EXPECT_EQ(doc.DepthChangeLoss(24), texture::DepthLoss::None);
    doc.GetPixel(1, 0)[3] = 128;
    EXPECT_EQ(doc.DepthChangeLoss(24), texture::DepthLoss::Alpha);
    ASSERT_TRUE(doc.ChangeDepth(24).ok);
    // A 24-bit source holds alpha 0; at 32 bits it stays 0, as the import's table has it.
    ASSERT_TRUE(doc.ChangeDepth(32).ok);
    EXPECT_EQ(PixelOf(doc, 1, 0), (Bytes{40, 50, 60, 0}));

    // 16 -> 32 -> 16 loses nothing: the alpha bit stays 0 or 1.
    const Bytes tex16 = PatternTex(3, 3, 16);
    ASSERT_TRUE(doc.ReadTex(tex16, prompt));
    EXPECT_EQ(doc.DepthChangeLoss(32), texture::DepthLoss::None);
    ASSERT_TRUE(doc.ChangeDepth(32).ok);
    ASSERT_TRUE(doc.ChangeDepth(16).ok);
    EXPECT_EQ(TexBytes(doc), tex16);
    // The same depth changes nothing; others are refused.
    doc.SetModifiedFlag(false);
    EXPECT_TRUE(doc.ChangeDepth(16).ok);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.ChangeDepth(8).ok);
}
