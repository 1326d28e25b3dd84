// Finds what the lenient script reader reads past or repairs: unknown keys,
// malformed values, dangling type references, unbalanced braces and quotes.
// The check reads the text exactly as the reader does and changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nbs {

enum class Severity {
    Warning,  // read past or repaired; the effect may still be what was meant
    Error,    // the reader cannot take it as written
};

struct Finding {
    std::size_t offset;  // byte offset of the place in the text
    Severity severity;
    std::string message;  // one line, no line feed
};

// Every finding of the text, in the order of the text.
std::vector<Finding> CheckScript(const char *text, std::size_t length);

// Writes one "LINE:COLUMN: error|warning: MESSAGE" line per finding into the
// report (lines and columns from 1, a column is one byte, a tab one column),
// NUL-terminated and cut to size - 1 bytes; size 0 writes nothing. Returns
// the number of findings.
int32_t WriteReport(const char *text, std::size_t length, const std::vector<Finding> &findings, char *report,
                    int32_t size);

// The keys the reader knows: one "header KEY" or "type KEY" line each, in the
// writer's order. Written, cut and terminated as WriteReport does; returns
// the number of keys.
int32_t WriteKeyList(char *buffer, int32_t size);

}  // namespace nbs
