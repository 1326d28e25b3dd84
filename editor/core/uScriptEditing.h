// Text edits of the script pane that need no widget: commenting lines in and
// out, and whether a regenerated text may keep the cursor where it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Comments the lines out with "// " at their common indentation, or, when
// every line that is not blank already begins with a comment, removes the
// first "//" of each (and one blank after it). Blank lines stay as they are.
std::vector<std::u16string> ToggleLineComments(const std::vector<std::u16string> &lines);

// The cursor position to keep after the pane's text is replaced: the old
// position when the text before it is the same in both, else nothing.
std::optional<int> KeptCursorPosition(std::u16string_view oldText, std::u16string_view newText, int cursor);
