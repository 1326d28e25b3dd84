#include "Palette.h"

#include <algorithm>
#include <array>
#include <map>

#include "SpriteWriter.h"
#include "gamefs/SpritePixels.h"

namespace {

uint32_t Key(Rgba c)
{
    return static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
}

struct Box {
    std::vector<std::pair<uint32_t, uint64_t>> colours;  // key, pixel count
    uint64_t weight = 0;

    int Channel(uint32_t key, int axis) const { return (key >> (16 - 8 * axis)) & 0xFF; }

    int Range(int axis) const
    {
        int lo = 255, hi = 0;
        for (const auto &c : colours) {
            lo = std::min(lo, Channel(c.first, axis));
            hi = std::max(hi, Channel(c.first, axis));
        }
        return hi - lo;
    }
};

Rgba Darkened(Rgba c)
{
    return {static_cast<uint8_t>(c.r * c.a / 255), static_cast<uint8_t>(c.g * c.a / 255),
            static_cast<uint8_t>(c.b * c.a / 255), 255};
}

}  // namespace

std::vector<uint8_t> MedianCutPalette(const std::vector<Rgba> &colours, int32_t maxColours)
{
    std::map<uint32_t, uint64_t> counts;
    for (Rgba c : colours)
        ++counts[Key(c)];
    std::vector<Box> boxes(1);
    for (const auto &entry : counts) {
        boxes[0].colours.push_back(entry);
        boxes[0].weight += entry.second;
    }
    if (boxes[0].colours.empty())
        return {0, 0, 0};

    while (static_cast<int32_t>(boxes.size()) < maxColours) {
        // Split the box with the widest spread, weighted by how much it covers.
        int best = -1, bestAxis = 0;
        uint64_t bestScore = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2)
                continue;
            for (int axis = 0; axis < 3; ++axis) {
                const uint64_t score = static_cast<uint64_t>(boxes[i].Range(axis) + 1) *
                                       (boxes[i].weight + 1);
                if (score > bestScore) {
                    bestScore = score;
                    best = static_cast<int>(i);
                    bestAxis = axis;
                }
            }
        }
        if (best < 0)
            break;
        Box &box = boxes[static_cast<size_t>(best)];
        std::sort(box.colours.begin(), box.colours.end(), [&](const auto &a, const auto &b) {
            return box.Channel(a.first, bestAxis) < box.Channel(b.first, bestAxis);
        });
        uint64_t half = 0;
        size_t cut = 1;
        for (; cut < box.colours.size(); ++cut) {
            half += box.colours[cut - 1].second;
            if (half * 2 >= box.weight)
                break;
        }
        cut = std::clamp<size_t>(cut, 1, box.colours.size() - 1);
        Box other;
        other.colours.assign(box.colours.begin() + static_cast<long>(cut), box.colours.end());
        box.colours.resize(cut);
        box.weight = 0;
        for (const auto &c : box.colours)
            box.weight += c.second;
        for (const auto &c : other.colours)
            other.weight += c.second;
        boxes.push_back(std::move(other));
    }

    std::vector<uint8_t> palette;
    for (const Box &box : boxes) {
        std::array<uint64_t, 3> sum{};
        for (const auto &c : box.colours)
            for (int axis = 0; axis < 3; ++axis)
                sum[static_cast<size_t>(axis)] += box.Channel(c.first, axis) * c.second;
        for (int axis = 0; axis < 3; ++axis)
            palette.push_back(
                static_cast<uint8_t>((sum[static_cast<size_t>(axis)] + box.weight / 2) / box.weight));
    }
    return palette;
}

uint8_t NearestEntry(const std::vector<uint8_t> &palette, Rgba colour)
{
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i + 2 < palette.size(); i += 3) {
        const long dr = palette[i] - colour.r, dg = palette[i + 1] - colour.g, db = palette[i + 2] - colour.b;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i / 3);
        }
    }
    return static_cast<uint8_t>(best);
}

