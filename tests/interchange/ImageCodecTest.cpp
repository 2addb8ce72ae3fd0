// The PNG/BMP codec: our PNG read back by stb, hand-made BMP files, and refusals.

#include <gtest/gtest.h>

#include "common/ByteWriter.h"
#include "interchange/ImageCodec.h"
#include "interchange/InterchangeMessages.h"

namespace {

// Asymmetric and colour-distinct, with varied alpha: catches swapped channels and flipped rows.
texture::RgbaImage TestImage(int w, int h)
{
    texture::RgbaImage im{w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w * h * 4))};
    std::uint32_t seed = 7;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &im.rgba[static_cast<std::size_t>((y * w + x) * 4)];
            seed = seed * 1664525u + 1013904223u;
            p[0] = static_cast<std::uint8_t>(x * 255 / w);
            p[1] = static_cast<std::uint8_t>(y * 255 / h);
            p[2] = static_cast<std::uint8_t>((x * y) ^ (seed >> 28));
            p[3] = static_cast<std::uint8_t>(255 - (x + 2 * y) % 200);
        }
    return im;
}

} // namespace

TEST(ImageCodec, PngRoundTripWithAndWithoutAlpha)
{
    for (const auto& [w, h] : {std::pair{5, 3}, {1, 1}, {512, 512}, {300, 7}}) {
        const texture::RgbaImage im = TestImage(w, h);
        const auto withAlpha = interchange::DecodeImage(interchange::EncodePng(im));
        ASSERT_TRUE(withAlpha.image) << withAlpha.message;
        EXPECT_TRUE(withAlpha.image->hasAlpha);
        EXPECT_EQ(withAlpha.image->image.width, w);
        EXPECT_EQ(withAlpha.image->image.rgba, im.rgba);

        const auto opaque = interchange::DecodeImage(interchange::EncodePng(im, false));
        ASSERT_TRUE(opaque.image) << opaque.message;
        EXPECT_FALSE(opaque.image->hasAlpha);
        texture::RgbaImage expected = im;
        for (std::size_t i = 3; i < expected.rgba.size(); i += 4)
            expected.rgba[i] = 255;
        EXPECT_EQ(opaque.image->image.rgba, expected.rgba);
    }
    // Long runs of one colour exercise the longest matches.
    texture::RgbaImage flat{600, 40, std::vector<std::uint8_t>(600 * 40 * 4, 0x5A)};
    EXPECT_EQ(interchange::DecodeImage(interchange::EncodePng(flat)).image->image.rgba, flat.rgba);
    // Noise is stored rather than coded; noise between flat stretches switches back and forth.
    texture::RgbaImage mixed{512, 512, std::vector<std::uint8_t>(512 * 512 * 4, 0x33)};
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < mixed.rgba.size(); ++i)
        if ((i / 100000) % 3 != 1)
            mixed.rgba[i] = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    EXPECT_EQ(interchange::DecodeImage(interchange::EncodePng(mixed)).image->image.rgba, mixed.rgba);
}

// 2 x 2, 24-bit, rows stored bottom first, each padded to 4 bytes, pixels as B, G, R.
static std::vector<std::uint8_t> TwoByTwoBmp()
{
    common::ByteWriter w;
    w.Text("BM");
    w.U32(54 + 16);
    w.U32(0);
    w.U32(54);
    w.U32(40);
    w.I32(2);
    w.I32(2);
    w.U16(1);
    w.U16(24);
    for (int i = 0; i < 6; ++i)
        w.U32(0);
    const std::uint8_t bottom[8] = {255, 0, 0, 0, 255, 0, 0, 0}; // blue, green
    const std::uint8_t top[8] = {0, 0, 255, 255, 255, 255, 0, 0}; // red, white
    w.Bytes(bottom, 8);
    w.Bytes(top, 8);
    return w.Data();
}

TEST(ImageCodec, BmpIsReadBottomUpAsTwentyFourBit)
{
    const auto r = interchange::DecodeImage(TwoByTwoBmp());
    ASSERT_TRUE(r.image) << r.message;
    EXPECT_FALSE(r.image->hasAlpha);
    const std::vector<std::uint8_t> expected = {255, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 0, 255, 0, 255};
    EXPECT_EQ(r.image->image.rgba, expected);
}

TEST(ImageCodec, RefusesOtherBytesDamageAndAbsurdSizes)
{
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(interchange::DecodeImage(text).message, interchange::IMAGE_NOT_PNG_OR_BMP);

    std::vector<std::uint8_t> png = interchange::EncodePng(TestImage(40, 40));
    std::vector<std::uint8_t> cut(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2));
    EXPECT_EQ(interchange::DecodeImage(cut).message, interchange::IMAGE_DAMAGED);

    // The header claims 100000 x 100000 pixels; nothing that size may be allocated.
    png[16] = 0x00, png[17] = 0x01, png[18] = 0x86, png[19] = 0xA0;
    png[20] = 0x00, png[21] = 0x01, png[22] = 0x86, png[23] = 0xA0;
    const auto huge = interchange::DecodeImage(png);
    EXPECT_FALSE(huge.image);
    EXPECT_FALSE(huge.message.empty());

    // Sizes within the limit that the file is far too short to hold are refused before
    // decoding, which would read zeros for every missing pixel.
    png[16] = 0x00, png[17] = 0x00, png[18] = 0x3E, png[19] = 0x80;
    png[20] = 0x00, png[21] = 0x00, png[22] = 0x3E, png[23] = 0x80;
    EXPECT_EQ(interchange::DecodeImage(png).message, interchange::IMAGE_DAMAGED);
    // A chunk claiming nearly a gigabyte in a small file: refused, not allocated.
    png = interchange::EncodePng(TestImage(40, 40));
    png[33] = 0x3A;
    EXPECT_EQ(interchange::DecodeImage(png).message, interchange::IMAGE_DAMAGED);
    std::vector<std::uint8_t> bmp = TwoByTwoBmp();
    const std::span<const std::uint8_t> whole(bmp);
    EXPECT_TRUE(interchange::DecodeImage(whole.first(whole.size() - 2)).image); // the last row's padding may be missing
    EXPECT_EQ(interchange::DecodeImage(whole.first(whole.size() - 3)).message, interchange::IMAGE_DAMAGED);
    bmp[18] = 0x03, bmp[19] = 0x2D; // 11523 x 2
    EXPECT_EQ(interchange::DecodeImage(bmp).message, interchange::IMAGE_DAMAGED);
}
