#include "common/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace common {

namespace {

char* WriteFraction6(char* out, std::uint32_t frac)
{
    for (int i = 5; i >= 0; --i) {
        out[i] = static_cast<char>('0' + frac % 10);
        frac /= 10;
    }
    return out + 6;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Skips C-locale blanks and one optional sign; returns the position after them.
std::size_t SkipBlanksAndSign(std::string_view t, bool& negative)
{
    std::size_t i = 0;
    while (i < t.size() && IsCSpace(t[i]))
        ++i;
    negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    return i;
}

// A number from_chars found too large or too small for a double: decide which from its
// decimal (or, for hex text, binary) exponent. The magnitude is far from 1 in either case,
// so the sign of the overall exponent is enough.
double OutOfRangeValue(std::string_view digits, bool hex)
{
    const char expChar = hex ? 'p' : 'e';
    std::size_t i = 0;
    std::int64_t scale = 0; // position of the leading nonzero digit relative to the point
    bool seenNonZero = false, seenPoint = false;
    for (; i < digits.size(); ++i) {
        const char c = digits[i];
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        if (!(hex ? IsHexDigit(c) : IsDigit(c)))
            break;
        if (!seenNonZero && c != '0')
            seenNonZero = true;
        if (seenNonZero && !seenPoint)
            ++scale;
        else if (!seenNonZero && seenPoint)
            --scale;
    }
    std::int64_t exponent = 0;
    if (i < digits.size() && (digits[i] == expChar || digits[i] == expChar - 32)) {
        bool negExp = false;
        std::size_t j = i + 1;
        if (j < digits.size() && (digits[j] == '+' || digits[j] == '-'))
            negExp = digits[j++] == '-';
        for (; j < digits.size() && IsDigit(digits[j]); ++j)
            if (exponent < (std::int64_t(1) << 40))
                exponent = exponent * 10 + (digits[j] - '0');
        if (negExp)
            exponent = -exponent;
    }
    return scale + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

} // namespace

char* FormatFixed6(char* out, float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    const bool negative = (bits >> 31) != 0;
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    const std::uint32_t fraction = bits & 0x7FFFFF;

    // A float is M * 2^E with M below 2^24. Whenever M * 2^E stays below 2^63 the exact
    // decimal expansion is reachable with 64-bit integers, which is both exact and much
    // faster than general formatting; only huge values and non-finite ones take the slow road.
    if (biased != 0xFF) {
        const std::uint64_t m = biased == 0 ? fraction : (fraction | 0x800000u);
        const int e = biased == 0 ? -149 : biased - 150;
        if (e <= 39) {
            std::uint64_t whole;
            std::uint32_t frac;
            if (e >= 0) {
                whole = m << e;
                frac = 0;
            } else {
                const int k = -e;
                std::uint64_t q = 0;
                // m * 10^6 is below 2^44, so from k = 45 on it is below half a unit: rounds to 0.
                if (k < 45) {
                    const std::uint64_t scaled = m * 1000000u;
                    q = scaled >> k;
                    const std::uint64_t rest = scaled & ((std::uint64_t(1) << k) - 1);
                    const std::uint64_t half = std::uint64_t(1) << (k - 1);
                    // Ties go to even, as the C library rounds the exact binary value.
                    if (rest > half || (rest == half && (q & 1)))
                        ++q;
                }
                whole = q / 1000000u;
                frac = static_cast<std::uint32_t>(q % 1000000u);
            }
            if (negative)
                *out++ = '-';
            out = std::to_chars(out, out + 20, whole).ptr;
            *out++ = '.';
            return WriteFraction6(out, frac);
        }
    }
    return std::to_chars(out, out + MAX_FIXED6_CHARS, static_cast<double>(f), std::chars_format::fixed, 6).ptr;
}

char* FormatInt(char* out, std::int64_t v)
{
    return std::to_chars(out, out + 20, v).ptr;
}

std::int64_t ParseCLong(std::string_view t, bool* digits)
{
    bool negative;
    std::size_t i = SkipBlanksAndSign(t, negative);
    const std::size_t first = i;
    // Accumulate as a negative number so that the most negative value fits too.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t acc = 0;
    bool saturated = false;
    for (; i < t.size() && IsDigit(t[i]); ++i) {
        const int d = t[i] - '0';
        if (!saturated) {
            if (acc < (lowest + d) / 10)
                saturated = true;
            else
                acc = acc * 10 - d;
        }
    }
    if (digits)
        *digits = i > first;
    if (saturated)
        return negative ? lowest : std::numeric_limits<std::int64_t>::max();
    if (negative)
        return acc;
    return acc == lowest ? std::numeric_limits<std::int64_t>::max() : -acc;
}

double ParseCDouble(std::string_view t, bool* number, std::size_t* used)
{
    bool negative;
    const std::size_t i = SkipBlanksAndSign(t, negative);
    if (number)
        *number = false;
    if (used)
        *used = 0;
    if (i >= t.size() || t[i] == '-' || t[i] == '+')
        return 0.0;

    const char* begin = t.data() + i;
    const char* end = t.data() + t.size();
    const char* stop = begin;
    double value = 0.0;
    bool found = false;

    if (end - begin >= 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X')) {
        // "0x" introduces hexadecimal digits; without any after it, the "0" alone is the number.
        auto r = std::from_chars(begin + 2, end, value, std::chars_format::hex);
        found = true;
        stop = r.ptr;
        if (r.ec == std::errc::result_out_of_range) {
            value = OutOfRangeValue(std::string_view(begin + 2, static_cast<std::size_t>(end - begin - 2)), true);
        } else if (r.ec != std::errc()) {
            value = 0.0;
            stop = begin + 1;
        }
    } else {
        auto r = std::from_chars(begin, end, value, std::chars_format::general);
        stop = r.ptr;
        if (r.ec == std::errc()) {
            found = true;
        } else if (r.ec == std::errc::result_out_of_range) {
            value = OutOfRangeValue(std::string_view(begin, static_cast<std::size_t>(end - begin)), false);
            found = true;
        }
    }
    if (!found)
        return 0.0;
    if (number)
        *number = true;
    if (used)
        *used = static_cast<std::size_t>(stop - t.data());
    return negative ? -value : value;
}

bool ParseFloatField(std::string_view text, float& value)
{
    bool number = false;
    std::size_t used = 0;
    const double d = ParseCDouble(text, &number, &used);
    if (!number)
        return false;
    for (std::size_t i = used; i < text.size(); ++i)
        if (!IsCSpace(text[i]))
            return false;
    value = NarrowToFloat(d);
    return true;
}

bool ParseIntField(std::string_view text, std::int64_t& value)
{
    bool negative;
    std::size_t i = SkipBlanksAndSign(text, negative);
    const std::size_t first = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    if (i == first)
        return false;
    const std::size_t last = i;
    for (; i < text.size(); ++i)
        if (!IsCSpace(text[i]))
            return false;
    bool digits = false;
    const std::int64_t parsed = ParseCLong(text.substr(0, last), &digits);
    // ParseCLong saturates; a saturated value is only genuine when the text says exactly that.
    constexpr std::int64_t highest = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    if (parsed == highest || parsed == lowest) {
        std::string_view d = text.substr(first, last - first);
        while (d.size() > 1 && d.front() == '0')
            d.remove_prefix(1);
        if (d != (negative ? "9223372036854775808" : "9223372036854775807"))
            return false;
    }
    value = parsed;
    return true;
}

char* FormatGeneral6(char* out, float f)
{
    return std::to_chars(out, out + MAX_GENERAL6_CHARS, static_cast<double>(f), std::chars_format::general, 6).ptr;
}

float NarrowToFloat(double d)
{
    // Halfway between the largest float and the next power of two: from here on a cast
    // would round to infinity on IEEE machines, and the language leaves it undefined.
    constexpr double limit = 340282356779733661637539395458142568448.0; // 2^128 - 2^103
    if (std::isfinite(d) && std::fabs(d) >= limit)
        return d < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

} // namespace common
