#include "gamefs/SpriteModel.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>

#include "LittleEndian.h"
#include "gamefs/SpritePixels.h"

namespace {

// A sprite file as read; integers and floats are 32-bit little-endian:
//
//   sprite  = header, palette, frame × numframes
//   header  = StoredSpriteHeader (42 bytes)
//   palette = RGB byte triple × palette count (1 to 256)
//   frame   = kind (0: single), picture
//           | kind (other: group), count, interval × count (float seconds),
//             picture × count
//   picture = origin x, origin y, width, height, palette index × width × height
//
// The header as stored; its fields are read at their offsets in this struct.
struct StoredSpriteHeader {
    int32_t ident;
    int32_t version;  // 2
    int32_t type;
    int32_t format;  // how palette indices become RGBA (SpritePixels.h)
    float radius;
    int32_t width, height;
    int32_t numframes;
    float beamLength;
    int32_t syncType;
    int16_t paletteCount;
};
constexpr size_t kSpriteHeaderSize = offsetof(StoredSpriteHeader, paletteCount) + 2;
static_assert(kSpriteHeaderSize == 42);
constexpr size_t kPictureHeaderSize = 16;  // origin x and y, width, height
constexpr int32_t kSpriteVersion = 2;

// One buffer serves every picture conversion.
uint8_t g_conversionBuffer[kMaxSpritePixels * 4];

class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    size_t Remaining() const { return size_ - pos_; }
    const uint8_t *Here() const { return data_ + pos_; }

    bool Int32(int32_t &value)
    {
        if (Remaining() < 4)
            return false;
        value = ReadLittleInt32(data_ + pos_);
        pos_ += 4;
        return true;
    }

    bool Float32(float &value)
    {
        int32_t bits;
        if (!Int32(bits))
            return false;
        std::memcpy(&value, &bits, sizeof value);
        return true;
    }

    bool Skip(size_t count)
    {
        if (Remaining() < count)
            return false;
        pos_ += count;
        return true;
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
};

// Why a load gave up; the text is already reported.
struct LoadFailed {};

class SpriteParser {
public:
    SpriteParser(const uint8_t *data, size_t size, TextureSink &sink, const MessageSink &report)
        : in_(data, size), sink_(sink), report_(report)
    {
    }

    std::unique_ptr<SpriteModel> Parse();

private:
    template <typename... Args>
    [[noreturn]] void Fail(const char *format, Args... args)
    {
        if (report_) {
            char text[256];
            std::snprintf(text, sizeof text, format, args...);
            report_(text);
        }
        throw LoadFailed{};
    }

    [[noreturn]] void Truncated() { Fail("%s", "Mod_LoadSpriteModel: Unexpected end of file"); }

    int32_t ReadInt()
    {
        int32_t value;
        if (!in_.Int32(value))
            Truncated();
        return value;
    }

    void LoadPicture(SpriteFrame &picture);
    void LoadGroup(SpriteGroup &group);

