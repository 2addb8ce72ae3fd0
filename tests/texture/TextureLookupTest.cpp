#include <gtest/gtest.h>

#include "ScriptedPrompt.h"
#include "TexTestUtil.h"
#include "texture/TextureLookup.h"

using namespace textest;

TEST(TextureLookup, FindsBesideThenInTexturesFolderIgnoringCaseAndRefusesEscapes)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "textures");
    WriteFile(dir / "textures" / "Brick.TEX", PatternTex(2, 2, 24));
    WriteFile(dir / "stone.tex", PatternTex(2, 2, 24));
    WriteFile(dir / "textures" / "stone.tex", PatternTex(2, 2, 24));

    EXPECT_EQ(texture::FindTextureFile(dir.Path(), "stone.tex"), dir / "stone.tex");
#ifndef _WIN32
    EXPECT_EQ(texture::FindTextureFile(dir.Path(), "brick.tex"), dir / "textures" / "Brick.TEX");
    EXPECT_EQ(texture::FindTextureFile(dir.Path(), "BRICK"), dir / "textures" / "Brick.TEX");
#endif
    EXPECT_FALSE(texture::FindTextureFile(dir.Path(), "missing.tex"));
    EXPECT_FALSE(texture::FindTextureFile(dir.Path(), "textures"));
    EXPECT_FALSE(texture::FindTextureFile(dir.Path() / "textures", "../stone.tex"));
    EXPECT_FALSE(texture::FindTextureFile(dir.Path(), ""));
}

TEST(TextureLookup, DecodesEveryDepthToTopDownRgba)
{
    TempDir dir;
    for (int bpp : {16, 24, 32}) {
        const auto path = dir / ("t" + std::to_string(bpp) + ".tex");
        WriteFile(path, PatternTex(3, 2, bpp, static_cast<std::uint32_t>(bpp)));
        texture::CPixloomDoc doc;
        ScriptedPrompt prompt;
        ASSERT_TRUE(doc.OnOpenDocument(path, prompt));
        const auto img = texture::LoadTextureRgba(path);
        ASSERT_TRUE(img);
        ASSERT_EQ(img->width, 3);
        ASSERT_EQ(img->height, 2);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                const std::uint8_t* p = doc.GetPixel(x, y);
                const std::uint8_t* q = &img->rgba[static_cast<std::size_t>(y * 3 + x) * 4];
                EXPECT_EQ(q[0], p[2]);
                EXPECT_EQ(q[1], p[1]);
                EXPECT_EQ(q[2], p[0]);
                const int alpha = bpp == 32 ? p[3] : bpp == 16 ? (p[3] ? 255 : 0) : 255;
                EXPECT_EQ(q[3], alpha) << bpp;
            }
        }
    }
    WriteFile(dir / "bad.tex", Bytes(10, 0));
    EXPECT_FALSE(texture::LoadTextureRgba(dir / "bad.tex"));
}
