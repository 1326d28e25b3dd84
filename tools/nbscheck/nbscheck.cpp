// Checks particle scripts through the manager plug-ins beside this program
// and prints their findings, for a mod's own build checks.
//
//   nbscheck FILE...
//
// Standard output carries only findings, "FILE:LINE:COLUMN: error|warning:
// MESSAGE". Exit status: 0 when no file has an error (warnings allowed), 1
// when one has, 2 when the check cannot run (no manager with a check beside
// the program, an unreadable file, no arguments); the reason goes to
// standard error.
#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ManagerApi.h"
#include "ProgramFolder.h"

namespace {

constexpr int kClean = 0;
constexpr int kHasErrors = 1;
constexpr int kCannotRun = 2;

struct Manager {
    std::string path;
    embIsExtensionSupportedFn isExtensionSupported;
    embCheckMemoryFileFn check;
};

bool IsManagerName(const std::string &name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower.size() >= 9 && lower.rfind("emb", 0) == 0 &&
           lower.compare(lower.size() - 6, 6, "man.so") == 0;
}

// Every manager beside the program that offers a check, in name order, as
// the editor finds them.
std::vector<Manager> LoadManagers(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (IsManagerName(entry->d_name))
                names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<Manager> managers;
    for (const std::string &name : names) {
        const std::string path = folder + "/" + name;
        void *library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            continue;
        Manager manager{path,
                        reinterpret_cast<embIsExtensionSupportedFn>(
                            ::dlsym(library, "embIsExtensionSupported")),
                        reinterpret_cast<embCheckMemoryFileFn>(::dlsym(library, "embCheckMemoryFile"))};
        if (manager.isExtensionSupported != nullptr && manager.check != nullptr)
            managers.push_back(manager);
        else
            ::dlclose(library);
    }
    return managers;
}

// The first manager that takes the file's extension, else the first of all.
const Manager &ManagerFor(const std::vector<Manager> &managers, const std::string &file)
{
    const std::size_t slash = file.find_last_of('/');
    const std::size_t dot = file.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        const std::string extension = file.substr(dot);
        for (const Manager &manager : managers) {
            if (PluginYes(manager.isExtensionSupported(extension.c_str())))
                return manager;
        }
    }
    return managers.front();
}

// False, with errno set, when the file cannot be opened or read (a folder
// opens but cannot be read).
bool ReadFile(const std::string &path, std::string &content)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    errno = error;
    return !failed;
}

// Checks one file; prints its findings and returns its status.
int CheckFile(const Manager &manager, const std::string &file)
{
    std::string text;
    if (!ReadFile(file, text)) {
        std::fprintf(stderr, "nbscheck: cannot read %s: %s\n", file.c_str(), std::strerror(errno));
        return kCannotRun;
    }
    // The check takes a NUL-terminated text. A NUL byte separates tokens as a
    // blank does, so a blank in its place reads the same.
    std::replace(text.begin(), text.end(), '\0', ' ');

    std::vector<char> report(1 << 16);
    int32_t count = 0;
    for (;;) {
        count = manager.check(text.c_str(), report.data(), static_cast<int32_t>(report.size()));
        if (count < 0) {
            std::fprintf(stderr, "nbscheck: %s could not check %s\n", manager.path.c_str(), file.c_str());
            return kCannotRun;
        }
        if (strnlen(report.data(), report.size()) + 1 < report.size() || report.size() >= (1u << 30))
            break;
        report.resize(report.size() * 2);
    }

    int status = kClean;
    const char *line = report.data();
    while (*line != '\0') {
        const char *end = std::strchr(line, '\n');
        const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
        const std::string finding(line, length);
        const std::size_t place = finding.find(": ");
        if (place != std::string::npos && finding.compare(place, 9, ": error: ") == 0)
            status = kHasErrors;
        std::printf("%s:%s\n", file.c_str(), finding.c_str());
        line += length + (end != nullptr ? 1 : 0);
    }
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> files;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        if (options && std::strcmp(argv[i], "--") == 0) {
            options = false;
        } else if (options && argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "nbscheck: unknown option %s\nusage: nbscheck FILE...\n", argv[i]);
            return kCannotRun;
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: nbscheck FILE...\n");
        return kCannotRun;
    }

    const std::string folder = ProgramFolder();
    const std::vector<Manager> managers = LoadManagers(folder);
    if (managers.empty()) {
        std::fprintf(stderr, "nbscheck: no manager plug-in (emb*Man.so) with a script check in %s\n",
                     folder.c_str());
        return kCannotRun;
    }

    int status = kClean;
    for (const std::string &file : files)
        status = std::max(status, CheckFile(ManagerFor(managers, file), file));
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "nbscheck: cannot write the findings\n");
        return kCannotRun;
    }
    return status;
}
