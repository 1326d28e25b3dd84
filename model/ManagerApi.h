// The binary interface of a manager plug-in: a shared library that converts
// between one script format and the particle record. Results are 1 for
// success or yes and 0 for failure or no; hosts read them with PluginYes.
#pragma once

#include <cstdint>

#include "ParticleSystem.h"
#include "PluginResult.h"

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

// Optional exports: a host binds them when present and does without the
// features they serve when absent.

// Checks a script text without reading it into a record. Writes one line per
// finding, "LINE:COLUMN: error: MESSAGE" or "LINE:COLUMN: warning: MESSAGE",
// in the order of the text (lines and columns from 1, a column is one byte,
// a tab one column) into report, NUL-terminated and cut at size bytes; size 0
// only counts. Returns the number of findings, negative when the check could
// not run. An error is what the reader cannot take as written.
EMB_EXPORT int32_t embCheckMemoryFile(const char *text, char *report, int32_t size);

// Lists the script's keys, one "header KEY" or "type KEY" line each (keys of
// the top level and of a type section), written as embCheckMemoryFile writes
// its report. Returns the number of keys.
EMB_EXPORT int32_t embGetScriptKeys(char *buffer, int32_t size);
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
using embCheckMemoryFileFn = int32_t (*)(const char *, char *, int32_t);
using embGetScriptKeysFn = int32_t (*)(char *, int32_t);

// The message of the one finding, at 1:1, for a text that holds no key at
// all: such a text reads as an empty effect.
inline constexpr char kNoKeyFinding[] = "the text holds no key: it reads as an empty effect";

// Buffer sizes that hosts hand to the exports.
inline constexpr int32_t kManagerNameBufferSize = 256;
inline constexpr int32_t kScriptMemoryBufferSize = 8192;
