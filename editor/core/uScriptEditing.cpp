#include "uScriptEditing.h"

#include <algorithm>

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

std::size_t Indentation(std::u16string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return i;
}

bool IsBlankLine(std::u16string_view line)
{
    return Indentation(line) == line.size();
}

bool StartsWithComment(std::u16string_view line)
{
    return line.substr(Indentation(line), 2) == u"//";
}

}  // namespace

std::vector<std::u16string> ToggleLineComments(const std::vector<std::u16string> &lines)
{
    bool allCommented = true;
    bool anyText = false;
    std::size_t indent = std::u16string::npos;
    for (const std::u16string &line : lines) {
        if (IsBlankLine(line))
            continue;
        anyText = true;
        allCommented = allCommented && StartsWithComment(line);
        indent = std::min(indent, Indentation(line));
    }
    if (!anyText)
        return lines;

    std::vector<std::u16string> out;
    out.reserve(lines.size());
    for (const std::u16string &line : lines) {
        if (IsBlankLine(line)) {
            out.push_back(line);
        } else if (allCommented) {
            const std::size_t at = Indentation(line);
            const std::size_t length = (at + 2 < line.size() && line[at + 2] == u' ') ? 3 : 2;
            out.push_back(line.substr(0, at) + line.substr(at + length));
        } else {
            out.push_back(line.substr(0, indent) + u"// " + line.substr(indent));
        }
    }
    return out;
}

std::optional<int> KeptCursorPosition(std::u16string_view oldText, std::u16string_view newText, int cursor)
{
    if (cursor < 0)
        return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(cursor);
    if (at > oldText.size() || at > newText.size() || oldText.substr(0, at) != newText.substr(0, at))
        return std::nullopt;
    return cursor;
}
