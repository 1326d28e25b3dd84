// Loads a particle script through the manager plug-in beside this program and
// prints it back as the plug-in writes it.
//
//   nbsprint [--header TEXT] FILE
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ManagerApi.h"
#include "ProgramFolder.h"

namespace {

constexpr char kPluginName[] = "embTarnParticleMan.so";

// Ten entries with every text at full length stay well below this.
constexpr int32_t kPrintBufferSize = 1 << 16;

int Usage()
{
    std::fprintf(stderr, "usage: nbsprint [--header TEXT] FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    const char *header = nullptr;
    const char *file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--header") == 0 && i + 1 < argc)
            header = argv[++i];
        else if (file == nullptr && argv[i][0] != '-')
            file = argv[i];
        else
            return Usage();
    }
    if (file == nullptr)
        return Usage();

    const std::string plugin = ProgramFolder() + "/" + kPluginName;
    void *library = ::dlopen(plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "nbsprint: cannot load %s: %s\n", plugin.c_str(), ::dlerror());
        return 1;
    }
    auto load = reinterpret_cast<embLoadFileFn>(::dlsym(library, "embLoadFile"));
    auto save = reinterpret_cast<embSaveMemoryFileFn>(::dlsym(library, "embSaveMemoryFile"));
    if (load == nullptr || save == nullptr) {
        std::fprintf(stderr, "nbsprint: %s is not a manager plug-in\n", plugin.c_str());
        ::dlclose(library);
        return 1;
    }

    auto record = std::make_unique<ParticleSystem>();
    int status = 0;
    if (!PluginYes(load(file, record.get()))) {
        std::fprintf(stderr, "nbsprint: cannot read %s\n", file);
        status = 1;
    } else {
        std::vector<char> text(kPrintBufferSize);
        save(text.data(), kPrintBufferSize, header, record.get());
        std::fwrite(text.data(), 1, strnlen(text.data(), text.size()), stdout);
        if (std::fflush(stdout) != 0)
            status = 1;
    }
    ::dlclose(library);
    return status;
}
