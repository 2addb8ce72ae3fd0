#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "texture/TexFormat.h"

using namespace texture;

TEST(ChannelConversion, Expand5To8KeepsTheHistoricTableIncluding31To254)
{
    const int expected[32] = {0,   8,   16,  24,  32,  41,  49,  57,  65,  74,  82,  90,  98,  106, 115, 123,
                              131, 139, 148, 156, 164, 172, 180, 189, 197, 205, 213, 222, 230, 238, 246, 254};
    for (unsigned c = 0; c < 32; ++c)
        EXPECT_EQ(Expand5To8(c), expected[c]) << "c=" << c;
}

TEST(ChannelConversion, Reduce8To5RoundsToNearestAndUndoesExpand)
{
    for (unsigned v = 0; v < 256; ++v)
        EXPECT_EQ(Reduce8To5(v), static_cast<int>(std::floor(v * 31.0 / 255.0 + 0.5))) << "v=" << v;
    for (unsigned c = 0; c < 32; ++c)
        EXPECT_EQ(Reduce8To5(Expand5To8(c)), c) << "c=" << c;
    EXPECT_EQ(Reduce8To5(255), 31);
    EXPECT_EQ(Reduce8To5(254), 31);
    EXPECT_EQ(Reduce8To5(4), 0);
    EXPECT_EQ(Reduce8To5(5), 1);
}

TEST(ChannelConversion, AlphaBitFromByte)
{
    EXPECT_EQ(AlphaBit(0), 0u);
    EXPECT_EQ(AlphaBit(1), 1u);
    EXPECT_EQ(AlphaBit(2), 0u);
    EXPECT_EQ(AlphaBit(127), 0u);
    EXPECT_EQ(AlphaBit(128), 1u);
    EXPECT_EQ(AlphaBit(255), 1u);
}

TEST(ChannelConversion, SixteenBitWordsOfBothFormats)
{
    std::uint8_t p[4];
    DecodeTex16(0xFFFF, p);
    EXPECT_EQ(p[0], 254);
    EXPECT_EQ(p[1], 254);
    EXPECT_EQ(p[2], 254);
    EXPECT_EQ(p[3], 1);
    DecodeTex16(0x0020, p);
    EXPECT_EQ(p[0] | p[1] | p[2], 0);
    EXPECT_EQ(p[3], 1);

    DecodeTga16(0x8000, p);
    EXPECT_EQ(p[0] | p[1] | p[2], 0);
    EXPECT_EQ(p[3], 1);
    DecodeTga16(0x7FFF, p);
    EXPECT_EQ(p[0], 254);
    EXPECT_EQ(p[1], 254);
    EXPECT_EQ(p[2], 254);
    EXPECT_EQ(p[3], 0);

    // Distinct channels land in the right fields: blue 1, green 2, red 3.
    DecodeTex16((3u << 11) | (2u << 6) | 1u, p);
    EXPECT_EQ(p[0], 8);
    EXPECT_EQ(p[1], 16);
    EXPECT_EQ(p[2], 24);
    DecodeTga16((3u << 10) | (2u << 5) | 1u, p);
    EXPECT_EQ(p[0], 8);
    EXPECT_EQ(p[1], 16);
    EXPECT_EQ(p[2], 24);

    // Every word survives decode and encode in both layouts.
    for (unsigned w = 0; w < 0x10000; ++w) {
        DecodeTex16(static_cast<std::uint16_t>(w), p);
        ASSERT_EQ(EncodeTex16(p), w);
        DecodeTga16(static_cast<std::uint16_t>(w), p);
        ASSERT_EQ(EncodeTga16(p), w);
    }
}

TEST(TexHeaderFormat, ExpectedLengthNeverOverflowsAndFillerFormatsAsTheDialogShowsIt)
{
    TexHeader h;
    h.xRes = 65536;
    h.yRes = 65536;
    h.bpp = 32;
    EXPECT_EQ(ExpectedTexLength(h), (std::int64_t(1) << 34) + 32);
    h.bpp = 12; // 12 / 8 truncates to 1
    h.xRes = 3;
    h.yRes = 5;
    EXPECT_EQ(ExpectedTexLength(h), 15 + 32);
    h.bpp = -15; // truncates toward zero: -1
    EXPECT_EQ(ExpectedTexLength(h), -15 + 32);

    // Beyond 64 bits the number is still told exactly.
    struct Case {
        std::int32_t x, y, bpp;
        const char* text;
    };
    const Case huge[] = {
        {INT32_MIN, INT32_MIN, INT32_MIN, "-1237940039285380274899124192"},
        {INT32_MAX, INT32_MAX, INT32_MAX, "1237940033520772756428292127"},
        {INT32_MIN, INT32_MAX, INT32_MAX, "-1237940034097233506315796448"},
        {INT32_MIN, INT32_MIN, INT32_MAX, "1237940034673694256471736352"},
        {65536, 65536, 32, "17179869216"},
        {-1, 1, 8 * 40, "-8"},
    };
    for (const Case& c : huge) {
        h.xRes = c.x;
        h.yRes = c.y;
        h.bpp = c.bpp;
        EXPECT_EQ(ExpectedTexLengthText(h), c.text);
    }
    bool fits = true;
    ExpectedTexLength(h = TexHeader{{}, INT32_MAX, INT32_MAX, INT32_MAX}, &fits);
    EXPECT_FALSE(fits);

    for (int i = 0; i < TEX_FILLER_SIZE; ++i)
        h.filler[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(FormatFiller(h), "0001 0203 0405 0607 0809 0A0B 0C0D 0E0F 1011 1213");
}
