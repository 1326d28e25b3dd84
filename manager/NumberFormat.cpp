#include "NumberFormat.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "ScriptNumber.h"

namespace nbs {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t SkipSeparators(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsSeparator(text[i]))
        ++i;
    return i;
}

}  // namespace

int32_t ReadInteger(std::string_view text)
{
    std::size_t i = SkipSeparators(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // One past the limit is enough to know the result saturates.
    constexpr int64_t kCap = int64_t{INT32_MAX} + 2;
    int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kCap)
            value = kCap;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

bool StartsWithNumber(std::string_view text)
{
    std::size_t i = SkipSeparators(text);
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i < text.size() && IsDigit(text[i]))
        return true;
    return i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1]);
}

std::size_t IntegerLength(std::string_view text)
{
    std::size_t i = SkipSeparators(text);
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t digits = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i > digits ? i : 0;
}

std::size_t RealLength(std::string_view text)
{
    return ScriptRealLength(text, IsSeparator);
}

double ReadReal(std::string_view text)
{
    std::size_t i = SkipSeparators(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i;

    // Decimal position of the leading nonzero digit, to tell overflow from
    // underflow when the value does not fit.
    int64_t leadPosition = 0;
    bool haveDigit = false;
    bool haveNonzero = false;
    int64_t integerDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        haveDigit = true;
        if (haveNonzero || text[i] != '0') {
            haveNonzero = true;
            if (integerDigits < INT32_MAX)
                ++integerDigits;
        }
    }
    if (haveNonzero)
        leadPosition = integerDigits - 1;
    if (i < text.size() && text[i] == '.') {
        ++i;
        int64_t zeros = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            haveDigit = true;
            if (!haveNonzero) {
                if (text[i] == '0') {
                    if (zeros < INT32_MAX)
                        ++zeros;
                } else {
                    haveNonzero = true;
                    leadPosition = -zeros - 1;
                }
            }
        }
    }
    if (!haveDigit)
        return 0.0;

    int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool exponentNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            exponentNegative = text[j] == '-';
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j) {
                if (exponent < INT32_MAX)
                    exponent = exponent * 10 + (text[j] - '0');
            }
            if (exponentNegative)
                exponent = -exponent;
            i = j;
        }
    }

    double value = 0.0;
    const char *first = text.data() + start;
    const char *last = text.data() + i;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = (haveNonzero && leadPosition + exponent > 0) ? DBL_MAX : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::size_t FormatInteger(int32_t value, char *out)
{
    const auto result = std::to_chars(out, out + kNumberTextSize, value);
    return static_cast<std::size_t>(result.ptr - out);
}

std::size_t FormatReal(double value, char *out)
{
    std::size_t n = 0;
    if (std::signbit(value))
        out[n++] = '-';
    if (std::isnan(value)) {
        std::memcpy(out + n, "nan", 3);
        return n + 3;
    }
    if (std::isinf(value)) {
        std::memcpy(out + n, "inf", 3);
        return n + 3;
    }

    // Six correctly rounded significant digits and the exponent that goes
    // with them after rounding: "d.ddddde+XX".
    char scientific[kNumberTextSize];
    const auto result = std::to_chars(scientific, scientific + sizeof scientific, std::fabs(value),
                                      std::chars_format::scientific, 5);
    const char *end = result.ptr;
    char digits[6];
    std::size_t digitCount = 0;
    const char *p = scientific;
    for (; p < end && *p != 'e'; ++p) {
        if (IsDigit(*p) && digitCount < sizeof digits)
            digits[digitCount++] = *p;
    }
    int exponent = 0;
    if (p < end && *p == 'e') {
        ++p;
        bool exponentNegative = *p == '-';
        ++p;
        for (; p < end; ++p)
            exponent = exponent * 10 + (*p - '0');
        if (exponentNegative)
            exponent = -exponent;
    }
    // Trailing zeros are dropped in both forms.
    while (digitCount > 1 && digits[digitCount - 1] == '0')
        --digitCount;

    if (exponent < -4 || exponent >= 6) {
        out[n++] = digits[0];
        if (digitCount > 1) {
            out[n++] = '.';
            for (std::size_t k = 1; k < digitCount; ++k)
                out[n++] = digits[k];
        }
        out[n++] = 'e';
        out[n++] = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        out[n++] = static_cast<char>('0' + magnitude / 100);
        out[n++] = static_cast<char>('0' + magnitude / 10 % 10);
        out[n++] = static_cast<char>('0' + magnitude % 10);
        return n;
    }

    if (exponent >= 0) {
        const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
        for (std::size_t k = 0; k < integerDigits; ++k)
            out[n++] = k < digitCount ? digits[k] : '0';
        if (digitCount > integerDigits) {
            out[n++] = '.';
            for (std::size_t k = integerDigits; k < digitCount; ++k)
                out[n++] = digits[k];
        }
        return n;
    }

    out[n++] = '0';
    out[n++] = '.';
    for (int k = -1; k > exponent; --k)
        out[n++] = '0';
    for (std::size_t k = 0; k < digitCount; ++k)
        out[n++] = digits[k];
    return n;
}

}  // namespace nbs
