// Letter case as the record's names and the game's file names compare: only
// the ASCII letters A to Z fold, every other byte compares as it is, whatever
// the locale.
#pragma once

#include <string_view>

// For bytes and for UTF-16 code units alike.
template <typename Char>
constexpr Char LowerAscii(Char c)
{
    return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

inline constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}
