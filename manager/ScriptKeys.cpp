#include "ScriptKeys.h"

#include <cstring>
#include <span>

#include "AsciiCase.h"

namespace nbs {

namespace {

constexpr SectionKey TextKey(const char *key, KeyKind kind, ParamText ParticleType::*text)
{
    return SectionKey{key, kind, text, nullptr};
}

constexpr SectionKey RangeKey(const char *key, ParamRange ParticleType::*range)
{
    return SectionKey{key, KeyKind::Range, nullptr, range};
}

struct ScriptWord {
    const char *word;
    const char *name;
};

// The first entry also stands for every word and text not listed.
constexpr ScriptWord kRenderModeWords[] = {
    {"additive", RenderMode::kRenderTransAdd},
    {"solid", RenderMode::kRenderTransAlpha},
    {"texture", RenderMode::kRenderTransTexture},
    {"color", RenderMode::kRenderTransColor},
};

// Kill conditions take the first three only. Where two words share a text
// the first is the one written.
constexpr ScriptWord kConditionWords[] = {
    {"empty", ContentCondition::CONTENT_EMPTY},       {"water", ContentCondition::CONTENT_WATER},
    {"solid", ContentCondition::CONTENT_SOLID},       {"special", ContentCondition::CONTENT_SPECIAL1},
    {"special1", ContentCondition::CONTENT_SPECIAL1}, {"special2", ContentCondition::CONTENT_SPECIAL2},
    {"special3", ContentCondition::CONTENT_SPECIAL3},
};
constexpr std::size_t kKillConditionWordCount = 3;

constexpr ScriptWord kNoWord = {"", ""};

std::span<const ScriptWord> WordsOf(KeyKind kind)
{
    switch (kind) {
    case KeyKind::RenderMode: return kRenderModeWords;
    case KeyKind::DrawCondition: return kConditionWords;
    case KeyKind::KillCondition: return std::span(kConditionWords).first(kKillConditionWordCount);
    default: return {};
    }
}

const ScriptWord &UnlistedOf(KeyKind kind)
{
    return kind == KeyKind::RenderMode ? kRenderModeWords[0] : kNoWord;
}

}  // namespace

const SectionKey kSectionKeys[kSectionKeyCount] = {
    TextKey("spraytype", KeyKind::Text, &ParticleType::spraytype),
    TextKey("overlaytype", KeyKind::Text, &ParticleType::overlaytype),
    RangeKey("sprayforce", &ParticleType::sprayforce),
    RangeKey("spraypitch", &ParticleType::spraypitch),
    RangeKey("sprayyaw", &ParticleType::sprayyaw),
    RangeKey("sprayrate", &ParticleType::sprayrate),
    RangeKey("windstrength", &ParticleType::windstrength),
    RangeKey("windyaw", &ParticleType::windyaw),
    SectionKey{"offset", KeyKind::Vector, nullptr, nullptr},
    RangeKey("startsize", &ParticleType::startsize),
    RangeKey("endsize", &ParticleType::endsize),
    RangeKey("sizedelta", &ParticleType::sizedelta),
    RangeKey("startangle", &ParticleType::startangle),
    RangeKey("angledelta", &ParticleType::angledelta),
    RangeKey("startframe", &ParticleType::startframe),
    RangeKey("endframe", &ParticleType::endframe),
    RangeKey("framerate", &ParticleType::framerate),
    RangeKey("lifetime", &ParticleType::lifetime),
    TextKey("sprite", KeyKind::Text, &ParticleType::sprite),
    TextKey("rendermode", KeyKind::RenderMode, &ParticleType::rendermode),
    RangeKey("startred", &ParticleType::startred),
    RangeKey("endred", &ParticleType::endred),
    RangeKey("startgreen", &ParticleType::startgreen),
    RangeKey("endgreen", &ParticleType::endgreen),
    RangeKey("startblue", &ParticleType::startblue),
    RangeKey("endblue", &ParticleType::endblue),
    RangeKey("startalpha", &ParticleType::startalpha),
    RangeKey("endalpha", &ParticleType::endalpha),
    TextKey("drawcondition", KeyKind::DrawCondition, &ParticleType::drawcondition),
    RangeKey("gravity", &ParticleType::gravity),
    RangeKey("bounce", &ParticleType::bounce),
    RangeKey("bouncefriction", &ParticleType::bouncefriction),
    RangeKey("drag", &ParticleType::drag),
    TextKey("killcondition", KeyKind::KillCondition, &ParticleType::killcondition),
};

const char *NameForWord(KeyKind kind, const char *word, std::size_t length)
{
    for (const ScriptWord &w : WordsOf(kind)) {
        if (EqualsIgnoreCase(word, length, w.word))
            return w.name;
    }
    return UnlistedOf(kind).name;
}

bool IsScriptWord(KeyKind kind, const char *word, std::size_t length)
{
    for (const ScriptWord &w : WordsOf(kind)) {
        if (EqualsIgnoreCase(word, length, w.word))
            return true;
    }
    return false;
}

const char *WordForName(KeyKind kind, const char *name)
{
    for (const ScriptWord &w : WordsOf(kind)) {
        if (std::strcmp(name, w.name) == 0)
            return w.word;
    }
    return UnlistedOf(kind).word;
}

bool EqualsIgnoreCase(const char *a, std::size_t aLength, const char *b)
{
    return EqualIgnoringAsciiCase({a, aLength}, b);
}

}  // namespace nbs
