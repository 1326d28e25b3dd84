// Archive reading: the directory from memory, every entry's bounds and bytes,
// and the same bytes as pak0.pak of a game directory, scanned and looked up
// through the file system.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gamefs/GameFileSystem.h"
#include "gamefs/PackFile.h"

namespace {

std::string GameDir()
{
    static std::string dir;
    if (dir.empty()) {
        const char *shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        dir = std::string(shm) + "/fuzz-pak-" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        atexit([] {
            unlink((dir + "/pak0.pak").c_str());
            rmdir(dir.c_str());
        });
    }
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MemorySource source(data, size);
    PackFile pack;
    std::vector<std::string> names;
    if (ReadPackDirectory(source, pack)) {
        if (pack.numfiles < 1 || pack.numfiles > kMaxPackEntries ||
            pack.files.size() != static_cast<size_t>(pack.numfiles))
            abort();
        for (const PackEntry &entry : pack.files) {
            std::string name(entry.name, strnlen(entry.name, sizeof entry.name));
            const PackEntry *found = FindPackEntry(pack, name.c_str());
            if (found == nullptr || found > &entry)
                abort();  // the entry itself or an earlier one of that name
            if (PackEntryInside(entry, size)) {
                std::vector<uint8_t> bytes(static_cast<size_t>(entry.filelen));
                if (!source.ReadAt(static_cast<uint64_t>(entry.filepos), bytes.data(), bytes.size()))
                    abort();
            }
            if (names.size() < 4)
                names.push_back(name);
        }
    }

    // The file path: scan a game directory holding these bytes as pak0.pak.
    const std::string dir = GameDir();
    FILE *f = fopen((dir + "/pak0.pak").c_str(), "wb");
    if (f == nullptr)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    GameFileSystem fs;
    int messages = 0;
    const MessageSink count = [&](const char *) { ++messages; };
    fs.SetGamedir(dir.c_str(), "", count);
    if (fs.Packs().size() != (pack.numfiles > 0 ? 1u : 0u))
        abort();  // file and memory readers must agree
    names.push_back("none/such.spr");
    for (const std::string &name : names) {
        std::vector<uint8_t> bytes;
        const int before = messages;
        const bool ok = fs.LoadFile(name.c_str(), bytes, count);
        if (ok == (messages != before))
            abort();  // every failure says why, success says nothing
    }
    return 0;
}
