#include "ScriptReader.h"

#include <cstring>

#include "NumberFormat.h"
#include "ParticleDefaults.h"
#include "ScriptKeys.h"

namespace nbs {

namespace {

bool IsSingleCharToken(char c)
{
    return c == '{' || c == '}' || c == '(' || c == ')' || c == '\'' || c == ':';
}

bool StartsComment(const ScriptCursor &cursor)
{
    if (cursor.end - cursor.pos < 2)
        return false;
    const char c = cursor.pos[0];
    return (c == '/' || c == '\\') && cursor.pos[1] == c;
}

void Append(Token &token, char c)
{
    if (token.length < kTokenBufferSize - 1)
        token.text[token.length++] = c;
}

bool Is(const Token &token, const char *word)
{
    return EqualsIgnoreCase(token.text, token.length, word);
}

// A key's value: the next token, or the empty text at the end of the text.
void TakeValue(ScriptCursor &cursor, Token &value)
{
    if (!NextToken(cursor, value)) {
        value.length = 0;
        value.text[0] = '\0';
    }
}

void SetText(ParamText &param, const char *text)
{
    param.present = 1;
    CopyText(param.text, text);
}

// "offset" takes numbers from the tokens after it for as long as they begin
// with a number, three at most: one quoted token "x y z" as the writer puts
// it, or three number tokens. The key after the numbers is left alone.
void ReadOffset(ScriptCursor &cursor, ParamVector &offset, Token &token)
{
    double coordinates[3] = {0.0, 0.0, 0.0};
    int count = 0;
    while (count < 3) {
        ScriptCursor ahead = cursor;
        if (!NextToken(ahead, token) || !StartsWithNumber(token.view()))
            break;
        cursor = ahead;
        std::size_t i = 0;
        while (count < 3 && i < token.length) {
            while (i < token.length && IsSeparator(token.text[i]))
                ++i;
            if (i == token.length)
                break;
            const std::size_t start = i;
            while (i < token.length && !IsSeparator(token.text[i]))
                ++i;
            coordinates[count++] = ReadReal(token.view().substr(start, i - start));
        }
    }
    offset.present = 1;
    offset.x = coordinates[0];
    offset.y = coordinates[1];
    offset.z = coordinates[2];
}

const SectionKey *FindSectionKey(const Token &token)
{
    for (const SectionKey &key : kSectionKeys) {
        if (Is(token, key.key))
            return &key;
    }
    return nullptr;
}

}  // namespace

void SkipToToken(ScriptCursor &cursor)
{
    for (;;) {
        while (cursor.pos < cursor.end && IsSeparator(*cursor.pos))
            ++cursor.pos;
        if (cursor.pos >= cursor.end || !StartsComment(cursor))
            return;
        const void *lineFeed = std::memchr(cursor.pos, '\n',
                                           static_cast<std::size_t>(cursor.end - cursor.pos));
        cursor.pos = lineFeed != nullptr ? static_cast<const char *>(lineFeed) : cursor.end;
    }
}

bool NextToken(ScriptCursor &cursor, Token &token)
{
    token.length = 0;
    token.text[0] = '\0';
    SkipToToken(cursor);
    if (cursor.pos >= cursor.end)
        return false;

    const char first = *cursor.pos;
    if (first == '"') {
        ++cursor.pos;
        while (cursor.pos < cursor.end && *cursor.pos != '"')
            Append(token, *cursor.pos++);
        if (cursor.pos < cursor.end)
            ++cursor.pos;  // the closing quote
    } else if (IsSingleCharToken(first)) {
        Append(token, first);
        ++cursor.pos;
    } else {
        while (cursor.pos < cursor.end && !IsSeparator(*cursor.pos) && !IsSingleCharToken(*cursor.pos))
            Append(token, *cursor.pos++);
    }
    token.text[token.length] = '\0';
    return true;
}

void ParseRange(std::string_view text, ParamRange &range)
{
    const std::size_t dots = text.find("..");
    if (dots == std::string_view::npos) {
        range.min = range.max = ReadReal(text);
    } else {
        range.min = ReadReal(text.substr(0, dots));
        range.max = ReadReal(text.substr(dots + 2));
    }
}

void ReadTypeSection(ScriptCursor &cursor, ParticleType &type)
{
    Token token;
    Token value;
    while (NextToken(cursor, token)) {
        if (Is(token, "}"))
            return;
        if (Is(token, "name")) {
            TakeValue(cursor, value);
            CopyText(type.name, value.text, value.length);
            continue;
        }
        const SectionKey *key = FindSectionKey(token);
        if (key == nullptr)
            continue;  // unknown: the next token is examined as a key
        if (key->kind == KeyKind::Vector) {
            ReadOffset(cursor, type.offset, value);
            continue;
        }
        TakeValue(cursor, value);
        switch (key->kind) {
        case KeyKind::Text:
            (type.*key->text).present = 1;
            CopyText((type.*key->text).text, value.text, value.length);
            break;
        case KeyKind::RenderMode:
        case KeyKind::DrawCondition:
        case KeyKind::KillCondition:
            SetText(type.*key->text, NameForWord(key->kind, value.text, value.length));
            break;
        case KeyKind::Range:
            (type.*key->range).present = 1;
            ParseRange(value.view(), type.*key->range);
            break;
        case KeyKind::Vector: break;
        }
    }
}

void ParseScript(const char *text, std::size_t length, ParticleSystem &record)
{
    FillDefaults(record);
    record.typeCount = 0;

    ScriptCursor cursor{text, text + length};
    Token token;
    Token value;
    // Sections past the tenth are read here and dropped, so that reading
    // goes on after them as after any other.
    static_assert(sizeof(ParticleType) < 4096, "spare entry lives on the stack");
    ParticleType spare;
    while (NextToken(cursor, token)) {
        if (Is(token, "particles")) {
            TakeValue(cursor, value);
            record.particles = ReadInteger(value.view());
        } else if (Is(token, "attachment")) {
            TakeValue(cursor, value);
            record.attachment.present = 1;
            record.attachment.value = ReadInteger(value.view());
        } else if (Is(token, "maintype")) {
            TakeValue(cursor, value);
            CopyText(record.maintype, value.text, value.length);
        } else if (Is(token, "{")) {
            if (record.typeCount < kMaxParticleTypes) {
                ReadTypeSection(cursor, record.types[record.typeCount]);
                ++record.typeCount;
            } else {
                spare = record.types[kMaxParticleTypes - 1];
                ReadTypeSection(cursor, spare);
            }
        }
    }
}

}  // namespace nbs
