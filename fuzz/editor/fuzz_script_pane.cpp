// Feeds arbitrary text to the script pane's logic: the lexer line by line
// (its tokens must stay inside the line and in order, and its packed state
// must come back unchanged), the places of findings, completion at every
// column, comment toggling twice, and the reading of a manager's check
// report and key list, which come from a plug-in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "uScriptEditing.h"
#include "uScriptFindings.h"
#include "uScriptLexer.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const ScriptKeySet keys = ParseScriptKeyList(bytes.substr(0, std::min<std::size_t>(size, 200)));
    const ScriptKeySet known = ParseScriptKeyList(
        "header particles\nheader maintype\ntype name\ntype offset\n"
        "type spraytype\ntype rendermode\ntype lifetime\n");

    // Pairs of bytes as UTF-16 units, so every unit value can turn up.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(u'\n', start);
        lines.push_back(text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start));
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }

    for (const ScriptKeySet *set : {&keys, &known}) {
        ScriptLineState state;
        std::vector<ScriptPosition> positions;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const std::u16string &line = lines[n];
            const ScriptLineState before = state;
            Check(ScriptLineState::Unpack(before.Pack()) == before);
            int last = 0;
            for (const ScriptToken &t : LexScriptLine(line, state, *set)) {
                Check(t.start >= last && t.length >= 0 &&
                      t.start + t.length <= static_cast<int>(line.size()));
                last = t.start + t.length;
            }
            for (int column = 0; column <= static_cast<int>(line.size()) && column < 64; ++column) {
                const ScriptCompletion c = CompleteAt(line, column, before, *set, {u"a", u"spark"});
                Check(c.start >= 0 && c.start <= column);
            }
            positions.push_back({static_cast<int>(n), static_cast<int>(line.size() / 2)});
        }
        Check(PlacesInScript(text, positions, *set).size() == positions.size());
        ScriptTypeNames(text, *set);
    }

    const std::vector<std::u16string> once = ToggleLineComments(lines);
    Check(once.size() == lines.size());
    ToggleLineComments(once);
    KeptCursorPosition(text, text.substr(0, text.size() / 2), static_cast<int>(size % 97));

    const std::vector<ScriptFinding> findings = ParseCheckReport(bytes);
    for (const ScriptFinding &f : findings)
        Check(f.line >= 1 && f.column >= 1 && f.message.find('\n') == std::string::npos);
    HoldsNoKey(findings);
    FindingsSummary(findings);
    std::vector<int> lengths;
    for (std::size_t i = 0; i < size && i < 64; ++i)
        lengths.push_back(1 + data[i] % 4);
    const int column = CharacterColumn(lengths, static_cast<int>(size));
    Check(column >= 1 && column <= static_cast<int>(lengths.size()) + 1);
    return 0;
}
