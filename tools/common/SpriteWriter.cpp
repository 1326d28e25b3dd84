#include "SpriteWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "gamefs/PackFile.h"

namespace {

void PutInt(std::vector<uint8_t> &out, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutFloat(std::vector<uint8_t> &out, float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt(out, bits);
}

void SetInt(std::vector<uint8_t> &out, size_t at, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutPicture(std::vector<uint8_t> &out, const SpritePicture &picture)
{
    PutInt(out, picture.originX);
    PutInt(out, picture.originY);
    PutInt(out, picture.width);
    PutInt(out, picture.height);
    out.insert(out.end(), picture.indices.begin(), picture.indices.end());
}

}  // namespace

std::vector<uint8_t> WriteSprite(const SpriteDraft &draft)
{
    int32_t width = 0;
    int32_t height = 0;
    for (const SpriteFrameDraft &frame : draft.frames)
        for (const SpritePicture &picture : frame.pictures) {
            width = std::max(width, picture.width);
            height = std::max(height, picture.height);
        }
    const int32_t paletteCount = static_cast<int32_t>(draft.palette.size() / 3);

    std::vector<uint8_t> out = {'S', 'W', 'S', 'P'};
    PutInt(out, 2);  // version
    PutInt(out, draft.type);
    PutInt(out, draft.format);
    PutFloat(out, std::hypot(static_cast<float>(width), static_cast<float>(height)) / 2);
    PutInt(out, width);
    PutInt(out, height);
    PutInt(out, static_cast<int32_t>(draft.frames.size()));
    PutFloat(out, 0);  // beam length
    PutInt(out, 0);    // synchronisation
    out.push_back(static_cast<uint8_t>(paletteCount & 0xFF));
    out.push_back(static_cast<uint8_t>((paletteCount >> 8) & 0xFF));
    out.insert(out.end(), draft.palette.begin(), draft.palette.begin() + paletteCount * 3);

    for (const SpriteFrameDraft &frame : draft.frames) {
        if (!frame.group) {
            PutInt(out, 0);
            if (!frame.pictures.empty())
                PutPicture(out, frame.pictures.front());
            continue;
        }
        PutInt(out, 1);
        PutInt(out, static_cast<int32_t>(frame.pictures.size()));
        for (size_t i = 0; i < frame.pictures.size(); ++i)
            PutFloat(out, i < frame.intervals.size() ? frame.intervals[i] : 0.1f);
        for (const SpritePicture &picture : frame.pictures)
            PutPicture(out, picture);
    }
    return out;
}

std::vector<uint8_t> WritePak(const std::vector<PakMember> &members, std::string *error)
{
    std::vector<uint8_t> out(kPackHeaderSize, 0);
    std::memcpy(out.data(), "PACK", 4);
    std::vector<uint8_t> dir;
    for (const PakMember &member : members) {
        if (member.name.empty() || member.name.size() >= size_t{kPackEntryNameSize}) {
            if (error)
                *error = "name must have 1 to 55 characters: " + member.name;
            return {};
        }
        char name[kPackEntryNameSize] = {};
        std::memcpy(name, member.name.data(), member.name.size());
        dir.insert(dir.end(), name, name + kPackEntryNameSize);
        PutInt(dir, static_cast<int32_t>(out.size()));
        PutInt(dir, static_cast<int32_t>(member.data.size()));
        out.insert(out.end(), member.data.begin(), member.data.end());
    }
    SetInt(out, offsetof(PackHeader, dirofs), static_cast<int32_t>(out.size()));
    SetInt(out, offsetof(PackHeader, dirlen), static_cast<int32_t>(dir.size()));
    out.insert(out.end(), dir.begin(), dir.end());
    return out;
}

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool ReadFileBytes(const std::string &path, std::vector<uint8_t> &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}
