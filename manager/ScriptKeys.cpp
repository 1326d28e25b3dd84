#include "ScriptKeys.h"

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

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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

bool EqualsIgnoreCase(const char *a, std::size_t aLength, const char *b)
{
    std::size_t i = 0;
    for (; i < aLength; ++i) {
        if (b[i] == '\0' || LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return b[i] == '\0';
}

}  // namespace nbs
