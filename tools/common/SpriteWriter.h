// Writing version 2 sprite files and PAK archives: the formats the renderer
// reads, made from our own pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gamefs/SpritePixels.h"  // SpriteTextureFormat

struct SpritePicture {
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> indices;  // width × height, row by row from the top
};

struct SpriteFrameDraft {
    bool group = false;            // false: pictures holds exactly one picture
    std::vector<float> intervals;  // group only: seconds per picture
    std::vector<SpritePicture> pictures;
};

struct SpriteDraft {
    int32_t type = 2;                // orientation, copied to the header
    int32_t format = kSpriteNormal;  // SpriteTextureFormat
    std::vector<uint8_t> palette;    // RGB triples, 1 to 256 entries
    std::vector<SpriteFrameDraft> frames;
};

// The file's bytes. Width and height of the header are the largest picture's.
std::vector<uint8_t> WriteSprite(const SpriteDraft &draft);

struct PakMember {
    std::string name;  // path inside the archive, at most 55 characters
    std::vector<uint8_t> data;
};

// The archive's bytes: header, member data in order, directory at the end.
// Names longer than 55 characters are an error (empty result, text in error).
std::vector<uint8_t> WritePak(const std::vector<PakMember> &members, std::string *error = nullptr);

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes);
bool ReadFileBytes(const std::string &path, std::vector<uint8_t> &bytes);
