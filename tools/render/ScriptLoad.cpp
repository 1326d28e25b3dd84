#include "ScriptLoad.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "ManagerApi.h"

std::string ProgramFolder()
{
    char path[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0)
        return ".";
    path[n] = '\0';
    std::string folder(path);
    const size_t slash = folder.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string(slash == 0 ? "/" : ".")
                                                    : folder.substr(0, slash);
}

bool LoadScript(const std::string &managerPath, const std::string &script, ParticleSystem &record,
                std::string &error)
{
    struct stat info {};
    if (stat(script.c_str(), &info) != 0) {
        error = "Script not found: " + script;
        return false;
    }
    if (stat(managerPath.c_str(), &info) != 0) {
        error = "The manager plug-in " + managerPath + " is missing; it must lie beside sparkwright-render.";
        return false;
    }
    // Kept loaded for the life of the program: the record is all it leaves behind.
    void *manager = dlopen(managerPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!manager) {
        const char *why = dlerror();
        error = "The manager plug-in " + managerPath +
                " could not be loaded: " + (why ? why : "unknown reason");
        return false;
    }
    auto load = reinterpret_cast<embLoadFileFn>(dlsym(manager, "embLoadFile"));
    if (!load) {
        error = "The manager plug-in " + managerPath + " has no embLoadFile.";
        return false;
    }
    std::memset(static_cast<void *>(&record), 0, sizeof record);
    if ((load(script.c_str(), &record) & 0xFF) == 0) {
        error = "The manager rejected the script " + script + ".";
        return false;
    }
    return true;
}
