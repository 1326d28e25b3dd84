#include "GifWriter.h"

#include <cmath>
#include <cstring>

#include "Palette.h"

namespace {

constexpr int kMinCodeSize = 8;
constexpr int kClearCode = 1 << kMinCodeSize;
constexpr int kEndCode = kClearCode + 1;
constexpr int kMaxCode = 4095;

// Bits packed from the least significant end, cut into blocks of 255 bytes.
class BlockBitWriter {
public:
    explicit BlockBitWriter(std::vector<uint8_t> &out) : out_(out) {}
    void Put(uint32_t code, int bits)
    {
        buffer_ |= code << filled_;
        filled_ += bits;
        while (filled_ >= 8) {
            Byte(static_cast<uint8_t>(buffer_ & 0xFF));
            buffer_ >>= 8;
            filled_ -= 8;
        }
    }
    void Finish()
    {
        if (filled_ > 0)
            Byte(static_cast<uint8_t>(buffer_ & 0xFF));
        filled_ = 0;
        buffer_ = 0;
        FlushBlock();
        out_.push_back(0);
    }

private:
    void Byte(uint8_t b)
    {
        block_[blockSize_++] = b;
        if (blockSize_ == 255)
            FlushBlock();
    }
    void FlushBlock()
    {
        if (blockSize_ == 0)
            return;
        out_.push_back(static_cast<uint8_t>(blockSize_));
        out_.insert(out_.end(), block_, block_ + blockSize_);
        blockSize_ = 0;
    }
    std::vector<uint8_t> &out_;
    uint32_t buffer_ = 0;
    int filled_ = 0;
    uint8_t block_[255];
    int blockSize_ = 0;
};

// Codes of the strings seen so far: (prefix code, next index) -> code.
class CodeTable {
public:
    CodeTable() : keys_(kSlots), codes_(kSlots) { Clear(); }
    void Clear() { std::fill(keys_.begin(), keys_.end(), -1); }
    int Find(int prefix, uint8_t index) const
    {
        const int32_t key = prefix << 8 | index;
        for (size_t s = Slot(key);; s = (s + 1) & (kSlots - 1)) {
            if (keys_[s] == key)
                return codes_[s];
            if (keys_[s] < 0)
                return -1;
        }
    }
    void Add(int prefix, uint8_t index, int code)
    {
        const int32_t key = prefix << 8 | index;
        size_t s = Slot(key);
        while (keys_[s] >= 0)
            s = (s + 1) & (kSlots - 1);
        keys_[s] = key;
        codes_[s] = static_cast<int16_t>(code);
    }

private:
    static constexpr size_t kSlots = 8192;  // twice the codes: short probes
    static size_t Slot(int32_t key)
    {
        return (static_cast<uint32_t>(key) * 2654435761u >> 19) & (kSlots - 1);
    }
    std::vector<int32_t> keys_;
    std::vector<int16_t> codes_;
};

void PutWord(std::vector<uint8_t> &out, int value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8 & 0xFF));
}

}  // namespace

std::vector<uint8_t> EncodeGifPicture(const uint8_t *indices, size_t count)
{
    std::vector<uint8_t> out;
    out.push_back(kMinCodeSize);
    BlockBitWriter bits(out);
    CodeTable table;
    int codeSize = kMinCodeSize + 1;
    int next = kEndCode + 1;
    bits.Put(kClearCode, codeSize);
    if (count > 0) {
        int current = indices[0];
        for (size_t i = 1; i < count; ++i) {
            const uint8_t index = indices[i];
            const int found = table.Find(current, index);
            if (found >= 0) {
                current = found;
                continue;
            }
            bits.Put(static_cast<uint32_t>(current), codeSize);
            if (next <= kMaxCode) {
                table.Add(current, index, next);
                // The reader widens its codes once its table reaches the
                // current width, one code after the writer adds it.
                if (next == (1 << codeSize) && codeSize < 12)
                    ++codeSize;
                ++next;
            } else {
                bits.Put(kClearCode, codeSize);
                table.Clear();
                codeSize = kMinCodeSize + 1;
                next = kEndCode + 1;
            }
            current = index;
        }
        bits.Put(static_cast<uint32_t>(current), codeSize);
    }
    bits.Put(kEndCode, codeSize);
    bits.Finish();
    return out;
}

