// A manager plug-in for the editor's tests. Its file format is a few lines of
// "key=value"; the defines below give each built copy its own identity, and
// one copy leaves out an export on purpose.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "ManagerApi.h"

#ifndef FAKE_TITLE
#error FAKE_TITLE must be defined
#endif

namespace {
void Copy(char *buffer, const char *text)
{
    std::strcpy(buffer, text);
}

void Parse(const std::string &text, ParticleSystem *rec)
{
    std::memset(rec, 0, sizeof *rec);
    rec->particles = FAKE_ID;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        pos = end + 1;
        if (line.rfind("maintype=", 0) == 0) {
            std::snprintf(rec->maintype, sizeof rec->maintype, "%s", line.c_str() + 9);
        } else if (line.rfind("type=", 0) == 0 && rec->typeCount < kMaxParticleTypes) {
            std::snprintf(rec->types[rec->typeCount++].name, kParticleTextSize, "%s", line.c_str() + 5);
        }
    }
}

std::string Write(const char *header, const ParticleSystem *rec)
{
    std::string text;
    if (header && *header)
        text += std::string(header) + "\r\n";
    text += std::string("maintype=") + rec->maintype + "\r\n";
    for (int i = 0; i < UsedTypeCount(*rec); ++i)
        text += std::string("type=") + rec->types[i].name + "\r\n";
    return text;
}
}  // namespace

extern "C" {
EMB_EXPORT int32_t embGetSupportedExtensions(char *buffer)
{
    Copy(buffer, FAKE_FILTER);
    return 1;
}

EMB_EXPORT int32_t embIsExtensionSupported(const char *extension)
{
    return strcasecmp(extension, FAKE_EXTENSION) == 0 ? 1 : 0;
}

EMB_EXPORT int32_t embGetManagerTitle(char *buffer)
{
    Copy(buffer, FAKE_TITLE);
    return 1;
}

// Only the low byte counts: 0x100 reads as "no".
EMB_EXPORT int32_t embIsText(void)
{
    return FAKE_IS_TEXT;
}

EMB_EXPORT int32_t embGetUserParmName(int32_t index, char *buffer)
{
    std::snprintf(buffer, 256, "%s %d", FAKE_TITLE, index);
    return 0;
}

EMB_EXPORT int32_t embLoadFile(const char *fileName, ParticleSystem *rec)
{
    FILE *f = std::fopen(fileName, "rb");
    if (!f)
        return 0;
    std::string text;
    char chunk[512];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    std::fclose(f);
    if (text.rfind("REJECT", 0) == 0)
        return 0;
    Parse(text, rec);
    return 1;
}

EMB_EXPORT int32_t embLoadMemoryFile(const char *text, ParticleSystem *rec)
{
    if (std::strncmp(text, "REJECT", 6) == 0)
        return 0;
    Parse(text, rec);
    return 1;
}

EMB_EXPORT int32_t embSaveFile(const char *fileName, const char *header, const ParticleSystem *rec)
{
    FILE *f = std::fopen(fileName, "wb");
    if (!f)
        return 0;
    const std::string text = Write(header, rec);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return 1;
}

EMB_EXPORT int32_t embSaveMemoryFile(char *buffer, int32_t size, const char *header,
                                     const ParticleSystem *rec)
{
    const std::string text = Write(header, rec);
    std::memset(buffer, 0, size);
    std::memcpy(buffer, text.data(), std::min<size_t>(text.size(), size));
    return 1;
}

EMB_EXPORT int32_t embGetDefaults(ParticleSystem *rec)
{
    std::memset(rec, 0, sizeof *rec);
    rec->typeCount = 1;
    std::strcpy(rec->maintype, "default");
    for (auto &type : rec->types)
        std::strcpy(type.name, "default");
    return 1;
}

#ifndef FAKE_OMIT_NEW
EMB_EXPORT int32_t embNewParticles(ParticleSystem *rec, const char *)
{
    embGetDefaults(rec);
    rec->particles = FAKE_ID;
    return 1;
}
#endif
}
