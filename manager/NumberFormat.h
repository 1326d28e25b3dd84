// Number reading and writing for the script format. Independent of the C
// library's locale: the script always uses a dot and the same exponent form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nbs {

// Bytes that separate tokens: every byte whose signed value is at most 0x20,
// which takes in all control characters, the blank and every byte from 0x80.
inline bool IsSeparator(char c)
{
    return static_cast<signed char>(c) <= 0x20;
}

// Leading separators skipped, optional sign, decimal digits up to the first
// non-digit; no digits give 0. Saturates at the limits of int32.
int32_t ReadInteger(std::string_view text);

// The longest leading decimal number (sign, digits, dot, exponent); no number
// gives 0. Overflow saturates at the largest finite double of its sign;
// underflow gives zero of its sign.
double ReadReal(std::string_view text);

// True when the text, after leading separators, begins with a number that
// ReadReal would take (a digit, or a dot and a digit, after an optional sign).
bool StartsWithNumber(std::string_view text);

// How many bytes of the text ReadReal and ReadInteger take as their number,
// leading separators included; 0 when there is no number. A value is well
// formed when this, with trailing separators, covers the whole text.
std::size_t RealLength(std::string_view text);
std::size_t IntegerLength(std::string_view text);

inline constexpr std::size_t kNumberTextSize = 32;

// Six significant digits, trailing zeros and dot dropped, exponent form when
// the decimal exponent is below -4 or at least 6, with a signed exponent of
// at least three digits (1e+006). Writes no NUL; returns the length.
std::size_t FormatReal(double value, char *out);

// Signed decimal. Writes no NUL; returns the length.
std::size_t FormatInteger(int32_t value, char *out);

}  // namespace nbs
