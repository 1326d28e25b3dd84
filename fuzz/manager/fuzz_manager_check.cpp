// Checks arbitrary bytes as a script and holds the report to its format:
// one "LINE:COLUMN: error|warning: MESSAGE" line per finding, places inside
// the text and in its order, the same count whatever the report's size, and
// nothing written past the size given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ManagerApi.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads a positive decimal number at p; moves p past it.
std::size_t Number(const char *&p)
{
    Check(*p >= '1' && *p <= '9');
    std::size_t value = 0;
    while (*p >= '0' && *p <= '9')
        value = value * 10 + static_cast<std::size_t>(*p++ - '0');
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::size_t length = std::strlen(text.c_str());  // the check stops at the first NUL

    const int32_t count = embCheckMemoryFile(text.c_str(), nullptr, 0);
    Check(count >= 1 || length > 0);  // an empty text holds no key

    std::vector<std::size_t> lineStarts{0};
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\n')
            lineStarts.push_back(i + 1);
    }

    std::vector<char> report(static_cast<std::size_t>(count) * 400 + 1);
    Check(embCheckMemoryFile(text.c_str(), report.data(), static_cast<int32_t>(report.size())) == count);
    const char *p = report.data();
    std::size_t lastLine = 0;
    std::size_t lastColumn = 0;
    for (int32_t n = 0; n < count; ++n) {
        const std::size_t line = Number(p);
        Check(*p++ == ':');
        const std::size_t column = Number(p);
        Check(line <= lineStarts.size());
        const std::size_t lineEnd = line < lineStarts.size() ? lineStarts[line] - 1 : length;
        Check(lineStarts[line - 1] + column - 1 <= lineEnd);
        Check(line > lastLine || (line == lastLine && column >= lastColumn));
        lastLine = line;
        lastColumn = column;
        Check(std::strncmp(p, ": error: ", 9) == 0 || std::strncmp(p, ": warning: ", 11) == 0);
        const char *end = std::strchr(p, '\n');
        Check(end != nullptr && end - p > 11);
        p = end + 1;
    }
    Check(*p == '\0');

    // A report cut short is NUL-terminated inside its size and a prefix of the whole.
    const int32_t small = size == 0 ? 1 : static_cast<int32_t>(data[0]) + 1;
    auto cut = std::make_unique<char[]>(static_cast<std::size_t>(small));
    Check(embCheckMemoryFile(text.c_str(), cut.get(), small) == count);
    const std::size_t cutLength = strnlen(cut.get(), static_cast<std::size_t>(small));
    Check(cutLength < static_cast<std::size_t>(small));
    Check(std::strncmp(cut.get(), report.data(), cutLength) == 0);
    return 0;
}
