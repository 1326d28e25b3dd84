// A version 2 sprite held in memory: the header values, and per frame either
// one picture or a group of pictures shown in turn. Pictures keep only their
// size, their placement around the origin and the texture made from them;
// the pixels live in the texture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "MessageSink.h"

struct SpriteFrame {
    int32_t width = 0;
    int32_t height = 0;
    float up = 0;          // origin y
    float down = 0;        // origin y - height
    float left = 0;        // origin x
    float right = 0;       // origin x + width
    uint32_t texture = 0;  // texture name, 0 when none was made
};

struct SpriteGroup {
    int32_t numframes = 0;
    std::vector<float> intervals;       // seconds each picture shows, all above 0
    std::vector<SpriteFrame> pictures;  // numframes entries
    float totalInterval = 0;            // sum of the intervals: one cycle
};

enum : int32_t { kSpriteFrameSingle = 0 };

struct SpriteFrameDesc {
    int32_t kind = kSpriteFrameSingle;   // 0: picture, anything else: group
    SpriteFrame picture;                 // used when kind is 0
    std::unique_ptr<SpriteGroup> group;  // used otherwise
};

struct SpriteModel {
    int32_t type = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t numframes = 0;
    std::vector<SpriteFrameDesc> frames;  // numframes entries
};

// Makes and deletes the texture of one picture. The loader hands over RGBA
// bytes, row by row from the top, valid only during the call.
class TextureSink {
public:
    virtual ~TextureSink() = default;
    virtual uint32_t CreateTexture(int32_t width, int32_t height, const uint8_t *rgba) = 0;
    virtual void DeleteTexture(uint32_t texture) = 0;
};

// Largest picture the conversion buffer holds: 65536 RGBA pixels.
constexpr int32_t kMaxSpritePixels = 65536;

// Parses a sprite file of size bytes. Every picture is converted to RGBA and
// handed to the sink. On any failure the text goes to report, every texture
// made so far is deleted and the result is empty.
std::unique_ptr<SpriteModel> Mod_LoadSpriteModel(const uint8_t *buffer, size_t size, TextureSink &sink,
                                                 const MessageSink &report);

// Deletes the texture of every picture, those inside groups included.
void ReleaseSpriteTextures(SpriteModel &model, TextureSink &sink);

// Which texture a particle shows for its frame value and age. A frame at or
// above the frame count (or not a number) is set back to 0, as the drawing
// rules ask; a frame below 0 shows frame 0. A group shows its pictures in
// turn, each for its interval, cycling over the particle's age.
uint32_t SpriteFrameTexture(const SpriteModel &model, float &frame, float age);