    Reader in_;
    TextureSink &sink_;
    const MessageSink &report_;
    int32_t format_ = 0;
    int32_t paletteCount_ = 0;
    const uint8_t *palette_ = nullptr;
};

std::unique_ptr<SpriteModel> SpriteParser::Parse()
{
    const uint8_t *header = in_.Here();
    auto field = [header](size_t offset) { return ReadLittleInt32(header + offset); };
    if (in_.Remaining() < offsetof(StoredSpriteHeader, type))
        Truncated();
    const int32_t version = field(offsetof(StoredSpriteHeader, version));
    if (version != kSpriteVersion)
        Fail("sprite has wrong version number (%i should be %i)", version, kSpriteVersion);
    if (in_.Remaining() < kSpriteHeaderSize)
        Truncated();
    const int32_t type = field(offsetof(StoredSpriteHeader, type));
    format_ = field(offsetof(StoredSpriteHeader, format));
    const int32_t width = field(offsetof(StoredSpriteHeader, width));
    const int32_t height = field(offsetof(StoredSpriteHeader, height));
    const int32_t numframes = field(offsetof(StoredSpriteHeader, numframes));
    paletteCount_ = ReadLittleInt16(header + offsetof(StoredSpriteHeader, paletteCount));
    in_.Skip(kSpriteHeaderSize);
    if (paletteCount_ < 1 || paletteCount_ > 256)
        Fail("sprite has funny number of palette entires (%i)", paletteCount_);
    palette_ = in_.Here();
    if (!in_.Skip(static_cast<size_t>(paletteCount_) * 3))
        Truncated();

    auto model = std::make_unique<SpriteModel>();
    model->type = type;
    model->width = width;
    model->height = height;
    model->numframes = numframes;
    if (numframes < 1)
        Fail("%s", "Mod_LoadSpriteModel: Invalid # of frames");
    // Every frame takes at least a kind, a picture header and one pixel, so
    // a count the bytes cannot hold is a truncated file, found before any
    // large allocation.
    if (static_cast<size_t>(numframes) > in_.Remaining() / (4 + kPictureHeaderSize + 1))
        Truncated();

    model->frames.resize(static_cast<size_t>(numframes));
    try {
        for (SpriteFrameDesc &frame : model->frames) {
            frame.kind = ReadInt();
            if (frame.kind == kSpriteFrameSingle) {
                LoadPicture(frame.picture);
            } else {
                frame.group = std::make_unique<SpriteGroup>();
                LoadGroup(*frame.group);
            }
        }
    } catch (...) {
        ReleaseSpriteTextures(*model, sink_);
        throw;
    }
    return model;
}

void SpriteParser::LoadGroup(SpriteGroup &group)
{
    const int32_t count = ReadInt();
    if (count < 1)
        Fail("%s", "Mod_LoadSpriteGroup: Invalid # of frames");
    if (static_cast<size_t>(count) > in_.Remaining() / (4 + kPictureHeaderSize + 1))
        Truncated();
    group.numframes = count;
    group.intervals.resize(static_cast<size_t>(count));
    double total = 0;
    for (float &interval : group.intervals) {
        if (!in_.Float32(interval))
            Truncated();
        if (!(interval > 0.0f))  // not a number fails as well
            Fail("%s", "Mod_LoadSpriteGroup: interval<=0");
        total += interval;
    }
    group.totalInterval = static_cast<float>(total);
    group.pictures.resize(static_cast<size_t>(count));
    for (SpriteFrame &picture : group.pictures)
        LoadPicture(picture);
}

void SpriteParser::LoadPicture(SpriteFrame &picture)
{
    const int32_t originX = ReadInt();
    const int32_t originY = ReadInt();
    const int32_t width = ReadInt();
    const int32_t height = ReadInt();
    if (width < 1 || height < 1)
        Fail("Mod_LoadSpriteFrame: Invalid picture size (%ix%i)", width, height);
    const int64_t pixels = static_cast<int64_t>(width) * height;
    if (pixels > kMaxSpritePixels)
        Fail("Mod_LoadSpriteFrame: Picture too large (%ix%i)", width, height);
    if (in_.Remaining() < static_cast<size_t>(pixels))
        Truncated();

    picture.width = width;
    picture.height = height;
    picture.up = static_cast<float>(originY);
    picture.down = static_cast<float>(static_cast<int64_t>(originY) - height);
    picture.left = static_cast<float>(originX);
    picture.right = static_cast<float>(static_cast<int64_t>(originX) + width);

    ConvertSpritePixels(in_.Here(), static_cast<int32_t>(pixels), palette_, paletteCount_, format_,
                        g_conversionBuffer);
    in_.Skip(static_cast<size_t>(pixels));
    picture.texture = sink_.CreateTexture(width, height, g_conversionBuffer);
}

void ReleasePicture(SpriteFrame &picture, TextureSink &sink)
{
    if (picture.texture != 0)
        sink.DeleteTexture(picture.texture);
    picture.texture = 0;
}

}  // namespace

