// paktool: packs a folder into a PAK archive, lists one, or extracts one.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "PakArchiveTool.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: paktool pack <folder> <archive.pak>\n"
                         "       paktool list <archive.pak>\n"
                         "       paktool extract <archive.pak> <folder> [name...]\n"
                         "Names inside an archive are paths relative to the packed folder, with '/',\n"
                         "at most 55 characters.\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    if (command == "pack" && argc == 4)
        return PakPack(argv[2], argv[3]);
    if (command == "list" && argc == 3)
        return PakList(argv[2]);
    if (command == "extract" && argc >= 4)
        return PakExtract(argv[2], argv[3], std::vector<std::string>(argv + 4, argv + argc));
    return Usage();
}
