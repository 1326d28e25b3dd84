// Records for the type-editing tests, filled by the tests' own code.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "ParticleSystem.h"

inline void SetText(char (&field)[kParticleTextSize], const std::string &text)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), text.size());
}

// Defaults record whose entries differ by position: lifetime 100 + k.
inline ParticleSystem MakeDefaults()
{
    ParticleSystem rec;
    std::memset(&rec, 0, sizeof rec);
    rec.particles = 100;
    rec.typeCount = 1;
    SetText(rec.maintype, "default");
    for (int k = 0; k < kMaxParticleTypes; ++k) {
        ParticleType &t = rec.types[k];
        SetText(t.name, "default");
        t.lifetime.supported = 1;
        t.lifetime.present = k > 0;
        t.lifetime.min = t.lifetime.max = 100 + k;
        SetText(t.rendermode.text, "kRenderTransAdd");
    }
    return rec;
}

// Document with the given names; entry k carries gravity 10 + k, a sprite
// "sprites/<name>.spr", and sprays the next type.
inline ParticleSystem MakeDocument(const std::vector<std::string> &names, const std::string &main)
{
    ParticleSystem rec = MakeDefaults();
    rec.typeCount = static_cast<int32_t>(names.size());
    SetText(rec.maintype, main);
    for (size_t k = 0; k < names.size(); ++k) {
        ParticleType &t = rec.types[k];
        SetText(t.name, names[k]);
        t.gravity.present = 1;
        t.gravity.min = t.gravity.max = 10.0 + static_cast<double>(k);
        t.sprite.present = 1;
        SetText(t.sprite.text, "sprites/" + names[k] + ".spr");
        if (k + 1 < names.size()) {
            t.spraytype.present = 1;
            SetText(t.spraytype.text, names[k + 1]);
        }
    }
    return rec;
}

// Entry a equals entry b in every byte after the name.
inline bool SameBody(const ParticleType &a, const ParticleType &b)
{
    return std::memcmp(reinterpret_cast<const char *>(&a) + kParticleTextSize,
                       reinterpret_cast<const char *>(&b) + kParticleTextSize,
                       sizeof(ParticleType) - kParticleTextSize) == 0;
}

inline bool SameEntry(const ParticleType &a, const ParticleType &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
