// Every sprite that two game directories offer, as the renderer would find
// them: loose files of the base directory, loose files of the additional
// directory, then the entries of the archives from the last opened to the
// first. Of the entries that share a name (ASCII letter case aside) the first
// in that order is the one the renderer loads; the others are shadowed by it.
// Plain C++: the editor's sprite browser and its tests use it as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gamefs/GameFileSystem.h"

enum class SpriteOrigin { BaseFolder, AdditionalFolder, Archive, BrokenArchive };

struct CatalogEntry {
    // The game path as a sprite row holds it, "/" between folders, letter case
    // as stored. For a broken archive: its file name.
    std::string name;
    SpriteOrigin origin = SpriteOrigin::BaseFolder;
    std::string container;  // the game directory, or the archive's full path
    std::string path;       // the file to read: the loose file or the archive
    uint64_t offset = 0;    // inside path
    uint64_t size = 0;
    int32_t winner = -1;    // index of the entry the renderer loads for this name
    bool shadowed = false;  // winner is another entry
    std::string problem;    // set when broken: the renderer's message, or the archive's fault

    bool Broken() const { return !problem.empty(); }
};

struct CatalogOptions {
    // Reads and parses every sprite so that broken ones are marked; without
    // it only entries lying outside their archive are.
    bool checkSprites = true;
    // Bounds of the walk through each game directory's tree (links may loop,
    // a game directory may be a whole disk).
    int maxDepth = 12;
    size_t maxFolderEntries = 200000;
};

struct SpriteCatalog {
    std::vector<CatalogEntry> entries;  // in lookup order; broken archives last
    bool truncated = false;             // a walk hit its bounds
};

// The lower-case form of a game path with "\" turned into "/": the key under
// which two names are the same sprite.
std::string SpriteKey(const std::string &name);

// Whether a file name ends in ".spr", ignoring case.
bool HasSpriteExtension(const std::string &name);

// Lists the sprites of the game file system's directories and scanned archives.
SpriteCatalog ListGameSprites(const GameFileSystem &fs, const CatalogOptions &options = {});

// The bytes of an entry. False with message when they cannot be read.
bool ReadCatalogEntry(const CatalogEntry &entry, std::vector<uint8_t> &bytes, std::string &message);

// What a sprite browser shows of one sprite: the header, and every picture as
// RGBA with how long it shows in an animation of the whole sprite (a group's
// own intervals; a single picture frame kSingleFrameSeconds).
struct SpritePreview {
    struct Picture {
        int32_t width = 0;
        int32_t height = 0;
        float seconds = 0;
        std::vector<uint8_t> rgba;  // width × height × 4, rows from the top
    };
    int32_t width = 0;
    int32_t height = 0;
    int32_t frameCount = 0;
    bool hasGroups = false;
    std::vector<Picture> pictures;  // in showing order
};

inline constexpr float kSingleFrameSeconds = 0.1f;

// Parses bytes with the renderer's sprite loader. False with the loader's
// message when the sprite is broken.
bool LoadSpritePreview(const uint8_t *bytes, size_t size, SpritePreview &preview, std::string &message);

// The picture of a preview to show at time seconds of a looping animation.
const SpritePreview::Picture *PreviewPictureAt(const SpritePreview &preview, double seconds);