std::vector<uint16_t> GifDelays(int frames, double stepMs)
{
    std::vector<uint16_t> delays;
    long long previous = 0;
    for (int i = 1; i <= frames; ++i) {
        const long long end = std::llround(i * stepMs / 10.0);
        long long d = end - previous;
        previous = end;
        if (d < 1)
            d = 0;  // shown together with the next one's time
        delays.push_back(static_cast<uint16_t>(d > 65535 ? 65535 : d));
    }
    return delays;
}

std::vector<uint8_t> EncodeGif(const std::vector<RgbaImage> &frames, double stepMs)
{
    if (frames.empty())
        return {};
    const int w = frames[0].width, h = frames[0].height;
    const size_t pixels = static_cast<size_t>(w) * h;
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535)
        return {};
    for (const RgbaImage &f : frames)
        if (f.width != w || f.height != h || f.pixels.size() != pixels * 4)
            return {};

    // The palette from every frame's colours (a sample of each frame keeps
    // long animations quick to quantise).
    std::vector<Rgba> colours;
    const size_t stride = frames.size() * pixels > 4000000 ? frames.size() * pixels / 4000000 + 1 : 1;
    for (const RgbaImage &f : frames)
        for (size_t p = 0; p < pixels; p += stride)
            colours.push_back({f.pixels[p * 4], f.pixels[p * 4 + 1], f.pixels[p * 4 + 2], 255});
    std::vector<uint8_t> palette = MedianCutPalette(colours, 256);
    palette.resize(256 * 3, 0);
    const std::vector<uint8_t> lookupPalette(palette.begin(), palette.end());

    std::vector<uint8_t> out;
    const char header[] = "GIF89a";
    out.insert(out.end(), header, header + 6);
    PutWord(out, w);
    PutWord(out, h);
    out.push_back(0xF7);  // global table of 256 entries, 8 bits a channel
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), palette.begin(), palette.end());
    // Loop forever.
    const uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                            'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    out.insert(out.end(), loop, loop + sizeof loop);

    const std::vector<uint16_t> delays = GifDelays(static_cast<int>(frames.size()), stepMs);
    // Nearest entries found once per colour: frames repeat most colours.
    std::vector<int16_t> nearest(1u << 24, -1);
    std::vector<uint8_t> indices(pixels);
    for (size_t n = 0; n < frames.size(); ++n) {
        const uint8_t *rgba = frames[n].pixels.data();
        for (size_t p = 0; p < pixels; ++p) {
            const Rgba c{rgba[p * 4], rgba[p * 4 + 1], rgba[p * 4 + 2], 255};
            const uint32_t key = static_cast<uint32_t>(c.r) << 16 | c.g << 8 | c.b;
            if (nearest[key] < 0)
                nearest[key] = NearestEntry(lookupPalette, c);
            indices[p] = static_cast<uint8_t>(nearest[key]);
        }
        const uint8_t control[] = {0x21,
                                   0xF9,
                                   0x04,
                                   0x04,  // keep the picture, no transparency
                                   static_cast<uint8_t>(delays[n] & 0xFF),
                                   static_cast<uint8_t>(delays[n] >> 8),
                                   0x00,
                                   0x00};
        out.insert(out.end(), control, control + sizeof control);
        out.push_back(0x2C);
        PutWord(out, 0);
        PutWord(out, 0);
        PutWord(out, w);
        PutWord(out, h);
        out.push_back(0);
        const std::vector<uint8_t> data = EncodeGifPicture(indices.data(), pixels);
        out.insert(out.end(), data.begin(), data.end());
    }
    out.push_back(0x3B);
    return out;
}
