#include "uPropertyNumbers.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

std::string ReplaceDot(const char *first, const char *last, std::string_view separator)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(last - first) + separator.size());
    for (const char *p = first; p != last; ++p) {
        if (*p == '.')
            out.append(separator);
        else
            out.push_back(*p);
    }
    return out;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The steps of ParseNumber's rewrite: each copies what it reads at `i` into
// `c` in the C form and moves past it. A '+' is read but not copied.
void CopySign(std::string_view text, std::size_t &i, std::string &c)
{
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            c.push_back('-');
        ++i;
    }
}

int CopyDigits(std::string_view text, std::size_t &i, std::string &c)
{
    int count = 0;
    while (i < text.size() && IsDigit(text[i])) {
        c.push_back(text[i++]);
        ++count;
    }
    return count;
}

}  // namespace

std::string FormatGeneral(double value, std::string_view decimalSeparator)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return ReplaceDot(buf, res.ptr, decimalSeparator);
}

std::string FormatFixed3(double value, std::string_view decimalSeparator)
{
    // The largest double has 309 integer digits.
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
    if (res.ec != std::errc())
        return FormatGeneral(value, decimalSeparator);
    return ReplaceDot(buf, res.ptr, decimalSeparator);
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<double> ParseNumber(std::string_view text, std::string_view decimalSeparator)
{
    text = TrimBlanks(text);
    if (decimalSeparator.empty())
        decimalSeparator = ".";
    // Rewrite into the C form ('.' separator, no '+') after checking the grammar,
    // so that from_chars sees nothing it would read differently.
    std::string c;
    std::size_t i = 0;
    CopySign(text, i, c);
    int mantissaDigits = CopyDigits(text, i, c);
    // A point is read under every locale too: the script format and the guide
    // write numbers with one, and a typed 1.5 must not turn into 0.
    const std::string_view rest = text.substr(i);
    const std::size_t markLength = rest.starts_with(decimalSeparator) ? decimalSeparator.size()
                                   : rest.starts_with('.')            ? 1
                                                                      : 0;
    if (markLength > 0) {
        c.push_back('.');
        i += markLength;
        mantissaDigits += CopyDigits(text, i, c);
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        c.push_back('e');
        ++i;
        CopySign(text, i, c);
        if (CopyDigits(text, i, c) == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0.0;
    auto res = std::from_chars(c.data(), c.data() + c.size(), value);
    if (res.ec != std::errc() || res.ptr != c.data() + c.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int32_t> ParseInteger(std::string_view text)
{
    text = TrimBlanks(text);
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty() || !IsDigit(digits.front()))
        return std::nullopt;
    // from_chars takes a '-' but no '+'.
    if (text.front() == '+')
        text.remove_prefix(1);
    int32_t value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitAtBlanks(std::string_view text)
{
    std::vector<std::string_view> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        if (i > start)
            pieces.push_back(text.substr(start, i - start));
    }
    return pieces;
}

std::vector<std::string_view> SplitAtDoubleDots(std::string_view text)
{
    std::vector<std::string_view> pieces;
    while (true) {
        std::size_t mark = text.find("..");
        std::string_view piece = text.substr(0, mark);
        if (!piece.empty())
            pieces.push_back(piece);
        if (mark == std::string_view::npos)
            break;
        text.remove_prefix(mark + 2);
    }
    return pieces;
}
