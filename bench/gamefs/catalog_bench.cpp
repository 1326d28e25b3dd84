// How long the sprite browser takes to list a game directory of 2,000 sprites
// in three archives (plus a few loose files): the archive scan alone, the
// listing without reading the sprites, and the listing that parses every
// sprite to mark the broken ones (what the browser does when it opens).
// One preview decode is timed too: thumbnails are made one at a time, lazily.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SpriteWriter.h"
#include "gamefs/SpriteCatalog.h"

namespace {

namespace stdfs = std::filesystem;

constexpr int kArchives = 3;
constexpr int kSpritesPerArchive = 667;  // 2,001 in all
constexpr int kLooseSprites = 40;

// A 32 × 32 sprite of two frames, or a group of four pictures every fifth one.
std::vector<uint8_t> BenchSprite(int n)
{
    SpriteDraft draft;
    for (int i = 0; i < 256; ++i)
        draft.palette.insert(draft.palette.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(n), 0});
    SpritePicture picture;
    picture.width = picture.height = 32;
    picture.indices.resize(32 * 32);
    for (size_t i = 0; i < picture.indices.size(); ++i)
        picture.indices[i] = static_cast<uint8_t>(i * 7 + n);
    SpriteFrameDraft frame;
    if (n % 5 == 0) {
        frame.group = true;
        frame.intervals = {0.1f, 0.1f, 0.1f, 0.1f};
        frame.pictures.assign(4, picture);
        draft.frames = {frame};
    } else {
        frame.pictures = {picture};
        draft.frames = {frame, frame};
    }
    return WriteSprite(draft);
}

class GameDir {
public:
    GameDir()
    {
        std::string pattern = (stdfs::temp_directory_path() / "catalog-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path = pattern;
        int n = 0;
        for (int a = 0; a < kArchives; ++a) {
            std::vector<PakMember> members;
            for (int i = 0; i < kSpritesPerArchive; ++i, ++n)
                members.push_back({"sprites/fx" + std::to_string(n % 1900) + ".spr", BenchSprite(n)});
            WriteFileBytes(path + "/pak" + std::to_string(a) + ".pak", WritePak(members));
        }
        stdfs::create_directories(path + "/sprites");
        for (int i = 0; i < kLooseSprites; ++i)
            WriteFileBytes(path + "/sprites/loose" + std::to_string(i) + ".spr", BenchSprite(i));
    }
    ~GameDir()
    {
        std::error_code ec;
        stdfs::remove_all(path, ec);
    }
    std::string path;
};

GameDir &Dir()
{
    static GameDir dir;
    return dir;
}

void BM_ScanArchivesOnly(benchmark::State &state)
{
    const std::string &path = Dir().path;
    for (auto _ : state) {
        GameFileSystem fs;
        fs.SetGamedir(path.c_str(), "", nullptr);
        benchmark::DoNotOptimize(fs.Packs().size());
    }
}

void BM_ListWithoutReadingSprites(benchmark::State &state)
{
    const std::string &path = Dir().path;
    CatalogOptions options;
    options.checkSprites = false;
    size_t entries = 0;
    for (auto _ : state) {
        GameFileSystem fs;
        fs.SetGamedir(path.c_str(), "", nullptr);
        entries = ListGameSprites(fs, options).entries.size();
    }
    state.counters["entries"] = static_cast<double>(entries);
}

void BM_ListCheckingEverySprite(benchmark::State &state)
{
    const std::string &path = Dir().path;
    size_t entries = 0;
    for (auto _ : state) {
        GameFileSystem fs;
        fs.SetGamedir(path.c_str(), "", nullptr);
        entries = ListGameSprites(fs).entries.size();
    }
    state.counters["entries"] = static_cast<double>(entries);
}

void BM_OnePreview(benchmark::State &state)
{
    GameFileSystem fs;
    fs.SetGamedir(Dir().path.c_str(), "", nullptr);
    const SpriteCatalog catalog = ListGameSprites(fs);
    std::vector<uint8_t> bytes;
    std::string message;
    for (auto _ : state) {
        SpritePreview preview;
        ReadCatalogEntry(catalog.entries[100], bytes, message);
        benchmark::DoNotOptimize(LoadSpritePreview(bytes.data(), bytes.size(), preview, message));
    }
}

BENCHMARK(BM_ScanArchivesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWithoutReadingSprites)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListCheckingEverySprite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnePreview)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
