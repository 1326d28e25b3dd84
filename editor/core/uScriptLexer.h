// Cuts script text into tokens the way the manager's reader does, one line at
// a time, and says what each token is: a key (known to the manager or not), a
// value of some shape, a comment or a brace. The script pane highlights,
// completes and places findings with it. Text is UTF-16 as the pane holds it;
// every character from 0x80 up separates tokens, as its bytes do in the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ScriptTokenClass { Comment, Brace, Key, UnknownKey, String, Number, Range, Word };

// The manager's keys by scope, in lower case. Without a list from the manager
// every word where a key belongs is taken as a key.
struct ScriptKeySet {
    std::vector<std::string> header;
    std::vector<std::string> type;

    bool Known() const { return !header.empty() || !type.empty(); }
    bool IsKey(std::u16string_view word, bool inSection) const;
};

// Reads the "header KEY" and "type KEY" lines of the manager's key list.
ScriptKeySet ParseScriptKeyList(std::string_view list);

// What the next token is to the reader.
enum class ScriptExpect : uint8_t {
    Key,
    Value,         // of a key with a number, range or text value
    TypeName,      // of maintype, spraytype or overlaytype
    RenderWord,    // of rendermode
    DrawWord,      // of drawcondition
    KillWord,      // of killcondition
    Offset,        // numbers of offset, `offsetCount` taken so far
    AfterUnknown,  // the value of an ignored key, unless it is a key itself
};

// The reader's state between lines, packed into one int per line.
struct ScriptLineState {
    bool inQuote = false;  // a quoted token runs on from an earlier line
    bool inSection = false;
    ScriptExpect expect = ScriptExpect::Key;
    uint8_t offsetCount = 0;

    int Pack() const;
    static ScriptLineState Unpack(int packed);  // a negative value is the state at the start
    bool operator==(const ScriptLineState &) const = default;
};

struct ScriptToken {
    int start = 0;  // in the line, UTF-16 units
    int length = 0;
    ScriptTokenClass cls = ScriptTokenClass::Word;
    bool quoted = false;
    bool closed = true;  // a quoted token that ends on this line
    bool value = false;  // taken as the value of the key before it
    int section = 0;     // +1 opens a type section, -1 closes one
    // Set on the token that was a key: its lower-case name.
    std::string key;
};

// The tokens of one line; `state` goes in as the state at the line's start
// and comes out as the state at its end.
std::vector<ScriptToken> LexScriptLine(std::u16string_view line, ScriptLineState &state,
                                       const ScriptKeySet &keys);

// The key and type section a place of the text belongs to.
struct ScriptPlace {
    int section = -1;  // -1 the top level, else the number of the type section from 0
    std::string key;   // lower-case key whose key or value stands there; empty for none
};

// Places of several positions (line and column from 0, UTF-16 units), given
// in any order; one pass over the text.
struct ScriptPosition {
    int line = 0;
    int column = 0;
};
std::vector<ScriptPlace> PlacesInScript(std::u16string_view text,
                                        const std::vector<ScriptPosition> &positions,
                                        const ScriptKeySet &keys);

// Names given by the "name" keys of the type sections, in order, each once.
std::vector<std::u16string> ScriptTypeNames(std::u16string_view text, const ScriptKeySet &keys);

// What to offer at a cursor: the candidates that begin with the text typed
// from `start` to the cursor, ignoring letter case.
struct ScriptCompletion {
    int start = 0;  // column where the completed word begins
    std::u16string typed;
    std::vector<std::u16string> candidates;
};
ScriptCompletion CompleteAt(std::u16string_view line, int column, ScriptLineState lineStart,
                            const ScriptKeySet &keys, const std::vector<std::u16string> &typeNames);

bool IsScriptSeparator(char16_t c);
std::u16string ToU16(std::string_view ascii);
