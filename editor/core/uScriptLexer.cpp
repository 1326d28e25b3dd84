#include "uScriptLexer.h"

#include <algorithm>
#include <numeric>

#include "AsciiCase.h"
#include "ScriptNumber.h"

namespace {

bool SameIgnoringCase(std::u16string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != static_cast<char16_t>(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool StartsIgnoringCase(std::u16string_view text, std::u16string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(text[i]) != LowerAscii(prefix[i]))
            return false;
    }
    return true;
}

std::string AsciiKey(std::u16string_view word)
{
    std::string out;
    out.reserve(word.size());
    for (char16_t c : word)
        out.push_back(c < 0x80 ? static_cast<char>(LowerAscii(c)) : '?');
    return out;
}

bool IsSingleCharToken(char16_t c)
{
    return c == u'{' || c == u'}' || c == u'(' || c == u')' || c == u'\'' || c == u':';
}

bool LooksLikeKey(std::u16string_view word)
{
    if (word.empty())
        return false;
    const char16_t c = LowerAscii(word[0]);
    return (c >= u'a' && c <= u'z') || c == u'_';
}

// Bytes of the leading number as the reader takes it, separators before it
// included; 0 for none.
std::size_t NumberLength(std::u16string_view text)
{
    return ScriptRealLength(text, IsScriptSeparator);
}

bool IsWholeNumber(std::u16string_view text)
{
    const std::size_t n = NumberLength(text);
    return n > 0 && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(n), text.end(), IsScriptSeparator);
}

bool IsRange(std::u16string_view text)
{
    const std::size_t dots = text.find(u"..");
    return dots != std::u16string_view::npos && IsWholeNumber(text.substr(0, dots)) &&
           IsWholeNumber(text.substr(dots + 2));
}

int CountNumbers(std::u16string_view text)
{
    int count = 0;
    bool inWord = false;
    for (char16_t c : text) {
        const bool separator = IsScriptSeparator(c);
        if (!separator && !inWord)
            ++count;
        inWord = !separator;
    }
    return count;
}

bool IsBrace(std::u16string_view content)
{
    return content == u"{" || content == u"}";
}

ScriptTokenClass ValueClass(std::u16string_view content, bool quoted)
{
    if (IsWholeNumber(content))
        return ScriptTokenClass::Number;
    if (IsRange(content))
        return ScriptTokenClass::Range;
    if (!quoted && IsBrace(content))
        return ScriptTokenClass::Brace;
    return quoted ? ScriptTokenClass::String : ScriptTokenClass::Word;
}

ScriptExpect ExpectAfter(const std::string &key)
{
    if (key == "offset")
        return ScriptExpect::Offset;
    if (key == "maintype" || key == "spraytype" || key == "overlaytype")
        return ScriptExpect::TypeName;
    if (key == "rendermode")
        return ScriptExpect::RenderWord;
    if (key == "drawcondition")
        return ScriptExpect::DrawWord;
    if (key == "killcondition")
        return ScriptExpect::KillWord;
    return ScriptExpect::Value;
}

void KeyPosition(ScriptToken &t, std::u16string_view content, ScriptLineState &st, const ScriptKeySet &keys)
{
    if (content == u"{") {
        t.cls = ScriptTokenClass::Brace;
        if (!st.inSection) {
            st.inSection = true;
            t.section = 1;
        }
        return;
    }
    if (content == u"}") {
        t.cls = ScriptTokenClass::Brace;
        if (st.inSection) {
            st.inSection = false;
            t.section = -1;
        }
        return;
    }
    const bool known = keys.Known() ? keys.IsKey(content, st.inSection) : LooksLikeKey(content);
    if (known) {
        t.cls = ScriptTokenClass::Key;
        t.key = AsciiKey(content);
        st.expect = ExpectAfter(t.key);
        st.offsetCount = 0;
    } else if (LooksLikeKey(content)) {
        t.cls = ScriptTokenClass::UnknownKey;
        st.expect = ScriptExpect::AfterUnknown;
    } else {
        t.cls = ValueClass(content, t.quoted);  // a stray value, ignored by itself
    }
}

void Classify(ScriptToken &t, std::u16string_view content, ScriptLineState &st, const ScriptKeySet &keys)
{
    switch (st.expect) {
    case ScriptExpect::Value:
    case ScriptExpect::TypeName:
    case ScriptExpect::RenderWord:
    case ScriptExpect::DrawWord:
    case ScriptExpect::KillWord:
        // The reader takes the next token whatever it is, a brace included.
        t.cls = ValueClass(content, t.quoted);
        t.value = true;
        st.expect = ScriptExpect::Key;
        return;
    case ScriptExpect::Offset:
        if (NumberLength(content) > 0) {
            t.cls = ScriptTokenClass::Number;
            t.value = true;
            st.offsetCount = static_cast<uint8_t>(std::min(3, st.offsetCount + CountNumbers(content)));
            if (st.offsetCount >= 3) {
                st.expect = ScriptExpect::Key;
                st.offsetCount = 0;
            }
            return;
        }
        st.expect = ScriptExpect::Key;
        st.offsetCount = 0;
        break;
    case ScriptExpect::AfterUnknown:
        st.expect = ScriptExpect::Key;
        if (!IsBrace(content) && !keys.IsKey(content, st.inSection)) {
            t.cls = ValueClass(content, t.quoted);
            t.value = true;
            return;
        }
        break;
    case ScriptExpect::Key: break;
    }
    KeyPosition(t, content, st, keys);
}

