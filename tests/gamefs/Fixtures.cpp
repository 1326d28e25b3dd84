#include "Fixtures.h"

#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "gamefs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string &relative, const std::vector<uint8_t> &bytes) const
{
    const fs::path path = fs::path(path_) / relative;
    fs::create_directories(path.parent_path());
    if (!WriteFileBytes(path.string(), bytes))
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

std::string TempDir::MakeDir(const std::string &relative) const
{
    const fs::path path = fs::path(path_) / relative;
    fs::create_directories(path);
    return path.string();
}

std::vector<uint8_t> MarkerSprite(uint8_t marker, int32_t w, int32_t h)
{
    SpriteDraft draft;
    draft.format = 0;
    draft.palette = {0, 0, 0, marker, 0, 0};
    SpriteFrameDraft frame;
    SpritePicture picture;
    picture.width = w;
    picture.height = h;
    picture.indices.assign(static_cast<size_t>(w * h), 1);
    frame.pictures.push_back(picture);
    draft.frames.push_back(frame);
    return WriteSprite(draft);
}

int FirstRed(const SpriteModel *model, const RecordingSink &sink)
{
    if (model == nullptr || model->frames.empty())
        return -1;
    auto it = sink.live.find(model->frames[0].picture.texture);
    if (it == sink.live.end() || it->second.rgba.empty())
        return -1;
    return it->second.rgba[0];
}

std::vector<uint8_t> Pak(const std::vector<PakMember> &members)
{
    return WritePak(members);
}

void PutInt32(std::vector<uint8_t> &bytes, size_t at, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

void PutInt16(std::vector<uint8_t> &bytes, size_t at, int16_t value)
{
    const uint16_t v = static_cast<uint16_t>(value);
    bytes.at(at) = static_cast<uint8_t>(v);
    bytes.at(at + 1) = static_cast<uint8_t>(v >> 8);
}

void PutFloat32(std::vector<uint8_t> &bytes, size_t at, float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt32(bytes, at, bits);
}

uint32_t RecordingSink::CreateTexture(int32_t width, int32_t height, const uint8_t *rgba)
{
    Texture texture;
    texture.width = width;
    texture.height = height;
    texture.rgba.assign(rgba, rgba + static_cast<size_t>(width) * height * 4);
    live[next] = std::move(texture);
    ++created;
    return next++;
}

void RecordingSink::DeleteTexture(uint32_t texture)
{
    if (live.erase(texture) == 0)
        ++unknownDeletes;
    ++deleted;
}
