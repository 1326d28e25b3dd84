// The manager's default fill and the starting effect of a new document.
#pragma once

#include <cstddef>

#include "ParticleSystem.h"

namespace nbs {

// Copies at most 255 characters of source (up to its NUL or sourceLength,
// whichever comes first) into a text buffer and NUL-terminates it.
void CopyText(char (&target)[kParticleTextSize], const char *source, std::size_t sourceLength);
void CopyText(char (&target)[kParticleTextSize], const char *source);

// Length of a record's text, never looking past its buffer even when a
// damaged record lacks the NUL; at most 255.
std::size_t TextLength(const char (&text)[kParticleTextSize]);

void FillDefaults(ParticleSystem &record);
void FillNewParticles(ParticleSystem &record, const char *sprite);

}  // namespace nbs
