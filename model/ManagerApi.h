// The binary interface of a manager plug-in: a shared library that converts
// between one script format and the particle record. Results are 1 for
// success or yes and 0 for failure or no; hosts test only the low byte.
#pragma once

#include <cstdint>

#include "ParticleSystem.h"

#ifndef EMB_EXPORT
#define EMB_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
EMB_EXPORT int32_t embGetSupportedExtensions(char *buffer);
EMB_EXPORT int32_t embIsExtensionSupported(const char *extension);
EMB_EXPORT int32_t embGetManagerTitle(char *buffer);
EMB_EXPORT int32_t embIsText(void);
EMB_EXPORT int32_t embGetUserParmName(int32_t index, char *buffer);
EMB_EXPORT int32_t embLoadFile(const char *fileName, ParticleSystem *rec);
EMB_EXPORT int32_t embLoadMemoryFile(const char *text, ParticleSystem *rec);
EMB_EXPORT int32_t embSaveFile(const char *fileName, const char *header, const ParticleSystem *rec);
EMB_EXPORT int32_t embSaveMemoryFile(char *buffer, int32_t size, const char *header,
                                     const ParticleSystem *rec);
EMB_EXPORT int32_t embGetDefaults(ParticleSystem *rec);
EMB_EXPORT int32_t embNewParticles(ParticleSystem *rec, const char *sprite);
}

// Function-pointer types for hosts that bind the exports by name.
using embGetSupportedExtensionsFn = int32_t (*)(char *);
using embIsExtensionSupportedFn = int32_t (*)(const char *);
using embGetManagerTitleFn = int32_t (*)(char *);
using embIsTextFn = int32_t (*)(void);
using embGetUserParmNameFn = int32_t (*)(int32_t, char *);
using embLoadFileFn = int32_t (*)(const char *, ParticleSystem *);
using embLoadMemoryFileFn = int32_t (*)(const char *, ParticleSystem *);
using embSaveFileFn = int32_t (*)(const char *, const char *, const ParticleSystem *);
using embSaveMemoryFileFn = int32_t (*)(char *, int32_t, const char *, const ParticleSystem *);
using embGetDefaultsFn = int32_t (*)(ParticleSystem *);
using embNewParticlesFn = int32_t (*)(ParticleSystem *, const char *);

// Buffer sizes that hosts hand to the exports.
inline constexpr int32_t kManagerNameBufferSize = 256;
inline constexpr int32_t kScriptMemoryBufferSize = 8192;
