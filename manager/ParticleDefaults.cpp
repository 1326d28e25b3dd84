#include "ParticleDefaults.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "RecordText.h"
#include "ScriptKeys.h"

namespace nbs {

namespace {

void SetRange(ParamRange &range, double min, double max, bool present)
{
    range.min = min;
    range.max = max;
    if (present)
        range.present = 1;
}

}  // namespace

void CopyText(char (&target)[kParticleTextSize], const char *source, std::size_t sourceLength)
{
    CopyRecordText(target, source != nullptr ? std::string_view(source, ::strnlen(source, sourceLength))
                                             : std::string_view());
}

void CopyText(char (&target)[kParticleTextSize], const char *source)
{
    CopyText(target, source, kParticleTextSize - 1);
}

std::size_t TextLength(const char (&text)[kParticleTextSize])
{
    return std::min(RecordText(text).size(), std::size_t{kParticleTextSize - 1});
}

void FillDefaults(ParticleSystem &record)
{
    std::memset(&record, 0, sizeof record);
    record.particles = 100;
    record.typeCount = 1;
    record.attachment.supported = 1;
    CopyText(record.maintype, "default");

    for (int k = 0; k < kMaxParticleTypes; ++k) {
        ParticleType &type = record.types[k];
        // Entry 0 is a blank type; the others are templates for new types and
        // carry their colours, alphas, angle, lifetime and render mode.
        const bool templ = k > 0;
        CopyText(type.name, "default");
        type.offset.supported = 1;
        for (const SectionKey &key : kSectionKeys) {
            if (key.text != nullptr)
                (type.*key.text).supported = 1;
            if (key.range != nullptr)
                (type.*key.range).supported = 1;
        }
        CopyText(type.rendermode.text, RenderMode::kRenderTransAdd);
        if (templ)
            type.rendermode.present = 1;
        for (ParamRange ParticleType::*colour :
             {&ParticleType::startalpha, &ParticleType::endalpha, &ParticleType::startred,
              &ParticleType::endred, &ParticleType::startgreen, &ParticleType::endgreen,
              &ParticleType::startblue, &ParticleType::endblue}) {
            SetRange(type.*colour, 1.0, 1.0, templ);
        }
        SetRange(type.startangle, 45.0, 45.0, templ);
        SetRange(type.lifetime, 4.0, 4.0, templ);
    }
}

void FillNewParticles(ParticleSystem &record, const char *sprite)
{
    FillDefaults(record);
    record.particles = 40;
    record.typeCount = 2;
    CopyText(record.maintype, "emitter");

    ParticleType &emitter = record.types[0];
    CopyText(emitter.name, "emitter");
    emitter.spraytype.present = 1;
    CopyText(emitter.spraytype.text, "particle");
    SetRange(emitter.sprayrate, 10.0, 10.0, true);

    ParticleType &particle = record.types[1];
    CopyText(particle.name, "particle");
    SetRange(particle.gravity, 70.0, 70.0, true);
    SetRange(particle.startsize, 10.0, 10.0, true);
    SetRange(particle.endsize, 100.0, 100.0, true);
    SetRange(particle.startangle, 0.0, 360.0, true);
    SetRange(particle.angledelta, -40.0, 40.0, true);
    SetRange(particle.endalpha, 0.0, 0.0, true);

    if (sprite != nullptr && sprite[0] != '\0') {
        particle.sprite.present = 1;
        CopyText(particle.sprite.text, sprite);
        CopyText(particle.rendermode.text, RenderMode::kRenderTransAdd);
    } else {
        CopyText(particle.rendermode.text, RenderMode::kRenderTransColor);
    }
}

}  // namespace nbs
