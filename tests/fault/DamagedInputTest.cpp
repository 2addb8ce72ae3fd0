// Every reader over every truncation and every overwritten byte of files our generators make.
// A damaged file either loads (and then saves and loads again) or is refused with a message,
// leaving nothing loaded; a refused Targa changes no pixel.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SceneGen.h"
#include "ScriptedPrompt.h"
#include "SmallScene.h"
#include "scene/QM4EditDoc.h"
#include "texture/PixloomDoc.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cut(const Bytes& b, std::size_t n)
{
    return {b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)};
}

// What must hold for any scene input.
void CheckScene(const Bytes& file, const std::string& what)
{
    scene::CQM4EditDoc doc;
    const scene::LoadResult r = doc.Serialize(file);
    if (!r.Ok()) {
        EXPECT_FALSE(r.message.empty()) << what;
        EXPECT_FALSE(doc.IsLoaded()) << what;
        EXPECT_EQ(doc.GetObjectCount(), 0) << what;
        return;
    }
    doc.UpdateGeometry();
    scene::CQM4EditDoc again;
    EXPECT_TRUE(again.Serialize(doc.SaveToBytes()).Ok()) << what;
}

void EveryDamage(const Bytes& file, const std::string& name)
{
    scene::CQM4EditDoc whole;
    ASSERT_TRUE(whole.Serialize(file).Ok()) << name;
    // Only the trailing data may be cut short and still load.
    const std::size_t sections = file.size() - whole.TrailingData().size();
    for (std::size_t n = 0; n < file.size(); ++n) {
        const Bytes cut = Cut(file, n);
        if (n >= sections) {
            CheckScene(cut, name + " cut in the trailing data at " + std::to_string(n));
            continue;
        }
        scene::CQM4EditDoc doc;
        const scene::LoadResult r = doc.Serialize(cut);
        ASSERT_FALSE(r.Ok()) << name << " cut at " << n;
        ASSERT_FALSE(r.message.empty()) << name << " cut at " << n;
    }
    for (std::size_t at = 0; at < file.size(); ++at) {
        Bytes hit = file;
        hit[at] ^= 0xFF;
        CheckScene(hit, name + " byte " + std::to_string(at));
        hit[at] = 0x80;
        CheckScene(hit, name + " byte " + std::to_string(at) + " = 0x80");
    }
}

TEST(DamagedScenes, SmallSceneAtEveryOffset)
{
    EveryDamage(fuzz::SmallSceneBytes(), "small");
}

TEST(DamagedScenes, RandomScenesAtEveryOffset)
{
    for (std::uint64_t seed : {1u, 4u}) {
        EveryDamage(scenegen::Encode(scenegen::MakeRandomScene(seed, false)), "random " + std::to_string(seed));
        EveryDamage(scenegen::Encode(scenegen::MakeRandomScene(seed, true)), "bad indices " + std::to_string(seed));
    }
}

TEST(DamagedScenes, DemoSceneCutAnywhere)
{
    const Bytes demo = scenegen::Encode(scenegen::MakeDemoScene());
    for (std::size_t n = 0; n < demo.size(); ++n)
        CheckScene(Cut(demo, n), "demo cut at " + std::to_string(n));
}

// ---- textures ----

Bytes Tex(int w, int h, int bpp)
{
    Bytes f(32, 0);
    for (int i = 0; i < 20; ++i)
        f[i] = static_cast<std::uint8_t>(0xF0 - i);
    f[20] = static_cast<std::uint8_t>(w);
    f[24] = static_cast<std::uint8_t>(h);
    f[28] = static_cast<std::uint8_t>(bpp);
    for (int i = 0; i < w * h * (bpp / 8); ++i)
        f.push_back(static_cast<std::uint8_t>(i * 29 + 5));
    return f;
}

TEST(DamagedTextures, TexAtEveryOffset)
{
    texture::CPixloomDoc doc;
    for (int bpp : {16, 24, 32}) {
        const Bytes tex = Tex(6, 5, bpp);
        for (std::size_t n = 0; n < tex.size(); ++n) {
            ScriptedPrompt p;
            ASSERT_FALSE(doc.ReadTex(Cut(tex, n), p)) << bpp << " cut at " << n;
            ASSERT_EQ(p.Count(), 1u);
            ASSERT_FALSE(doc.IsLoaded());
        }
        for (std::size_t at = 0; at < tex.size(); ++at) {
            Bytes hit = tex;
            hit[at] ^= 0xFF;
            ScriptedPrompt p;
            if (doc.ReadTex(hit, p)) {
                Bytes back;
                doc.WriteTex(back);
                EXPECT_EQ(back, hit) << bpp << " byte " << at;
            } else {
                EXPECT_EQ(p.Count(), 1u) << bpp << " byte " << at;
            }
        }
    }
}

TEST(DamagedTextures, TargaAtEveryOffsetIntoEachDepth)
{
    texture::CPixloomDoc doc;
    for (int texBpp : {16, 24, 32}) {
        for (int tgaBpp : {16, 24, 32}) {
            // The Targa: exported from a texture of its own depth.
            ScriptedPrompt quiet;
            ASSERT_TRUE(doc.ReadTex(Tex(6, 5, tgaBpp), quiet));
            Bytes tga;
            doc.WriteTarga(tga);
            ASSERT_TRUE(doc.ReadTex(Tex(6, 5, texBpp), quiet));
            Bytes held;
            doc.WriteTex(held);

            for (std::size_t n = 0; n < tga.size(); ++n) {
                ScriptedPrompt p;
                p.QueueAnswer(true);
                ASSERT_FALSE(doc.ImportTargaBytes(Cut(tga, n), p)) << texBpp << "/" << tgaBpp << " cut at " << n;
                ASSERT_GE(p.Count(), 1u);
                Bytes now;
                doc.WriteTex(now);
                ASSERT_EQ(now, held) << "a refused import changed pixels, cut at " << n;
                ASSERT_FALSE(doc.IsModified());
            }
            for (std::size_t at = 0; at < 18; ++at) {
                Bytes hit = tga;
                hit[at] ^= 0xFF;
                ScriptedPrompt p;
                p.QueueAnswer(false);
                if (!doc.ImportTargaBytes(hit, p)) {
                    Bytes now;
                    doc.WriteTex(now);
                    EXPECT_EQ(now, held) << "header byte " << at;
                }
                ASSERT_TRUE(doc.ReadTex(Tex(6, 5, texBpp), quiet)); // undo any import
                doc.SetModifiedFlag(false);
            }
        }
    }
}

} // namespace
