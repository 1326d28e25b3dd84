#include "RendererMessages.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using MessageBoxHook = void (*)(const char *caption, const char *text, uintptr_t owner);

char g_logPath[4096];
uintptr_t g_owner = 0;

// Read once when the library is loaded.
__attribute__((constructor)) void ReadMessageLogSetting()
{
    const char *path = std::getenv(kRendererMessagesEnv);
    if (path && std::strlen(path) < sizeof g_logPath)
        std::strcpy(g_logPath, path);
}

}  // namespace

void SetRendererMessageOwner(uintptr_t window)
{
    g_owner = window;
}

void ShowRendererMessage(const char *text)
{
    if (!text)
        text = "";
    if (g_logPath[0] != '\0') {
        if (std::FILE *log = std::fopen(g_logPath, "a")) {
            std::fprintf(log, "%s\n", text);
            std::fclose(log);
        }
    }
    void *symbol = dlsym(RTLD_DEFAULT, kRendererMessageHook);
    if (symbol) {
        reinterpret_cast<MessageBoxHook>(symbol)(kRendererMessageCaption, text, g_owner);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", kRendererMessageCaption, text);
}
