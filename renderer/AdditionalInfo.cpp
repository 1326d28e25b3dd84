#include "AdditionalInfo.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace gx {

void BuildAdditionalInfo(char *buffer, size_t size, const char *vendor, const char *renderer,
                         const char *version, const char *const *archivePaths, int archiveCount)
{
    if (!buffer || size == 0)
        return;
    if (size == 1) {
        buffer[0] = '\0';
        return;
    }
    std::string text = "GL_VENDOR:  ";
    text += vendor ? vendor : "";
    text += "\nGL_RENDERER:  ";
    text += renderer ? renderer : "";
    text += "\nGL_VERSION:  ";
    text += version ? version : "";
    text += "\n\nLoaded packages:\n";
    for (int i = 0; i < archiveCount; ++i) {
        text += archivePaths[i] ? archivePaths[i] : "";
        text += '\n';
    }
    if (text.size() >= size) {
        const size_t cut = text.rfind('\n', size - 2);
        text.resize(cut == std::string::npos ? size - 1 : cut + 1);
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
}

}  // namespace gx
