// Whole-file reading and a save that never damages the file it replaces.
#pragma once

#include <string>
#include <string_view>

namespace nbs {

// Reads every byte of a regular file. False when it cannot be opened or read.
bool ReadWholeFile(const char *path, std::string &content);

// Writes the content to a new file in the target's folder, checks every
// write, the flush to disk and the close, then renames it over the target.
// On any failure the temporary file is removed, the target is left exactly
// as it was, and the result is false. An existing target keeps its
// permission bits; a symbolic link is followed and its target replaced; a
// file that may not be written is refused.
bool ReplaceFile(const char *path, std::string_view content);

}  // namespace nbs
