#include "ProgramFolder.h"

#include <unistd.h>

#include <climits>
#include <cstring>

std::string ProgramFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    path[n] = '\0';
    char *slash = std::strrchr(path, '/');
    if (slash == nullptr)
        return ".";
    *slash = '\0';
    return path[0] != '\0' ? path : "/";
}
