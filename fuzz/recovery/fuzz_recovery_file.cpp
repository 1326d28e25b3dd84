// Any bytes as a recovery file: the reader must refuse or accept without
// fault, and what it accepts must write back to the same entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "uRecovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<RecoveryEntry> entry = ParseRecoveryFile(bytes);
    if (!entry)
        return 0;
    const std::optional<RecoveryEntry> again = ParseRecoveryFile(RecoveryFileBytes(*entry));
    if (!again || again->text != entry->text || again->documentPath != entry->documentPath ||
        again->managerFile != entry->managerFile || again->written != entry->written)
        std::abort();
    return 0;
}