// The text of a token without its quotes.
std::u16string_view Content(std::u16string_view line, const ScriptToken &t)
{
    if (!t.quoted)
        return line.substr(static_cast<std::size_t>(t.start), static_cast<std::size_t>(t.length));
    const int inner = t.length - (t.closed ? 2 : 1);
    return line.substr(static_cast<std::size_t>(t.start + 1), static_cast<std::size_t>(std::max(inner, 0)));
}

std::vector<std::u16string_view> Lines(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::vector<std::u16string> Words(std::initializer_list<const char *> words)
{
    std::vector<std::u16string> out;
    for (const char *w : words)
        out.push_back(ToU16(w));
    return out;
}

}  // namespace

bool IsScriptSeparator(char16_t c)
{
    return c <= 0x20 || c >= 0x80;
}

std::u16string ToU16(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

bool ScriptKeySet::IsKey(std::u16string_view word, bool inSection) const
{
    const std::vector<std::string> &scope = inSection ? type : header;
    return std::any_of(scope.begin(), scope.end(),
                       [word](const std::string &k) { return SameIgnoringCase(word, k); });
}

ScriptKeySet ParseScriptKeyList(std::string_view list)
{
    ScriptKeySet keys;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\n', start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string_view line = list.substr(start, end - start);
        start = end + 1;
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos || blank + 1 >= line.size())
            continue;
        std::string key(line.substr(blank + 1));
        std::transform(key.begin(), key.end(), key.begin(),
                       [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
        if (line.substr(0, blank) == "header")
            keys.header.push_back(std::move(key));
        else if (line.substr(0, blank) == "type")
            keys.type.push_back(std::move(key));
    }
    return keys;
}

int ScriptLineState::Pack() const
{
    return (inQuote ? 1 : 0) | (inSection ? 2 : 0) | (static_cast<int>(expect) << 2) | (offsetCount << 6);
}

ScriptLineState ScriptLineState::Unpack(int packed)
{
    ScriptLineState st;
    if (packed < 0)
        return st;
    st.inQuote = (packed & 1) != 0;
    st.inSection = (packed & 2) != 0;
    st.expect = static_cast<ScriptExpect>((packed >> 2) & 0xF);
    st.offsetCount = static_cast<uint8_t>((packed >> 6) & 3);
    return st;
}

std::vector<ScriptToken> LexScriptLine(std::u16string_view line, ScriptLineState &st,
                                       const ScriptKeySet &keys)
{
    std::vector<ScriptToken> tokens;
    const std::size_t n = line.size();
    std::size_t i = 0;
    if (st.inQuote) {
        // The rest of a quoted token; its role was settled where it began.
        ScriptToken t;
        t.cls = ScriptTokenClass::String;
        t.quoted = true;
        const std::size_t close = line.find(u'"');
        t.closed = close != std::u16string_view::npos;
        i = t.closed ? close + 1 : n;
        t.length = static_cast<int>(i);
        st.inQuote = !t.closed;
        tokens.push_back(std::move(t));
    }
    while (i < n) {
        while (i < n && IsScriptSeparator(line[i]))
            ++i;
        if (i >= n)
            break;
        ScriptToken t;
        t.start = static_cast<int>(i);
        if ((line[i] == u'/' || line[i] == u'\\') && i + 1 < n && line[i + 1] == line[i]) {
            t.cls = ScriptTokenClass::Comment;
            t.length = static_cast<int>(n - i);
            tokens.push_back(std::move(t));
            break;
        }
        if (line[i] == u'"') {
            t.quoted = true;
            const std::size_t close = line.find(u'"', i + 1);
            t.closed = close != std::u16string_view::npos;
            i = t.closed ? close + 1 : n;
        } else if (IsSingleCharToken(line[i])) {
            ++i;
        } else {
            while (i < n && !IsScriptSeparator(line[i]) && !IsSingleCharToken(line[i]))
                ++i;
        }
        t.length = static_cast<int>(i) - t.start;
        Classify(t, Content(line, t), st, keys);
        if (!t.closed) {
            // A quoted token that runs on: shown as text on every line it spans.
            if (t.cls != ScriptTokenClass::Key)
                t.cls = ScriptTokenClass::String;
            st.inQuote = true;
        }
        tokens.push_back(std::move(t));
    }
    return tokens;
}

std::vector<ScriptPlace> PlacesInScript(std::u16string_view text,
                                        const std::vector<ScriptPosition> &positions,
                                        const ScriptKeySet &keys)
{
    std::vector<ScriptPlace> places(positions.size());
    std::vector<std::size_t> order(positions.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&positions](std::size_t a, std::size_t b) {
        return positions[a].line != positions[b].line ? positions[a].line < positions[b].line
                                                      : positions[a].column < positions[b].column;
    });

    ScriptLineState st;
    ScriptPlace current;  // the place of the last token passed
    std::string lastKey;
    int sections = 0;
    std::size_t next = 0;
    // Moves the current place past one token.
    auto pass = [&](const ScriptToken &t) {
        if (t.section > 0)
            current.section = sections++;
        else if (t.section < 0)
            current.section = -1;
        if (!t.key.empty())
            lastKey = t.key;
        current.key = !t.key.empty() ? t.key : (t.value ? lastKey : std::string());
    };
    const std::vector<std::u16string_view> lines = Lines(text);
    for (std::size_t lineNo = 0; lineNo < lines.size() && next < order.size(); ++lineNo) {
        const std::vector<ScriptToken> tokens = LexScriptLine(lines[lineNo], st, keys);
        std::size_t k = 0;
        while (next < order.size() && static_cast<std::size_t>(positions[order[next]].line) == lineNo) {
            const int column = positions[order[next]].column;
            for (; k < tokens.size() && tokens[k].start <= column; ++k)
                pass(tokens[k]);
            places[order[next++]] = current;
        }
        for (; k < tokens.size(); ++k)
            pass(tokens[k]);
    }
    return places;
}

