// The renderer information text shown by the host's information box.
#pragma once

#include <cstddef>

namespace gx {

// Writes the GL strings and one line per archive path into buffer. A text that
// would not fit is cut after its last whole line; the NUL always lies inside.
void BuildAdditionalInfo(char *buffer, size_t size, const char *vendor, const char *renderer,
                         const char *version, const char *const *archivePaths, int archiveCount);

}  // namespace gx
