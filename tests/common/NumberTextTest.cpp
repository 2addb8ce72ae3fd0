// Number text must match the C library exactly, in any locale, and every reader (CSV files,
// dialog fields, command-line arguments) must accept the same text.

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "common/NumberText.h"

using namespace common;

namespace {

std::string Fixed6(float f)
{
    std::string s;
    AppendFixed6(s, f);
    return s;
}

// The C library's own answer. The test program runs in the C locale unless a test changes it.
std::string Printf6(float f)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, "%f", static_cast<double>(f));
    return buf;
}

float FromBits(std::uint32_t b)
{
    float f;
    std::memcpy(&f, &b, sizeof f);
    return f;
}

bool SameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

} // namespace

TEST(NumberTextFixed6, AwkwardFloatsMatchPrintf)
{
    const float cases[] = {0.0f,
                           -0.0f,
                           1e-7f,
                           -1e-7f,
                           4e-7f,
                           5e-7f,
                           6e-7f,
                           1e9f,
                           -1e9f,
                           1.5f,
                           -1000.0f,
                           0.0000004f,
                           0.0078125f /* a tie at the sixth decimal */,
                           -0.0078125f,
                           0.1234565f,
                           2.5e-6f,
                           16777216.0f,
                           16777217.0f,
                           123456.789f,
                           FLT_MAX,
                           -FLT_MAX,
                           FLT_MIN,
                           FLT_TRUE_MIN,
                           -FLT_TRUE_MIN,
                           1099511627776.0f /* 2^40 */,
                           9.2233720e18f,
                           3.0e38f};
    for (float f : cases)
        EXPECT_EQ(Fixed6(f), Printf6(f)) << "bits " << std::hexfloat << f;
}

TEST(NumberTextFixed6, RandomBitPatternsMatchPrintf)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "the reference is the C library's printf; the Windows one drops the sign of a negative NaN, which our files keep";
#endif
    std::mt19937 rng(20261208);
    for (int n = 0; n < 300000; ++n) {
        const float f = FromBits(rng());
        ASSERT_EQ(Fixed6(f), Printf6(f)) << std::hexfloat << f;
    }
    // Everyday coordinates: values with few decimals, where rounding at the sixth matters.
    for (int n = 0; n < 300000; ++n) {
        const float f = static_cast<float>(static_cast<int>(rng() % 20000001) - 10000000) / 1000.0f;
        ASSERT_EQ(Fixed6(f), Printf6(f)) << std::hexfloat << f;
    }
}

TEST(NumberTextFixed6, NonFiniteValuesMatchPrintf)
{
    EXPECT_EQ(Fixed6(std::numeric_limits<float>::infinity()), Printf6(std::numeric_limits<float>::infinity()));
    EXPECT_EQ(Fixed6(-std::numeric_limits<float>::infinity()), Printf6(-std::numeric_limits<float>::infinity()));
    EXPECT_EQ(Fixed6(std::numeric_limits<float>::quiet_NaN()), Printf6(std::numeric_limits<float>::quiet_NaN()));
}

TEST(NumberTextParse, FollowsAtofAndAtolRules)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "the reference is the C library's strtod; the Windows one reads malformed text such as \"--5\" differently";
#endif
    const char* cases[] = {"12abc",
                           "  -3.5e2x",
                           " +.5",
                           "-.e3",
                           "1e",
                           "1e+",
                           "0x1p3",
                           "0x",
                           "0xg",
                           "-0x1.8p1",
                           "inf",
                           "-Infinity",
                           "nanx",
                           "1e400",
                           "-1e400",
                           "1e-400",
                           "1e-320",
                           "--5",
                           "+-5",
                           "",
                           "   ",
                           "2.9",
                           "1,2",
                           "\t7",
                           "\r\n8",
                           "4.9e-324",
                           "2.4e-324",
                           ".",
                           "+",
                           "-",
                           "abc",
                           "1.000000",
                           "100",
                           "007",
                           "1e3",
                           "0.5e-1",
                           "9223372036854775807",
                           "9223372036854775808",
                           "-9223372036854775809",
                           "99999999999999999999999"};
    for (const char* s : cases) {
        EXPECT_TRUE(SameDouble(ParseCDouble(s), std::strtod(s, nullptr))) << '"' << s << '"';
        EXPECT_EQ(ParseCLong(s), std::strtoll(s, nullptr, 10)) << '"' << s << '"';
    }
}

TEST(NumberTextParse, RoundTripsRandomDoubleText)
{
    std::mt19937_64 rng(7);
    char text[64];
    for (int n = 0; n < 200000; ++n) {
        const std::uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        std::snprintf(text, sizeof text, n % 2 ? "%.17g" : "%.9g", d);
        ASSERT_TRUE(SameDouble(ParseCDouble(text), std::strtod(text, nullptr))) << text;
    }
}

TEST(NumberTextParse, ReportsWhetherTextHeldANumber)
{
    bool digits = true;
    EXPECT_EQ(ParseCLong("Index", &digits), 0);
    EXPECT_FALSE(digits);
    EXPECT_EQ(ParseCLong("  -", &digits), 0);
    EXPECT_FALSE(digits);
    EXPECT_EQ(ParseCLong(" 2.9", &digits), 2);
    EXPECT_TRUE(digits);
    EXPECT_EQ(ParseCLong("0", &digits), 0);
    EXPECT_TRUE(digits);

    bool number = true;
    ParseCDouble("x", &number);
    EXPECT_FALSE(number);
    ParseCDouble("-.5", &number);
    EXPECT_TRUE(number);
}

