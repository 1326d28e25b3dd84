// Feeds arbitrary row texts to every reader. The first byte picks the decimal
// separator; a line feed splits the two rows of a colour pair.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "uPropertyNumbers.h"
#include "uPropertyReaders.h"
#include "uPropertyRows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view sep = (data[0] & 1) ? "," : ".";
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);

    ReadCount(text);
    ReadParamInt(text);
    const ParamValue value = ReadParamValue(text, sep);
    const ParamText param = ReadParamText(text);
    if (std::memchr(param.text, '\0', sizeof param.text) == nullptr)
        std::abort();  // a text parameter must always end inside its buffer
    const ParamVector vector = ReadParamVector(text, sep);
    const ParamRange range = ReadParamRange(text, sep);
    if (!std::isfinite(value.value) || !std::isfinite(vector.x) || !std::isfinite(range.min) ||
        !std::isfinite(range.max))
        std::abort();  // nothing a user types may put a non-finite number in the record
    // What the row shows must read back to a number again.
    if (range.present && !ParseNumber(FormatGeneral(range.min, sep), sep))
        std::abort();

    const std::size_t split = text.find('\n');
    const std::string_view first = text.substr(0, split);
    const std::string_view second = split == std::string_view::npos ? std::string_view()
                                                                    : text.substr(split + 1);
    ParamRange r{1, 1, 0.25, 0.5}, g = r, b = r;
    const ParamRange before = r;
    if (ReadColourPair(first, second, sep, r, g, b)) {
        for (const ParamRange *c : {&r, &g, &b})
            if (std::memcmp(c, &before, sizeof before) != 0)
                std::abort();  // a refused colour leaves every channel as it was
    }
    return 0;
}
