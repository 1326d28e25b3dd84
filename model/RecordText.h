// The record's texts are char arrays of kParticleTextSize bytes: a text ends
// at the first NUL or at the end of the array, whichever comes first, so a
// field that a plug-in filled to the last byte is read without running past it.
#pragma once

#include <cstring>
#include <string_view>

#include "ParticleSystem.h"

// The text held in a field (or any buffer) of kParticleTextSize bytes.
inline std::string_view RecordText(const char *field)
{
    return {field, ::strnlen(field, kParticleTextSize)};
}

// Stores text in a field of kParticleTextSize bytes, cut to 255 bytes; the
// rest of the field is zeroed, so that records with the same texts hold the
// same bytes whatever the fields held before.
inline void CopyRecordText(char *field, std::string_view text)
{
    constexpr std::size_t kLongest = kParticleTextSize - 1;
    const std::size_t n = text.size() < kLongest ? text.size() : kLongest;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, kParticleTextSize - n);
}
