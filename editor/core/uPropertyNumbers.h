// Number and text rules shared by the inspector's rows and its readers. The
// decimal separator is the user's locale's and is handed in by the caller, so
// nothing here depends on the C library's locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ParticleSystem.h"

// General format: up to 15 significant digits, no trailing zeros.
std::string FormatGeneral(double value, std::string_view decimalSeparator);
// Exactly three decimals (colour rows).
std::string FormatFixed3(double value, std::string_view decimalSeparator);

// A decimal number written with the given separator or with a point (both are
// read whatever the locale): optional sign, digits with an optional fraction,
// optional exponent; blanks around it are allowed.
// Non-finite or out-of-range values are not numbers.
std::optional<double> ParseNumber(std::string_view text, std::string_view decimalSeparator);
// A decimal int32 with an optional sign; blanks around it are allowed.
std::optional<int32_t> ParseInteger(std::string_view text);

std::string_view TrimBlanks(std::string_view text);
// Pieces between runs of blanks; empty pieces are skipped.
std::vector<std::string_view> SplitAtBlanks(std::string_view text);
// Pieces between ".." marks; empty pieces are skipped.
std::vector<std::string_view> SplitAtDoubleDots(std::string_view text);

// A record text buffer up to its first NUL, never past its end, even when a
// plug-in left it unterminated.
inline std::string_view RecordText(const char (&buffer)[kParticleTextSize])
{
    std::size_t n = 0;
    while (n < sizeof buffer && buffer[n] != '\0')
        ++n;
    return {buffer, n};
}
