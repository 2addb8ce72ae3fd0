// Previews for file managers: the texture scaled to fit, the scene drawn without a GUI.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "SceneGen.h"
#include "common/AtomicFile.h"
#include "interchange/Thumbnail.h"

namespace {

texture::RgbaImage Image(int w, int h, std::initializer_list<std::uint8_t> rgba)
{
    texture::RgbaImage img;
    img.width = w;
    img.height = h;
    img.rgba = rgba;
    return img;
}

std::vector<std::uint8_t> Pixel(const texture::RgbaImage& img, int x, int y)
{
    const auto* p = &img.rgba[(std::size_t(y) * std::size_t(img.width) + std::size_t(x)) * 4];
    return {p[0], p[1], p[2], p[3]};
}

// A one-colour TEX file at 24 bits (blue, green, red on disk).
std::vector<std::uint8_t> SolidTex(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    std::vector<std::uint8_t> tex(32, 0);
    tex[20] = static_cast<std::uint8_t>(w);
    tex[24] = static_cast<std::uint8_t>(h);
    tex[28] = 24;
    for (int i = 0; i < w * h; ++i)
        tex.insert(tex.end(), {b, g, r});
    return tex;
}

class SceneThumbnail : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
            ("qm_thumbnail_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ASSERT_TRUE(doc.Serialize(scenegen::Encode(scenegen::MakeDemoScene())).Ok());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
    scene::CQM4EditDoc doc;
};

} // namespace

TEST(ScaleToFit, AveragesByAlphaWhenShrinkingAndRepeatsWhenEnlarging)
{
    // Opaque red beside fully transparent blue: the colour stays red, half covered.
    const auto shrunk = interchange::ScaleToFit(Image(2, 1, {255, 0, 0, 255, 0, 0, 255, 0}), 1);
    ASSERT_EQ(shrunk.width, 1);
    ASSERT_EQ(shrunk.height, 1);
    EXPECT_EQ(Pixel(shrunk, 0, 0), (std::vector<std::uint8_t>{255, 0, 0, 128}));

    // 1 x 2 to fit 4: 2 x 4, each source pixel repeated; the aspect ratio is kept.
    const auto grown = interchange::ScaleToFit(Image(1, 2, {1, 2, 3, 4, 5, 6, 7, 8}), 4);
    ASSERT_EQ(grown.width, 2);
    ASSERT_EQ(grown.height, 4);
    EXPECT_EQ(Pixel(grown, 1, 1), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(Pixel(grown, 0, 2), (std::vector<std::uint8_t>{5, 6, 7, 8}));

    // A very long, thin image keeps at least one row; sizes out of range give nothing.
    EXPECT_EQ(interchange::ScaleToFit(Image(512, 1, {}), 16).height, 0); // too few bytes
    texture::RgbaImage strip = Image(512, 1, {});
    strip.rgba.assign(512 * 4, 9);
    EXPECT_EQ(interchange::ScaleToFit(strip, 16).height, 1);
    EXPECT_TRUE(interchange::ScaleToFit(strip, 0).rgba.empty());
    EXPECT_TRUE(interchange::ScaleToFit(strip, interchange::MAX_THUMBNAIL_SIZE + 1).rgba.empty());
}

TEST_F(SceneThumbnail, FlatShadedOnATransparentBackgroundWithoutTextures)
{
    const texture::RgbaImage img = interchange::SceneThumbnail(doc, dir, 64);
    ASSERT_EQ(img.width, 64);
    ASSERT_EQ(img.height, 64);
    EXPECT_EQ(Pixel(img, 0, 0)[3], 0);
    EXPECT_EQ(Pixel(img, 63, 63)[3], 0);
    int covered = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const auto p = Pixel(img, x, y);
            if (p[3] != 255)
                continue;
            ++covered;
            // Grey, in shades that tell the faces apart.
            EXPECT_LE(std::abs(int(p[0]) - int(p[1])), 2);
            EXPECT_GE(int(p[2]), int(p[0]));
        }
    // The scene fills most of the square's width, not a dot in the middle.
    EXPECT_GT(covered, 64 * 64 / 8);
}

TEST_F(SceneThumbnail, TexturesBesideTheSceneAreFoundAsTheEditorFindsThem)
{
    // Every texture solid red; one sits in the "textures" folder under another case.
    std::filesystem::create_directories(dir / "textures");
    for (int t = 0; t < doc.TextureNames().GetCount(); ++t) {
        std::string name = doc.GetTextureName(static_cast<std::uint32_t>(t));
        if (std::filesystem::path(name).extension().empty())
            name += ".tex";
        if (t == 0)
            for (char& c : name)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const auto where = t == 0 ? dir / "textures" / name : dir / name;
        ASSERT_TRUE(common::WriteFileAtomically(where, SolidTex(4, 4, 250, 10, 10)));
    }
    const texture::RgbaImage img = interchange::SceneThumbnail(doc, dir, 64);
    int red = 0, other = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const auto p = Pixel(img, x, y);
            if (p[3] == 255)
                (p[0] > 3 * p[1] && p[0] > 3 * p[2] ? red : other)++;
        }
    EXPECT_GT(red, 20 * other);
}

TEST_F(SceneThumbnail, HostileScenesDrawWithoutFault)
{
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        scene::CQM4EditDoc hostile;
        if (!hostile.Serialize(scenegen::Encode(scenegen::MakeRandomScene(seed, true))).Ok())
            continue;
        const texture::RgbaImage img = interchange::SceneThumbnail(hostile, dir, 16);
        EXPECT_EQ(img.rgba.size(), 16u * 16u * 4u);
    }
    scene::CQM4EditDoc empty;
    EXPECT_EQ(interchange::SceneThumbnail(empty, dir, 8).rgba, std::vector<std::uint8_t>(8 * 8 * 4, 0));
}
