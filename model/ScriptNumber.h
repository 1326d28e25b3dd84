// Where a number at the start of a script value ends, as the script manager
// reads it; the editor's highlighting uses the same rule for its UTF-16 text.
#pragma once

#include <cstddef>
#include <string_view>

// Separators before it, a sign, digits with at most one decimal point (one
// digit at least), and an exponent only when a digit follows its sign. The
// length includes the separators; 0 when no number starts the text.
template <typename Char, typename IsSeparator>
std::size_t ScriptRealLength(std::basic_string_view<Char> text, IsSeparator isSeparator)
{
    auto isDigit = [](Char c) { return c >= Char('0') && c <= Char('9'); };
    auto isSign = [](Char c) { return c == Char('+') || c == Char('-'); };
    std::size_t i = 0;
    while (i < text.size() && isSeparator(text[i]))
        ++i;
    if (i < text.size() && isSign(text[i]))
        ++i;
    bool digit = false;
    for (; i < text.size() && isDigit(text[i]); ++i)
        digit = true;
    if (i < text.size() && text[i] == Char('.')) {
        ++i;
        for (; i < text.size() && isDigit(text[i]); ++i)
            digit = true;
    }
    if (!digit)
        return 0;
    if (i < text.size() && (text[i] == Char('e') || text[i] == Char('E'))) {
        std::size_t j = i + 1;
        if (j < text.size() && isSign(text[j]))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}
