#include <gtest/gtest.h>

#include <vector>

#include "common/ByteReader.h"
#include "common/ByteWriter.h"

using common::ByteReader;
using common::ByteWriter;

TEST(ByteReader, DecodesLittleEndianAndRoundTripsThroughWriter)
{
    ByteWriter w;
    w.U8(0xAB);
    w.U16(0x1234);
    w.U32(0x12345678);
    w.I32(-2);
    w.F32(-1.5f);
    const std::vector<std::uint8_t> expected = {0xAB, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE,
                                                0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0xBF};
    ASSERT_EQ(w.Data(), expected);

    ByteReader r(w.Data());
    EXPECT_EQ(r.U8(), 0xAB);
    EXPECT_EQ(r.U16(), 0x1234);
    EXPECT_EQ(r.U32(), 0x12345678u);
    EXPECT_EQ(r.I32(), -2);
    EXPECT_EQ(r.F32(), -1.5f);
    EXPECT_TRUE(r.AtEnd());
}

TEST(ByteReader, ShortReadThrowsAndLeavesPositionUnchanged)
{
    const std::vector<std::uint8_t> bytes = {1, 2, 3};
    ByteReader r(bytes);
    EXPECT_EQ(r.U16(), 0x0201);
    EXPECT_THROW(r.U32(), common::ShortRead);
    EXPECT_EQ(r.Position(), 2u);
    EXPECT_EQ(r.U8(), 3);
    EXPECT_THROW(r.U8(), common::ShortRead);
    EXPECT_THROW(r.Skip(1), common::ShortRead);
    EXPECT_NO_THROW(r.Skip(0));
}

TEST(ByteReader, HugeRequestsFailWithoutOverflow)
{
    const std::vector<std::uint8_t> bytes(8);
    ByteReader r(bytes);
    r.Skip(4);
    EXPECT_THROW(r.Bytes(SIZE_MAX), common::ShortRead);
    EXPECT_THROW(r.Require(SIZE_MAX - 2), common::ShortRead);
    EXPECT_EQ(r.Remaining(), 4u);
}