void ConvertSpritePixels(const uint8_t *indices, int32_t count, const uint8_t *palette, int32_t paletteCount,
                         int32_t format, uint8_t *rgba)
{
    if (paletteCount < 1)
        return;
    const int32_t last = paletteCount - 1;
    // The alpha-test format makes the colour of entry 255 transparent; a shorter palette
    // has no entry 255, so nothing is transparent.
    const bool keyed = format == kSpriteAlphaTest && paletteCount == 256;
    const uint8_t *key = palette + 255 * 3;
    for (int32_t i = 0; i < count; ++i) {
        int32_t index = indices[i];
        if (index > last)
            index = last;  // outside the palette: its last entry
        const uint8_t *c = palette + index * 3;
        uint8_t *out = rgba + static_cast<size_t>(i) * 4;
        if (format == kSpriteAlphaTest) {
            if (keyed && c[0] == key[0] && c[1] == key[1] && c[2] == key[2]) {
                out[0] = out[1] = out[2] = out[3] = 0;
            } else {
                out[0] = c[0];
                out[1] = c[1];
                out[2] = c[2];
                out[3] = 255;
            }
        } else if (format == kSpriteIndexAlpha) {
            // value × index / count, truncated, in exact integer arithmetic.
            out[0] = static_cast<uint8_t>(c[0] * index / paletteCount);
            out[1] = static_cast<uint8_t>(c[1] * index / paletteCount);
            out[2] = static_cast<uint8_t>(c[2] * index / paletteCount);
            out[3] = static_cast<uint8_t>(255 * index / paletteCount);
        } else {
            out[0] = c[0];
            out[1] = c[1];
            out[2] = c[2];
            out[3] = 255;
        }
    }
}

std::unique_ptr<SpriteModel> Mod_LoadSpriteModel(const uint8_t *buffer, size_t size, TextureSink &sink,
                                                 const MessageSink &report)
{
    try {
        SpriteParser parser(buffer, size, sink, report);
        return parser.Parse();
    } catch (const LoadFailed &) {
        return nullptr;
    } catch (const std::bad_alloc &) {
        if (report)
            report("R_LoadSpriteFromFile: Out of memory");
        return nullptr;
    }
}

void ReleaseSpriteTextures(SpriteModel &model, TextureSink &sink)
{
    for (SpriteFrameDesc &frame : model.frames) {
        ReleasePicture(frame.picture, sink);
        if (frame.group)
            for (SpriteFrame &picture : frame.group->pictures)
                ReleasePicture(picture, sink);
    }
}

uint32_t SpriteFrameTexture(const SpriteModel &model, float &frame, float age)
{
    const int32_t count = static_cast<int32_t>(model.frames.size());
    if (count < 1)
        return 0;
    if (!(frame < static_cast<float>(count)))  // at or past the end, or not a number
        frame = 0;
    const int32_t index = frame < 0 ? 0 : static_cast<int32_t>(std::floor(frame));
    const SpriteFrameDesc &desc = model.frames[static_cast<size_t>(index < count ? index : 0)];
    if (desc.kind == kSpriteFrameSingle || !desc.group)
        return desc.picture.texture;

    const SpriteGroup &group = *desc.group;
    if (group.pictures.empty())
        return 0;
    double t = age;
    if (!(t > 0) || !std::isfinite(t))
        t = 0;
    const double total = group.totalInterval;
    if (total > 0 && std::isfinite(total))
        t = std::fmod(t, total);
    for (size_t i = 0; i < group.pictures.size() && i < group.intervals.size(); ++i) {
        if (t < group.intervals[i])
            return group.pictures[i].texture;
        t -= group.intervals[i];
    }
    return group.pictures.back().texture;
}
