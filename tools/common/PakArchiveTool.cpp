#include "PakArchiveTool.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "SpriteWriter.h"
#include "gamefs/PackFile.h"

namespace fs = std::filesystem;

int PakPack(const std::string &folder, const std::string &archive)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "paktool: %s is not a folder\n", folder.c_str());
        return 1;
    }
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file())
            names.push_back(fs::relative(it->path(), folder).generic_string());
    }
    if (ec) {
        std::fprintf(stderr, "paktool: cannot read %s: %s\n", folder.c_str(), ec.message().c_str());
        return 1;
    }
    if (names.empty()) {
        std::fprintf(stderr, "paktool: %s holds no files; an empty archive is not usable\n", folder.c_str());
        return 1;
    }
    std::sort(names.begin(), names.end());
    std::vector<PakMember> members;
    for (const std::string &name : names) {
        PakMember member;
        member.name = name;
        if (!ReadFileBytes((fs::path(folder) / name).string(), member.data)) {
            std::fprintf(stderr, "paktool: cannot read %s\n", name.c_str());
            return 1;
        }
        members.push_back(std::move(member));
    }
    std::string error;
    const std::vector<uint8_t> bytes = WritePak(members, &error);
    if (bytes.empty()) {
        std::fprintf(stderr, "paktool: %s\n", error.c_str());
        return 1;
    }
    if (bytes.size() > 0x7FFFFFFF) {
        std::fprintf(stderr, "paktool: the archive would pass 2 GiB\n");
        return 1;
    }
    if (!WriteFileBytes(archive, bytes)) {
        std::fprintf(stderr, "paktool: cannot write %s\n", archive.c_str());
        return 1;
    }
    return 0;
}

static bool Open(const std::string &archive, FileSource &source, PackFile &pack)
{
    if (!source.IsOpen()) {
        std::fprintf(stderr, "paktool: cannot open %s\n", archive.c_str());
        return false;
    }
    if (!ReadPackDirectory(source, pack)) {
        std::fprintf(stderr, "paktool: %s is not a usable archive\n", archive.c_str());
        return false;
    }
    return true;
}

static std::string EntryName(const PackEntry &entry)
{
    return std::string(entry.name, ::strnlen(entry.name, sizeof entry.name));
}

int PakList(const std::string &archive)
{
    FileSource source(archive);
    PackFile pack;
    if (!Open(archive, source, pack))
        return 1;
    for (const PackEntry &entry : pack.files) {
        std::printf("%10d %10d %s%s\n", entry.filepos, entry.filelen, EntryName(entry).c_str(),
                    PackEntryInside(entry, source.Size()) ? "" : "  (outside the archive)");
    }
    return 0;
}

// Only plain relative paths are written, so an archive cannot place files
// outside the chosen folder.
bool PakSafeName(const std::string &name)
{
    if (name.empty() || name[0] == '/' || name.find('\\') != std::string::npos)
        return false;
    for (const auto &part : fs::path(name))
        if (part == ".." || part == ".")
            return false;
    return true;
}

int PakExtract(const std::string &archive, const std::string &folder, const std::vector<std::string> &wanted)
{
    FileSource source(archive);
    PackFile pack;
    if (!Open(archive, source, pack))
        return 1;
    int failures = 0;
    std::vector<bool> found(wanted.size(), false);
    for (const PackEntry &entry : pack.files) {
        const std::string name = EntryName(entry);
        if (!wanted.empty()) {
            auto it = std::find(wanted.begin(), wanted.end(), name);
            if (it == wanted.end())
                continue;
            found[static_cast<size_t>(it - wanted.begin())] = true;
        }
        if (!PakSafeName(name)) {
            std::fprintf(stderr, "paktool: skipped unsafe name %s\n", name.c_str());
            ++failures;
            continue;
        }
        if (!PackEntryInside(entry, source.Size())) {
            std::fprintf(stderr, "paktool: %s lies outside the archive\n", name.c_str());
            ++failures;
            continue;
        }
        std::vector<uint8_t> data(static_cast<size_t>(entry.filelen));
        const fs::path target = fs::path(folder) / name;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (!source.ReadAt(static_cast<uint64_t>(entry.filepos), data.data(), data.size()) ||
            !WriteFileBytes(target.string(), data)) {
            std::fprintf(stderr, "paktool: cannot extract %s\n", name.c_str());
            ++failures;
        }
    }
    for (size_t i = 0; i < wanted.size(); ++i)
        if (!found[i]) {
            std::fprintf(stderr, "paktool: %s is not in the archive\n", wanted[i].c_str());
            ++failures;
        }
    return failures == 0 ? 0 : 1;
}
