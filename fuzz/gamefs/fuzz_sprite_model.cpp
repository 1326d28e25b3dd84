// Sprite parsing: any bytes either give a model whose every picture has a
// texture, or a message and no texture left behind; the frame choice stays
// inside the model for any frame and age.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

#include "gamefs/SpriteModel.h"

namespace {

class CountingSink final : public TextureSink {
public:
    std::set<uint32_t> live;
    uint32_t next = 1;

    uint32_t CreateTexture(int32_t width, int32_t height, const uint8_t *rgba) override
    {
        if (width < 1 || height < 1 || static_cast<int64_t>(width) * height > kMaxSpritePixels)
            abort();
        // Touch every byte handed over, so reads past the buffer show.
        volatile uint8_t sum = 0;
        for (int64_t i = 0; i < static_cast<int64_t>(width) * height * 4; ++i)
            sum = sum + rgba[i];
        live.insert(next);
        return next++;
    }
    void DeleteTexture(uint32_t texture) override
    {
        if (live.erase(texture) != 1)
            abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CountingSink sink;
    int messages = 0;
    auto model = Mod_LoadSpriteModel(data, size, sink, [&](const char *text) {
        if (text == nullptr || text[0] == '\0')
            abort();
        ++messages;
    });
    if (!model) {
        if (messages != 1 || !sink.live.empty())
            abort();
        return 0;
    }
    if (messages != 0 || model->numframes < 1 ||
        model->frames.size() != static_cast<size_t>(model->numframes))
        abort();

    std::set<uint32_t> shown;
    const float frames[] = {0.0f,
                            0.5f,
                            static_cast<float>(model->numframes) - 0.5f,
                            static_cast<float>(model->numframes),
                            -3.0f,
                            NAN,
                            INFINITY};
    const float ages[] = {0.0f, 0.05f, 1.7f, 1e9f, -1.0f, NAN};
    for (float f : frames)
        for (float age : ages) {
            float frame = f;
            const uint32_t texture = SpriteFrameTexture(*model, frame, age);
            if (sink.live.count(texture) != 1)
                abort();
            if (!(frame < static_cast<float>(model->numframes)) && !(frame < 0))
                abort();
        }
    ReleaseSpriteTextures(*model, sink);
    if (!sink.live.empty())
        abort();
    return 0;
}
