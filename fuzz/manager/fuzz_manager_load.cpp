// Reads arbitrary bytes as a script, writes the record back into buffers of
// several sizes and checks that what the writer produces settles: writing
// what was read back from the writer's own text gives the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ManagerApi.h"

namespace {

// Room for ten entries with every text at its full length.
constexpr int32_t kLargeBuffer = 1 << 16;

std::string Write(const ParticleSystem &record, const char *header)
{
    std::vector<char> buffer(kLargeBuffer);
    if (embSaveMemoryFile(buffer.data(), kLargeBuffer, header, &record) != 1)
        std::abort();
    const std::size_t length = strnlen(buffer.data(), buffer.size());
    if (length == buffer.size())
        std::abort();  // a whole record always fits
    return std::string(buffer.data(), length);
}

bool HasQuote(const char (&text)[kParticleTextSize])
{
    return std::memchr(text, '"', strnlen(text, sizeof text)) != nullptr;
}

// A double quote inside a text ends the quoted value early when read back,
// so such records are not expected to come back unchanged.
bool TextsSurvive(const ParticleSystem &record)
{
    if (HasQuote(record.maintype))
        return false;
    for (int32_t k = 0; k < UsedTypeCount(record); ++k) {
        const ParticleType &type = record.types[k];
        if (HasQuote(type.name))
            return false;
        for (const ParamText *text : {&type.sprite, &type.spraytype, &type.overlaytype}) {
            if (text->present && HasQuote(text->text))
                return false;
        }
    }
    return true;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    auto first = std::make_unique<ParticleSystem>();
    Check(embLoadMemoryFile(text.c_str(), first.get()) == 1);
    Check(first->typeCount >= 0 && first->typeCount <= kMaxParticleTypes);

    // A buffer of exactly the size given, so that any write past it is caught.
    const int32_t small = size == 0 ? 1 : static_cast<int32_t>(data[0]) + 1;
    auto cut = std::make_unique<char[]>(static_cast<std::size_t>(small));
    Check(embSaveMemoryFile(cut.get(), small, "// header\r\nline", first.get()) == 1);

    const std::string written = Write(*first, nullptr);
    Check(written.compare(0, 12, "\"particles\" ") == 0);

    auto second = std::make_unique<ParticleSystem>();
    Check(embLoadMemoryFile(written.c_str(), second.get()) == 1);
    if (!TextsSurvive(*first))
        return 0;
    Check(second->typeCount == first->typeCount);
    Check(second->particles == first->particles);
    Check(second->attachment.present == first->attachment.present);
    Check(second->attachment.value == first->attachment.value);
    Check(std::strcmp(second->maintype, first->maintype) == 0);
    for (int32_t k = 0; k < first->typeCount; ++k)
        Check(std::strcmp(second->types[k].name, first->types[k].name) == 0);

    // Numbers have been cut to six digits once; from here on nothing changes.
    const std::string again = Write(*second, nullptr);
    auto third = std::make_unique<ParticleSystem>();
    Check(embLoadMemoryFile(again.c_str(), third.get()) == 1);
    Check(Write(*third, nullptr) == again);
    return 0;
}
