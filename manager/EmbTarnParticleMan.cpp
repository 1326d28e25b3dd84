// The exported interface of the script manager plug-in. No exception leaves
// an export; a null argument gives the result 0 and changes nothing.
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "AsciiCase.h"
#include "ManagerApi.h"
#include "ParticleDefaults.h"
#include "ScriptCheck.h"
#include "ScriptFile.h"
#include "ScriptReader.h"
#include "ScriptWriter.h"

namespace {

constexpr char kFilter[] = "Tarn Nimbus Particles (*.nbs)|*.nbs";
constexpr char kTitle[] = "Tarn Nimbus Particle";
constexpr char kUndefined[] = "<Undefined>";

}  // namespace

extern "C" {

EMB_EXPORT int32_t embGetSupportedExtensions(char *buffer)
{
    if (buffer == nullptr)
        return 0;
    std::memcpy(buffer, kFilter, sizeof kFilter);
    return 1;
}

EMB_EXPORT int32_t embIsExtensionSupported(const char *extension)
{
    if (extension == nullptr)
        return 0;
    return EqualIgnoringAsciiCase(extension, ".nbs") ? 1 : 0;
}

EMB_EXPORT int32_t embGetManagerTitle(char *buffer)
{
    if (buffer == nullptr)
        return 0;
    std::memcpy(buffer, kTitle, sizeof kTitle);
    return 1;
}

EMB_EXPORT int32_t embIsText(void)
{
    return 1;
}

EMB_EXPORT int32_t embGetUserParmName(int32_t /*index*/, char *buffer)
{
    // This format defines no user parameter: every slot is undefined.
    if (buffer != nullptr)
        std::memcpy(buffer, kUndefined, sizeof kUndefined);
    return 0;
}

EMB_EXPORT int32_t embLoadFile(const char *fileName, ParticleSystem *rec)
{
    if (fileName == nullptr || rec == nullptr)
        return 0;
    try {
        std::string text;
        if (!nbs::ReadWholeFile(fileName, text))
            return 0;
        nbs::ParseScript(text.data(), text.size(), *rec);
        return 1;
    } catch (...) {
        return 0;  // the text could not be held in memory; the record is untouched
    }
}

EMB_EXPORT int32_t embLoadMemoryFile(const char *text, ParticleSystem *rec)
{
    if (text == nullptr || rec == nullptr)
        return 0;
    try {
        // Read from a copy: the caller's text may lie inside the record.
        const std::string copy(text);
        nbs::ParseScript(copy.data(), copy.size(), *rec);
        return 1;
    } catch (...) {
        return 0;
    }
}

EMB_EXPORT int32_t embSaveFile(const char *fileName, const char *header, const ParticleSystem *rec)
{
    if (fileName == nullptr || fileName[0] == '\0' || rec == nullptr)
        return 0;
    try {
        nbs::FileTextSink sink;
        nbs::WriteScript(sink, header, *rec);
        return nbs::ReplaceFile(fileName, sink.text()) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

EMB_EXPORT int32_t embSaveMemoryFile(char *buffer, int32_t size, const char *header,
                                     const ParticleSystem *rec)
{
    if (buffer == nullptr || size <= 0 || rec == nullptr)
        return 0;
    nbs::BufferSink sink(buffer, static_cast<std::size_t>(size));
    nbs::WriteScript(sink, header, *rec);
    return 1;
}

EMB_EXPORT int32_t embGetDefaults(ParticleSystem *rec)
{
    if (rec == nullptr)
        return 0;
    nbs::FillDefaults(*rec);
    return 1;
}

EMB_EXPORT int32_t embNewParticles(ParticleSystem *rec, const char *sprite)
{
    if (rec == nullptr)
        return 0;
    nbs::FillNewParticles(*rec, sprite);
    return 1;
}

EMB_EXPORT int32_t embCheckMemoryFile(const char *text, char *report, int32_t size)
{
    if (report != nullptr && size > 0)
        report[0] = '\0';
    if (text == nullptr)
        return 0;
    try {
        const std::size_t length = std::strlen(text);
        const std::vector<nbs::Finding> findings = nbs::CheckScript(text, length);
        return nbs::WriteReport(text, length, findings, report, size);
    } catch (...) {
        return -1;  // no memory for the findings: nothing could be checked
    }
}

EMB_EXPORT int32_t embGetScriptKeys(char *buffer, int32_t size)
{
    return nbs::WriteKeyList(buffer, size);
}

}  // extern "C"
