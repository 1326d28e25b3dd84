#include "gamefs/SpriteCatalog.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <set>
#include <unordered_map>
#include <utility>

#include "AsciiCase.h"
#include "gamefs/SpriteModel.h"

namespace {

std::string Formatted(const char *format, const std::string &name)
{
    char text[512];
    std::snprintf(text, sizeof text, format, name.c_str());
    return text;
}

// Walks a folder tree in name order, collecting the sprite files with their
// paths relative to the root.
class SpriteWalk {
public:
    SpriteWalk(const CatalogOptions &options, bool &truncated) : options_(options), truncated_(truncated) {}

    void Walk(const std::string &folder, const std::string &relative, int depth,
              std::vector<std::pair<std::string, uint64_t>> &found)
    {
        struct stat st {};
        if (::stat(folder.empty() ? "/" : folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return;
        // A folder reached twice (through a link) is listed once.
        if (!visited_.insert({st.st_dev, st.st_ino}).second)
            return;
        if (depth > options_.maxDepth) {
            truncated_ = true;
            return;
        }
        DIR *dir = ::opendir(folder.empty() ? "/" : folder.c_str());
        if (dir == nullptr)
            return;
        std::vector<std::string> names;
        while (const dirent *e = ::readdir(dir)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            if (++seen_ > options_.maxFolderEntries) {
                truncated_ = true;
                break;
            }
            names.emplace_back(e->d_name);
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        for (const std::string &name : names) {
            const std::string path = folder + "/" + name;
            const std::string rel = relative.empty() ? name : relative + "/" + name;
            struct stat entry {};
            if (::stat(path.c_str(), &entry) != 0)
                continue;
            if (S_ISDIR(entry.st_mode))
                Walk(path, rel, depth + 1, found);
            else if (S_ISREG(entry.st_mode) && HasSpriteExtension(name))
                found.emplace_back(rel, static_cast<uint64_t>(entry.st_size));
        }
    }

private:
    const CatalogOptions &options_;
    bool &truncated_;
    std::set<std::pair<dev_t, ino_t>> visited_;
    size_t seen_ = 0;
};

void AddLooseSprites(const std::string &dir, SpriteOrigin origin, const CatalogOptions &options,
                     SpriteCatalog &catalog)
{
    if (dir.empty())
        return;
    std::vector<std::pair<std::string, uint64_t>> found;
    SpriteWalk walk(options, catalog.truncated);
    walk.Walk(dir, "", 0, found);
    for (auto &[relative, size] : found) {
        CatalogEntry entry;
        entry.name = relative;
        entry.origin = origin;
        entry.container = dir;
        entry.path = dir + "/" + relative;
        entry.size = size;
        catalog.entries.push_back(std::move(entry));
    }
}

void AddArchiveSprites(const PackFile &pack, SpriteCatalog &catalog)
{
    for (const PackEntry &stored : pack.files) {
        std::string name(stored.name, ::strnlen(stored.name, kPackEntryNameSize));
        if (!HasSpriteExtension(name))
            continue;
        CatalogEntry entry;
        entry.name = std::move(name);
        entry.origin = SpriteOrigin::Archive;
        entry.container = pack.filename;
        entry.path = pack.filename;
        entry.offset = stored.filepos < 0 ? 0 : static_cast<uint64_t>(stored.filepos);
        entry.size = stored.filelen < 0 ? 0 : static_cast<uint64_t>(stored.filelen);
        if (stored.filepos < 0 || stored.filelen < 0)
            entry.problem = Formatted("R_LoadSpriteFromFile: Entry outside its archive (%s)", entry.name);
        catalog.entries.push_back(std::move(entry));
    }
}

// Counts the pictures a parse makes and keeps no pixels.
struct DiscardingSink final : TextureSink {
    uint32_t next = 0;
    uint32_t CreateTexture(int32_t, int32_t, const uint8_t *) override { return ++next; }
    void DeleteTexture(uint32_t) override {}
};

std::string CheckSprite(const uint8_t *bytes, size_t size)
{
    DiscardingSink sink;
    std::string message;
    const MessageSink report = [&message](const char *text) {
        if (message.empty())
            message = text;
    };
    std::unique_ptr<SpriteModel> model = Mod_LoadSpriteModel(bytes, size, sink, report);
    if (!model && message.empty())
        message = "Mod_LoadSpriteModel: sprite not loaded";
    return model ? std::string() : message;
}

// Reads every entry once, archives opened once each, and records why a
// sprite would not load.
void CheckSprites(SpriteCatalog &catalog)
{
    std::unique_ptr<FileSource> source;
    std::string openPath;
    std::vector<uint8_t> bytes;
    for (CatalogEntry &entry : catalog.entries) {
        if (entry.Broken() || entry.origin == SpriteOrigin::BrokenArchive)
            continue;
        if (!source || openPath != entry.path) {
            source = std::make_unique<FileSource>(entry.path);
            openPath = entry.path;
        }
        if (!source->IsOpen()) {
            entry.problem = Formatted("R_LoadSpriteFromFile: Read error (%s)", entry.name);
            continue;
        }
        uint64_t offset = entry.offset, size = entry.size;
        if (entry.origin != SpriteOrigin::Archive) {
            offset = 0;
            size = source->Size();
        } else if (offset + size > source->Size()) {
            entry.problem = Formatted("R_LoadSpriteFromFile: Entry outside its archive (%s)", entry.name);
            continue;
        }
        try {
            bytes.resize(static_cast<size_t>(size));
        } catch (const std::exception &) {
            entry.problem = "R_LoadSpriteFromFile: Out of memory";
            continue;
        }
        if (!source->ReadAt(offset, bytes.data(), bytes.size())) {
            entry.problem = Formatted("R_LoadSpriteFromFile: Read error (%s)", entry.name);
            continue;
        }
        entry.problem = CheckSprite(bytes.data(), bytes.size());
    }
}

}  // namespace

std::string SpriteKey(const std::string &name)
{
    std::string key = name;
    for (char &c : key)
        c = c == '\\' ? '/' : LowerAscii(c);
    return key;
}

bool HasSpriteExtension(const std::string &name)
{
    return name.size() > 4 && SpriteKey(name.substr(name.size() - 4)) == ".spr";
}

SpriteCatalog ListGameSprites(const GameFileSystem &fs, const CatalogOptions &options)
{
    SpriteCatalog catalog;
    AddLooseSprites(fs.BaseDir(), SpriteOrigin::BaseFolder, options, catalog);
    AddLooseSprites(fs.AdditionalDir(), SpriteOrigin::AdditionalFolder, options, catalog);
    const std::vector<PackFile> &packs = fs.Packs();
    for (auto pack = packs.rbegin(); pack != packs.rend(); ++pack)
        AddArchiveSprites(*pack, catalog);

    std::unordered_map<std::string, int32_t> winners;
    winners.reserve(catalog.entries.size());
    for (size_t i = 0; i < catalog.entries.size(); ++i) {
        CatalogEntry &entry = catalog.entries[i];
        entry.winner = winners.emplace(SpriteKey(entry.name), static_cast<int32_t>(i)).first->second;
        entry.shadowed = entry.winner != static_cast<int32_t>(i);
    }

    for (const GameFileSystem::SkippedArchive &skipped : fs.SkippedArchives()) {
        CatalogEntry entry;
        const size_t slash = skipped.path.find_last_of('/');
        entry.name = slash == std::string::npos ? skipped.path : skipped.path.substr(slash + 1);
        entry.origin = SpriteOrigin::BrokenArchive;
        entry.container = skipped.path;
        entry.path = skipped.path;
        entry.problem = skipped.reason;
        entry.winner = static_cast<int32_t>(catalog.entries.size());
        catalog.entries.push_back(std::move(entry));
    }

    if (options.checkSprites)
        CheckSprites(catalog);
    return catalog;
}

bool ReadCatalogEntry(const CatalogEntry &entry, std::vector<uint8_t> &bytes, std::string &message)
{
    if (entry.origin == SpriteOrigin::BrokenArchive) {
        message = entry.problem;
        return false;
    }
    FileSource source(entry.path);
    if (!source.IsOpen()) {
        message = Formatted("R_LoadSpriteFromFile: Read error (%s)", entry.name);
        return false;
    }
    uint64_t offset = entry.offset, size = entry.size;
    if (entry.origin != SpriteOrigin::Archive) {
        offset = 0;
        size = source.Size();
    } else if (offset + size > source.Size()) {
        message = Formatted("R_LoadSpriteFromFile: Entry outside its archive (%s)", entry.name);
        return false;
    }
    try {
        bytes.assign(static_cast<size_t>(size), 0);
    } catch (const std::exception &) {
        message = "R_LoadSpriteFromFile: Out of memory";
        return false;
    }
    if (!source.ReadAt(offset, bytes.data(), bytes.size())) {
        bytes.clear();
        message = Formatted("R_LoadSpriteFromFile: Read error (%s)", entry.name);
        return false;
    }
    return true;
}

namespace {

// Keeps every picture's pixels, in the order the loader makes them.
struct KeepingSink final : TextureSink {
    std::vector<SpritePreview::Picture> pictures;
    uint32_t CreateTexture(int32_t width, int32_t height, const uint8_t *rgba) override
    {
        SpritePreview::Picture picture;
        picture.width = width;
        picture.height = height;
        picture.rgba.assign(rgba, rgba + static_cast<size_t>(width) * height * 4);
        pictures.push_back(std::move(picture));
        return static_cast<uint32_t>(pictures.size());
    }
    void DeleteTexture(uint32_t) override {}
};

}  // namespace

bool LoadSpritePreview(const uint8_t *bytes, size_t size, SpritePreview &preview, std::string &message)
{
    preview = SpritePreview{};
    KeepingSink sink;
    message.clear();
    const MessageSink report = [&message](const char *text) {
        if (message.empty())
            message = text;
    };
    std::unique_ptr<SpriteModel> model;
    try {
        model = Mod_LoadSpriteModel(bytes, size, sink, report);
    } catch (const std::bad_alloc &) {
        message = "R_LoadSpriteFromFile: Out of memory";
    }
    if (!model) {
        if (message.empty())
            message = "Mod_LoadSpriteModel: sprite not loaded";
        return false;
    }
    preview.width = model->width;
    preview.height = model->height;
    preview.frameCount = model->numframes;
    // The textures are numbered in load order; walk the frames to give each
    // picture its showing time.
    for (const SpriteFrameDesc &frame : model->frames) {
        if (frame.kind == kSpriteFrameSingle || !frame.group) {
            const uint32_t texture = frame.picture.texture;
            if (texture >= 1 && texture <= sink.pictures.size()) {
                SpritePreview::Picture picture = sink.pictures[texture - 1];
                picture.seconds = kSingleFrameSeconds;
                preview.pictures.push_back(std::move(picture));
            }
            continue;
        }
        preview.hasGroups = true;
        const SpriteGroup &group = *frame.group;
        for (size_t i = 0; i < group.pictures.size(); ++i) {
            const uint32_t texture = group.pictures[i].texture;
            if (texture < 1 || texture > sink.pictures.size())
                continue;
            SpritePreview::Picture picture = sink.pictures[texture - 1];
            picture.seconds = i < group.intervals.size() ? group.intervals[i] : kSingleFrameSeconds;
            preview.pictures.push_back(std::move(picture));
        }
    }
    return true;
}

const SpritePreview::Picture *PreviewPictureAt(const SpritePreview &preview, double seconds)
{
    if (preview.pictures.empty())
        return nullptr;
    double total = 0;
    for (const SpritePreview::Picture &picture : preview.pictures)
        total += picture.seconds;
    if (!(total > 0) || !std::isfinite(total) || !std::isfinite(seconds) || seconds < 0)
        return &preview.pictures.front();
    double t = std::fmod(seconds, total);
    for (const SpritePreview::Picture &picture : preview.pictures) {
        if (t < picture.seconds)
            return &picture;
        t -= picture.seconds;
    }
    return &preview.pictures.back();
}