std::vector<std::u16string> ScriptTypeNames(std::u16string_view text, const ScriptKeySet &keys)
{
    std::vector<std::u16string> names;
    ScriptLineState st;
    bool nameNext = false;
    for (std::u16string_view line : Lines(text)) {
        for (const ScriptToken &t : LexScriptLine(line, st, keys)) {
            if (t.value && nameNext && t.closed) {
                std::u16string name(Content(line, t));
                if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
                    names.push_back(std::move(name));
            }
            nameNext = t.key == "name";
        }
    }
    return names;
}

ScriptCompletion CompleteAt(std::u16string_view line, int column, ScriptLineState lineStart,
                            const ScriptKeySet &keys, const std::vector<std::u16string> &typeNames)
{
    ScriptCompletion completion;
    column = std::clamp(column, 0, static_cast<int>(line.size()));
    completion.start = column;
    if (lineStart.inQuote)
        return completion;
    const std::u16string_view before = line.substr(0, static_cast<std::size_t>(column));
    ScriptLineState st = lineStart;
    const std::vector<ScriptToken> tokens = LexScriptLine(before, st, keys);

    // The word under the cursor: a token that reaches it and may grow.
    int wordStart = column;
    if (!tokens.empty()) {
        const ScriptToken &last = tokens.back();
        const bool reaches = last.start + last.length == column;
        if (last.cls == ScriptTokenClass::Comment)
            return completion;
        if (reaches && last.quoted && !last.closed)
            wordStart = last.start;
        else if (reaches && !last.quoted && !IsSingleCharToken(line[static_cast<std::size_t>(last.start)]))
            wordStart = last.start;
        else if (last.quoted && last.closed && reaches)
            return completion;  // right after a closing quote
    }
    ScriptLineState at = lineStart;
    LexScriptLine(line.substr(0, static_cast<std::size_t>(wordStart)), at, keys);
    if (at.inQuote)
        return completion;
    const bool quoted = wordStart < column && line[static_cast<std::size_t>(wordStart)] == u'"';
    completion.start = wordStart + (quoted ? 1 : 0);
    completion.typed = std::u16string(line.substr(static_cast<std::size_t>(completion.start),
                                                  static_cast<std::size_t>(column - completion.start)));

    std::vector<std::u16string> offered;
    switch (at.expect) {
    case ScriptExpect::Key:
    case ScriptExpect::AfterUnknown:
        for (const std::string &key : at.inSection ? keys.type : keys.header)
            offered.push_back(ToU16(key));
        break;
    case ScriptExpect::TypeName: offered = typeNames; break;
    case ScriptExpect::RenderWord: offered = Words({"additive", "solid", "texture", "color"}); break;
    case ScriptExpect::DrawWord:
        offered = Words({"empty", "water", "solid", "special", "special2", "special3"});
        break;
    case ScriptExpect::KillWord: offered = Words({"empty", "water", "solid"}); break;
    case ScriptExpect::Value:
    case ScriptExpect::Offset: break;
    }
    for (std::u16string &candidate : offered) {
        if (StartsIgnoringCase(candidate, completion.typed) && candidate.size() > completion.typed.size())
            completion.candidates.push_back(std::move(candidate));
    }
    return completion;
}