namespace {

// Index alpha: the index is the pixel's alpha; each entry is the mean colour
// of the pixels that use it.
IndexedPictures IndexByAlpha(const std::vector<RgbaPicture> &pictures)
{
    IndexedPictures out;
    std::array<std::array<uint64_t, 4>, 256> sums{};  // r, g, b, count per index
    for (const RgbaPicture &picture : pictures) {
        std::vector<uint8_t> indices;
        for (Rgba c : picture.pixels) {
            const int index = std::min(255, (c.a * 256 + 127) / 255);
            indices.push_back(static_cast<uint8_t>(index));
            auto &s = sums[static_cast<size_t>(index)];
            s[0] += c.r;
            s[1] += c.g;
            s[2] += c.b;
            s[3] += 1;
        }
        out.indices.push_back(std::move(indices));
    }
    // Entries no pixel uses take the colour of the nearest used one above
    // or below, so the palette stays smooth.
    std::array<int, 256> source{};
    int lastUsed = -1;
    for (int i = 0; i < 256; ++i) {
        if (sums[static_cast<size_t>(i)][3] > 0)
            lastUsed = i;
        source[static_cast<size_t>(i)] = lastUsed;
    }
    int nextUsed = -1;
    for (int i = 255; i >= 0; --i) {
        if (sums[static_cast<size_t>(i)][3] > 0)
            nextUsed = i;
        if (source[static_cast<size_t>(i)] < 0)
            source[static_cast<size_t>(i)] = nextUsed;
    }
    for (int i = 0; i < 256; ++i) {
        const int s = source[static_cast<size_t>(i)];
        for (int ch = 0; ch < 3; ++ch) {
            uint8_t v = 255;
            if (s >= 0) {
                const auto &sum = sums[static_cast<size_t>(s)];
                v = static_cast<uint8_t>((sum[static_cast<size_t>(ch)] + sum[3] / 2) / sum[3]);
            }
            out.palette.push_back(v);
        }
    }
    return out;
}

// The palette of the pictures' colours (darkened, or only the opaque ones
// for alpha test) by median cut.
std::vector<uint8_t> PaletteOfColours(const std::vector<RgbaPicture> &pictures, int32_t format)
{
    std::vector<Rgba> colours;
    for (const RgbaPicture &picture : pictures)
        for (Rgba c : picture.pixels) {
            if (format == kSpriteAlphaTest) {
                if (c.a >= 128)
                    colours.push_back({c.r, c.g, c.b, 255});
            } else {
                colours.push_back(Darkened(c));
            }
        }
    const int32_t maxColours = format == kSpriteAlphaTest ? 255 : 256;
    return colours.empty() ? std::vector<uint8_t>{0, 0, 0} : MedianCutPalette(colours, maxColours);
}

// Alpha test: opaque pixels take their nearest entry, the rest entry 255,
// whose colour is a key that no other entry has.
IndexedPictures IndexAlphaTested(const std::vector<RgbaPicture> &pictures, std::vector<uint8_t> palette)
{
    IndexedPictures out;
    out.palette = std::move(palette);
    // A key colour that no entry has: the first free one of a few plain
    // choices, else the first free colour counting up.
    std::vector<uint32_t> used;
    for (size_t i = 0; i + 2 < out.palette.size(); i += 3)
        used.push_back(Key({out.palette[i], out.palette[i + 1], out.palette[i + 2], 255}));
    std::sort(used.begin(), used.end());
    uint32_t key = 0x0000FF;
    for (uint32_t candidate : {0x0000FFu, 0xFF00FFu, 0x00FF00u})
        if (!std::binary_search(used.begin(), used.end(), candidate)) {
            key = candidate;
            break;
        }
    while (std::binary_search(used.begin(), used.end(), key))
        ++key;
    const std::vector<uint8_t> opaque = out.palette;
    // Unused entries repeat entry 0, which is never the key.
    while (out.palette.size() < 255 * 3)
        out.palette.insert(out.palette.end(), opaque.begin(), opaque.begin() + 3);
    out.palette.push_back(static_cast<uint8_t>(key >> 16));
    out.palette.push_back(static_cast<uint8_t>(key >> 8));
    out.palette.push_back(static_cast<uint8_t>(key));
    for (const RgbaPicture &picture : pictures) {
        std::vector<uint8_t> indices;
        std::map<uint32_t, uint8_t> cache;
        for (Rgba c : picture.pixels) {
            if (c.a < 128) {
                indices.push_back(255);
                continue;
            }
            auto it = cache.find(Key(c));
            if (it == cache.end())
                it = cache.emplace(Key(c), NearestEntry(opaque, c)).first;
            indices.push_back(it->second);
        }
        out.indices.push_back(std::move(indices));
    }
    return out;
}

// Every other format: each pixel, darkened, takes its nearest entry.
IndexedPictures IndexOpaque(const std::vector<RgbaPicture> &pictures, std::vector<uint8_t> palette)
{
    IndexedPictures out;
    out.palette = std::move(palette);
    for (const RgbaPicture &picture : pictures) {
        std::vector<uint8_t> indices;
        std::map<uint32_t, uint8_t> cache;
        for (Rgba c : picture.pixels) {
            const Rgba d = Darkened(c);
            auto it = cache.find(Key(d));
            if (it == cache.end())
                it = cache.emplace(Key(d), NearestEntry(out.palette, d)).first;
            indices.push_back(it->second);
        }
        out.indices.push_back(std::move(indices));
    }
    return out;
}

}  // namespace

IndexedPictures IndexPictures(const std::vector<RgbaPicture> &pictures, int32_t format)
{
    if (format == kSpriteIndexAlpha)
        return IndexByAlpha(pictures);
    std::vector<uint8_t> palette = PaletteOfColours(pictures, format);
    if (format == kSpriteAlphaTest)
        return IndexAlphaTested(pictures, std::move(palette));
    return IndexOpaque(pictures, std::move(palette));
}

SpriteDraft MakeSpriteDraft(const std::vector<RgbaPicture> &pictures, const SpriteMakeOptions &options)
{
    SpriteDraft draft;
    draft.type = options.type;
    draft.format = options.format;
    IndexedPictures indexed = IndexPictures(pictures, options.format);
    draft.palette = std::move(indexed.palette);

    std::vector<SpritePicture> made;
    for (size_t i = 0; i < pictures.size(); ++i) {
        SpritePicture picture;
        picture.width = pictures[i].width;
        picture.height = pictures[i].height;
        picture.originX = options.centred ? -picture.width / 2 : options.originX;
        picture.originY = options.centred ? picture.height / 2 : options.originY;
        picture.indices = std::move(indexed.indices[i]);
        made.push_back(std::move(picture));
    }
    if (options.group) {
        SpriteFrameDraft frame;
        frame.group = true;
        for (size_t i = 0; i < made.size(); ++i) {
            float interval = 0.1f;
            if (options.intervals.size() == 1)
                interval = options.intervals[0];
            else if (i < options.intervals.size())
                interval = options.intervals[i];
            frame.intervals.push_back(interval);
        }
        frame.pictures = std::move(made);
        draft.frames.push_back(std::move(frame));
    } else {
        for (SpritePicture &picture : made) {
            SpriteFrameDraft frame;
            frame.pictures.push_back(std::move(picture));
            draft.frames.push_back(std::move(frame));
        }
    }
    return draft;
}
