// Writes small seed files for the fuzz targets: sprites of every texture
// format with frames and groups, and archives holding them.
#include <cstdio>
#include <string>
#include <vector>

#include "SpriteWriter.h"

namespace {

SpritePicture Picture(int32_t w, int32_t h, int32_t seed)
{
    SpritePicture p;
    p.width = w;
    p.height = h;
    p.originX = -w / 2;
    p.originY = h / 2;
    for (int32_t i = 0; i < w * h; ++i)
        p.indices.push_back(static_cast<uint8_t>((i * 37 + seed) & 0xFF));
    return p;
}

std::vector<uint8_t> Palette(int32_t count)
{
    std::vector<uint8_t> palette;
    for (int32_t i = 0; i < count; ++i)
        palette.insert(palette.end(),
                       {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7)});
    return palette;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: gamefs_fuzz_seeds <sprite folder> <archive folder>\n");
        return 2;
    }
    const std::string spriteDir = argv[1], pakDir = argv[2];
    std::vector<PakMember> members;
    int n = 0;
    for (int32_t format : {0, 2, 3}) {
        for (int32_t paletteCount : {4, 256}) {
            SpriteDraft draft;
            draft.format = format;
            draft.palette = Palette(paletteCount);
            SpriteFrameDraft single;
            single.pictures.push_back(Picture(3, 2, format));
            SpriteFrameDraft group;
            group.group = true;
            group.intervals = {0.1f, 0.25f};
            group.pictures = {Picture(2, 2, 1), Picture(1, 3, 2)};
            draft.frames = {single, group};
            const std::vector<uint8_t> bytes = WriteSprite(draft);
            const std::string name = "s" + std::to_string(n++) + ".spr";
            if (!WriteFileBytes(spriteDir + "/" + name, bytes))
                return 1;
            members.push_back({"sprites/" + name, bytes});
        }
    }
    if (!WriteFileBytes(pakDir + "/two.pak", WritePak({members[0], members[1]})) ||
        !WriteFileBytes(pakDir + "/all.pak", WritePak(members)) ||
        !WriteFileBytes(pakDir + "/tiny.pak", WritePak({{"a", {1}}, {"a", {2, 3}}, {"b", {}}})))
        return 1;
    return 0;
}
