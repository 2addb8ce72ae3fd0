#pragma once
// Number text, identical on every machine and in every locale: the CSV files, the editor's
// number fields and the command-line tools' arguments all read and write numbers here, so
// that text one of them accepts the others accept too.
//
// Output matches the C library's "%d" and "%f" (six decimals) in the C locale byte for
// byte; input follows the C library's atol/atof rules in the C locale: leading blanks are
// skipped, an optional sign is taken, then the longest prefix that forms a number, and
// text with no number at all reads as zero.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// Longest text AppendFixed6 can produce for a float ("-340282346638528859811704183484516925440.000000").
inline constexpr std::size_t MAX_FIXED6_CHARS = 48;

// Writes f widened to double as "%f" prints it; returns the end of the text.
// out must have room for MAX_FIXED6_CHARS characters.
char* FormatFixed6(char* out, float f);

// Writes v as "%d" prints it; out must have room for 20 characters.
char* FormatInt(char* out, std::int64_t v);

inline void AppendFixed6(std::string& s, float f)
{
    char buf[MAX_FIXED6_CHARS];
    s.append(buf, FormatFixed6(buf, f));
}

inline void AppendInt(std::string& s, std::int64_t v)
{
    char buf[24];
    s.append(buf, FormatInt(buf, v));
}

// atol rules. Values beyond the 64-bit range saturate. digits, when given, tells whether
// the text held any digit at all (false means the text was not a number and 0 was returned).
std::int64_t ParseCLong(std::string_view text, bool* digits = nullptr);

// atof rules, including "inf", "nan" and hexadecimal "0x1.8p3" forms. Values too large for
// a double give an infinity, values too small a zero, both with their sign. used, when
// given, receives how many characters belong to the number (blanks and sign included).
double ParseCDouble(std::string_view text, bool* number = nullptr, std::size_t* used = nullptr);

// A number field of a dialog or a number argument of a command line: blanks, a number by
// atof rules, blanks, nothing else. False when the text holds no number or anything follows
// it; value is then left as it was. The double read is narrowed by NarrowToFloat.
bool ParseFloatField(std::string_view text, float& value);

// The same for a whole number: blanks, a number by atol rules, blanks, nothing else. False,
// with value untouched, also when the number lies beyond the 64-bit range (atol would
// saturate, and an index that silently became another would be worse than a refusal).
bool ParseIntField(std::string_view text, std::int64_t& value);

// Writes f widened to double as "%g" with precision 6 prints it (at most six significant
// digits, exponent form for very large or small values); out needs MAX_GENERAL6_CHARS.
inline constexpr std::size_t MAX_GENERAL6_CHARS = 16;
char* FormatGeneral6(char* out, float f);

inline std::string General6(float f)
{
    char buf[MAX_GENERAL6_CHARS];
    return std::string(buf, FormatGeneral6(buf, f));
}

// The double rounded to the nearest float, as a C cast does on IEEE machines; values beyond
// the float range become infinities rather than undefined behaviour.
float NarrowToFloat(double d);

// True for the blanks the C library's isspace accepts in the C locale.
constexpr bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace common
