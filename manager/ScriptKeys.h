// The keys of a type section, in the order the writer puts them out.
#pragma once

#include <cstddef>

#include "ParticleSystem.h"

namespace nbs {

enum class KeyKind {
    Text,           // copied as it stands
    RenderMode,     // a script word for a RenderMode name
    DrawCondition,  // a script word for one of the six content conditions
    KillCondition,  // a script word for one of the first three
    Vector,         // "offset"
    Range,
};

struct SectionKey {
    const char *key;
    KeyKind kind;
    ParamText ParticleType::*text;
    ParamRange ParticleType::*range;
};

inline constexpr std::size_t kSectionKeyCount = 34;
extern const SectionKey kSectionKeys[kSectionKeyCount];

// The script's words for the record texts of the RenderMode, DrawCondition and
// KillCondition keys, both ways. An unknown word reads as "kRenderTransAdd" or
// as the empty text; an unknown text writes as "additive" or as nothing.
const char *NameForWord(KeyKind kind, const char *word, std::size_t length);
const char *WordForName(KeyKind kind, const char *name);

// True when the word is one of the script words of the kind (an unknown word
// is read as the kind's fallback).
bool IsScriptWord(KeyKind kind, const char *word, std::size_t length);

// ASCII letters compared without regard to case; nothing else is folded.
bool EqualsIgnoreCase(const char *a, std::size_t aLength, const char *b);

}  // namespace nbs
