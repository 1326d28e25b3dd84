#include "gamefs/GameFileSystem.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <new>

#include "AsciiCase.h"

namespace {

bool IsRegularFile(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> SplitComponents(const std::string &name)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : name) {
        if (c == '/' || c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// The entry of dir whose name equals component ignoring ASCII case; of several
// such entries the smallest name, so the choice does not depend on the order
// the directory lists them.
std::string FindEntryIgnoringCase(const std::string &dir, const std::string &component)
{
    DIR *d = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (d == nullptr)
        return {};
    std::string best;
    while (const dirent *e = ::readdir(d)) {
        if (EqualIgnoringAsciiCase(e->d_name, component) && (best.empty() || best > e->d_name))
            best = e->d_name;
    }
    ::closedir(d);
    return best;
}

void Report(const MessageSink &report, const char *format, const std::string &arg)
{
    if (!report)
        return;
    char text[1024];
    std::snprintf(text, sizeof text, format, arg.c_str());
    report(text);
}

}  // namespace

std::string JoinGamePath(const std::string &dir, const std::string &name)
{
    std::string path = dir + "/" + name;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::string FindLooseFile(const std::string &dir, const std::string &name)
{
    const std::string exact = JoinGamePath(dir, name);
    if (IsRegularFile(exact))
        return exact;

    const std::vector<std::string> parts = SplitComponents(name);
    if (parts.empty())
        return {};
    std::string path = dir;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string &part = parts[i];
        const bool last = i + 1 == parts.size();
        if (part == "." || part == "..") {
            path += "/" + part;
            continue;
        }
        std::string next = path + "/" + part;
        const bool fits = last ? IsRegularFile(next) : IsDirectory(next);
        if (!fits) {
            const std::string found = FindEntryIgnoringCase(path, part);
            if (found.empty())
                return {};
            next = path + "/" + found;
            if (last ? !IsRegularFile(next) : !IsDirectory(next))
                return {};
        }
        path = next;
    }
    return path;
}

void GameFileSystem::Clear()
{
    packs_.clear();
    skipped_.clear();
}

void GameFileSystem::SetGamedir(const char *baseDir, const char *additionalDir, const MessageSink &report)
{
    packs_.clear();
    skipped_.clear();
    baseDir_ = std::string(baseDir ? baseDir : "").substr(0, kMaxGameDirLength);
    additionalDir_ = std::string(additionalDir ? additionalDir : "").substr(0, kMaxGameDirLength);
    bool fullReported = false;
    if (!additionalDir_.empty())
        ScanDirectory(additionalDir_, report, fullReported);
    if (!baseDir_.empty())
        ScanDirectory(baseDir_, report, fullReported);
}

void GameFileSystem::ScanDirectory(const std::string &dir, const MessageSink &report, bool &fullReported)
{
    for (int n = 0;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "pak%d.pak", n);
        const std::string path = FindLooseFile(dir, name);
        if (path.empty())
            return;
        FileSource source(path);
        if (!source.IsOpen())
            return;
        if (static_cast<int32_t>(packs_.size()) >= kMaxPackFiles) {
            if (!fullReported)
                Report(report, "R_SetGamedir: Too many archives (%s not loaded)", path);
            fullReported = true;
            skipped_.push_back({path, "too many archives: not loaded"});
            return;
        }
        PackFile pack;
        pack.filename = path;
        std::string why;
        try {
            if (ReadPackDirectory(source, pack, &why))
                packs_.push_back(std::move(pack));
            else
                skipped_.push_back({path, why});
        } catch (const std::bad_alloc &) {
            // An archive whose directory cannot be held is skipped like a foreign one.
            skipped_.push_back({path, "PAK archive too large to read"});
        }
    }
}

bool GameFileSystem::Contains(const char *name) const
{
    const std::string requested = name ? name : "";
    if (requested.empty())
        return false;
    if (!FindLooseFile(baseDir_, requested).empty() || !FindLooseFile(additionalDir_, requested).empty())
        return true;
    for (const PackFile &pack : packs_)
        if (FindPackEntry(pack, requested.c_str()) != nullptr)
            return true;
    return false;
}

bool GameFileSystem::LoadFile(const char *name, std::vector<uint8_t> &data, const MessageSink &report) const
{
    const std::string requested = name ? name : "";
    std::string path = FindLooseFile(baseDir_, requested);
    if (path.empty())
        path = FindLooseFile(additionalDir_, requested);

    uint64_t offset = 0;
    uint64_t size = 0;
    bool found = false;
    if (!path.empty()) {
        FileSource probe(path);
        if (probe.IsOpen()) {
            size = probe.Size();
            found = true;
        }
    }
    const PackEntry *entry = nullptr;
    if (!found) {
        for (auto pack = packs_.rbegin(); pack != packs_.rend() && entry == nullptr; ++pack) {
            entry = FindPackEntry(*pack, requested.c_str());
            if (entry != nullptr)
                path = pack->filename;
        }
        if (entry == nullptr) {
            Report(report, "R_LoadSpriteFromFile: File not found (%s)", requested);
            return false;
        }
    }

    FileSource source(path);
    if (!source.IsOpen()) {
        Report(report, "R_LoadSpriteFromFile: Read error (%s)", requested);
        return false;
    }
    if (entry != nullptr) {
        // The archive is checked as it is now, not as it was at the scan.
        if (!PackEntryInside(*entry, source.Size())) {
            Report(report, "R_LoadSpriteFromFile: Entry outside its archive (%s)", requested);
            return false;
        }
        offset = static_cast<uint64_t>(entry->filepos);
        size = static_cast<uint64_t>(entry->filelen);
    } else {
        size = source.Size();
    }

    try {
        data.assign(static_cast<size_t>(size), 0);
    } catch (const std::exception &) {
        Report(report, "R_LoadSpriteFromFile: Out of memory", requested);
        return false;
    }
    if (!source.ReadAt(offset, data.data(), data.size())) {
        data.clear();
        Report(report, "R_LoadSpriteFromFile: Read error (%s)", requested);
        return false;
    }
    return true;
}
