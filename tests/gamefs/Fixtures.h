// Shared helpers of the game file system tests: temporary game folders,
// sprite and archive bytes made by our own writers, and a texture sink that
// keeps what it is given.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "SpriteWriter.h"
#include "gamefs/SpriteModel.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &Path() const { return path_; }
    // Creates the file (and its folders) below the temporary folder.
    std::string Write(const std::string &relative, const std::vector<uint8_t> &bytes) const;
    std::string MakeDir(const std::string &relative) const;

private:
    std::string path_;
};

// A one-frame sprite of a w × h picture filled with one index; the palette
// colour of that index is (marker, 0, 0), so tests tell sprites apart by red.
std::vector<uint8_t> MarkerSprite(uint8_t marker, int32_t w = 2, int32_t h = 2);

// Red channel of the first pixel of the sprite's first picture, or -1.
struct RecordingSink;
int FirstRed(const struct SpriteModel *model, const RecordingSink &sink);

std::vector<uint8_t> Pak(const std::vector<PakMember> &members);

void PutInt32(std::vector<uint8_t> &bytes, size_t at, int32_t value);
void PutInt16(std::vector<uint8_t> &bytes, size_t at, int16_t value);
void PutFloat32(std::vector<uint8_t> &bytes, size_t at, float value);

struct RecordingSink : TextureSink {
    struct Texture {
        int32_t width = 0;
        int32_t height = 0;
        std::vector<uint8_t> rgba;
    };
    std::map<uint32_t, Texture> live;
    uint32_t next = 1;
    int created = 0;
    int deleted = 0;
    int unknownDeletes = 0;

    uint32_t CreateTexture(int32_t width, int32_t height, const uint8_t *rgba) override;
    void DeleteTexture(uint32_t texture) override;
};

struct MessageLog {
    std::vector<std::string> texts;
    MessageSink Sink()
    {
        return [this](const char *text) { texts.emplace_back(text); };
    }
};
