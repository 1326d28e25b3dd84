// Reads particle script text into a ParticleSystem record. Lenient: no
// syntax errors, unknown tokens skipped, missing values read as zero.
#pragma once

#include <cstddef>
#include <string_view>

#include "ParticleSystem.h"

namespace nbs {

// The reader's position in a text; the text itself is never changed.
struct ScriptCursor {
    const char *pos;
    const char *end;
};

inline constexpr std::size_t kTokenBufferSize = 1024;

struct Token {
    char text[kTokenBufferSize];  // NUL-terminated; longer tokens are cut to 1023 characters
    std::size_t length;

    std::string_view view() const { return {text, length}; }
};

// Moves past separators and comments to where the next token begins, or to
// the end of the text. NextToken begins with it; the checker uses it to learn
// where each token stands.
void SkipToToken(ScriptCursor &cursor);

// Cuts the next token out of the text. Returns false at the end of the text.
bool NextToken(ScriptCursor &cursor, Token &token);

// Reads one section into an entry, starting after its "{"; stops after the
// closing "}" or at the end of the text.
void ReadTypeSection(ScriptCursor &cursor, ParticleType &type);

// "a..b" gives a and b; any other text gives its number for both bounds.
void ParseRange(std::string_view text, ParamRange &range);

// Fills the record from the whole text: defaults first, then what the text
// gives. Never fails.
void ParseScript(const char *text, std::size_t length, ParticleSystem &record);

}  // namespace nbs
