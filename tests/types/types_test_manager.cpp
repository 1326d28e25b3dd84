// A manager plug-in for the main window's tests of New and Edit Types: it
// creates a known record, remembers the sprite it was given and can be told to
// fail writing to memory.
#include <cstdio>
#include <cstring>
#include <string>

#include "ManagerApi.h"
#include "types_fixtures.h"

namespace {
std::string lastSprite = "<never called>";
int saveFails = 0;
}  // namespace

extern "C" {
EMB_EXPORT void typesTestReset(void)
{
    saveFails = 0;
    lastSprite = "<never called>";
}
EMB_EXPORT void typesTestSetSaveFails(int fails)
{
    saveFails = fails;
}
EMB_EXPORT const char *typesTestLastSprite(void)
{
    return lastSprite.c_str();
}

EMB_EXPORT int32_t embGetSupportedExtensions(char *buffer)
{
    std::strcpy(buffer, "Types Test (*.tt)|*.tt");
    return 1;
}
EMB_EXPORT int32_t embIsExtensionSupported(const char *extension)
{
    return extension && std::strcmp(extension, ".tt") == 0;
}
EMB_EXPORT int32_t embGetManagerTitle(char *buffer)
{
    std::strcpy(buffer, "Types Test Particle");
    return 1;
}
EMB_EXPORT int32_t embIsText(void)
{
    return 1;
}
EMB_EXPORT int32_t embGetUserParmName(int32_t, char *buffer)
{
    std::strcpy(buffer, "<Undefined>");
    return 0;
}
EMB_EXPORT int32_t embLoadFile(const char *, ParticleSystem *)
{
    return 0;
}
EMB_EXPORT int32_t embLoadMemoryFile(const char *, ParticleSystem *)
{
    return 1;
}
EMB_EXPORT int32_t embSaveFile(const char *, const char *, const ParticleSystem *)
{
    return 0;
}
EMB_EXPORT int32_t embSaveMemoryFile(char *buffer, int32_t size, const char *header,
                                     const ParticleSystem *rec)
{
    if (saveFails)
        return 0;
    std::string text = header && *header ? std::string(header) + "\n" : std::string();
    text += "maintype " + std::string(rec->maintype) + "\n";
    for (int k = 0; k < UsedTypeCount(*rec); ++k)
        text += "{ " + std::string(rec->types[k].name) + " sprite=" + rec->types[k].sprite.text + " }\n";
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::memcpy(buffer, text.data(), std::min<size_t>(text.size(), static_cast<size_t>(size)));
    return 1;
}
EMB_EXPORT int32_t embGetDefaults(ParticleSystem *rec)
{
    *rec = MakeDefaults();
    return 1;
}
EMB_EXPORT int32_t embNewParticles(ParticleSystem *rec, const char *sprite)
{
    lastSprite = sprite ? sprite : "<null>";
    *rec = MakeDocument({"emitter", "particle"}, "emitter");
    rec->types[1].sprite.present = sprite && *sprite;
    SetText(rec->types[1].sprite.text, sprite ? sprite : "");
    return 1;
}
}