TEST(NumberTextParse, OnlyTheFieldTextIsRead)
{
    // A field is a view into a longer line; nothing past its end may be taken.
    const std::string line = "12,34";
    EXPECT_EQ(ParseCLong(std::string_view(line).substr(0, 2)), 12);
    EXPECT_EQ(ParseCDouble(std::string_view(line).substr(0, 1)), 1.0);
}

TEST(NumberTextNarrow, RoundsToNearestFloatAndSaturatesToInfinity)
{
    EXPECT_EQ(NarrowToFloat(0.1), 0.1f);
    EXPECT_EQ(NarrowToFloat(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(NarrowToFloat(-1e39), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(NarrowToFloat(static_cast<double>(FLT_MAX)), FLT_MAX);
    // Just below the halfway point above FLT_MAX still rounds down to it.
    EXPECT_EQ(NarrowToFloat(3.4028235e38), FLT_MAX);
}

// Sets a locale whose decimal point is a comma: an installed one, or one built for the test
// from the system's locale sources. Returns false when neither is possible.
bool SetCommaLocale()
{
    for (const char* n : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_ALL, n))
            return true;
#ifndef _WIN32
    const std::string dir = testing::TempDir() + "csv_locales";
    const std::string cmd = "localedef -i de_DE -f UTF-8 \"" + dir + "/de_DE.UTF-8\" >/dev/null 2>&1";
    if (std::system(("mkdir -p \"" + dir + "\"").c_str()) == 0 && std::system(cmd.c_str()) == 0) {
        setenv("LOCPATH", dir.c_str(), 1);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
            return true;
    }
#endif
    return false;
}

TEST(NumberTextLocale, CommaLocaleChangesNothing)
{
    if (!SetCommaLocale())
        GTEST_SKIP() << "no locale with a decimal comma is available";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5"); // the C library itself now writes a comma
    EXPECT_EQ(Fixed6(1.5f), "1.500000");
    EXPECT_EQ(General6(1.5f), "1.5");
    EXPECT_EQ(ParseCDouble("2.25"), 2.25);
    EXPECT_EQ(ParseCDouble("2,25"), 2.0);
    float v = 0.0f;
    EXPECT_TRUE(ParseFloatField("0.5", v));
    EXPECT_EQ(v, 0.5f);
    EXPECT_FALSE(ParseFloatField("0,5", v));
    std::setlocale(LC_ALL, "C");
}

TEST(NumberTextField, GeneralFormatMatchesPrintfG)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "the reference is the C library's printf; the Windows one drops the sign of a negative NaN, which our files keep";
#endif
    std::mt19937 rng(99);
    char buf[64];
    const float cases[] = {0.0f, -0.0f, 1000.0f, 1e-5f, 123456.0f, 1234567.0f, 0.0001f, 1.5f, FLT_MAX, FLT_TRUE_MIN};
    for (float f : cases) {
        std::snprintf(buf, sizeof buf, "%g", static_cast<double>(f));
        EXPECT_EQ(General6(f), buf);
    }
    for (int n = 0; n < 200000; ++n) {
        const float f = FromBits(rng());
        std::snprintf(buf, sizeof buf, "%g", static_cast<double>(f));
        ASSERT_EQ(General6(f), buf) << std::hexfloat << f;
    }
}

TEST(NumberTextField, FieldMustHoldOneNumberAndNothingElse)
{
    float v = -1.0f;
    EXPECT_TRUE(ParseFloatField("1e3", v));
    EXPECT_EQ(v, 1000.0f);
    EXPECT_TRUE(ParseFloatField("  -2.5  ", v));
    EXPECT_EQ(v, -2.5f);
    EXPECT_TRUE(ParseFloatField("0x1p-2", v));
    EXPECT_EQ(v, 0.25f);
    // Beyond the float range a field reads as an infinity, as the narrowing defines it.
    EXPECT_TRUE(ParseFloatField("-1e39", v));
    EXPECT_EQ(v, -std::numeric_limits<float>::infinity());
    v = 7.0f;
    for (const char* bad : {"", "   ", "abc", "1,5", "12abc", "1e3 x", "-", ".", "0x", "+-1", "1 2"})
        EXPECT_FALSE(ParseFloatField(bad, v)) << '"' << bad << '"';
    EXPECT_EQ(v, 7.0f);
}

TEST(NumberTextField, WholeNumberFieldTakesOneIntegerInRange)
{
    std::int64_t v = -1;
    EXPECT_TRUE(ParseIntField(" +42 ", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(ParseIntField("-0007", v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(ParseIntField("9223372036854775807", v));
    EXPECT_EQ(v, std::numeric_limits<std::int64_t>::max());
    EXPECT_TRUE(ParseIntField("-9223372036854775808", v));
    EXPECT_EQ(v, std::numeric_limits<std::int64_t>::min());
    v = 5;
    for (const char* bad : {"", " ", "-", "+-1", "1.5", "1e3", "0x10", "12abc", "9223372036854775808",
                            "-9223372036854775809", "99999999999999999999"})
        EXPECT_FALSE(ParseIntField(bad, v)) << '"' << bad << '"';
    EXPECT_EQ(v, 5);
}
