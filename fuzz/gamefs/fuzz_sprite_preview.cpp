// Sprite previews for the browser: any bytes either give pictures whose
// pixels are all there and whose times make a usable animation, or the
// loader's message and nothing.
#include <cmath>
#include <cstdlib>
#include <string>

#include "gamefs/SpriteCatalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SpritePreview preview;
    std::string message;
    if (!LoadSpritePreview(data, size, preview, message)) {
        if (message.empty() || !preview.pictures.empty())
            abort();
        return 0;
    }
    if (preview.frameCount < 1 || preview.pictures.empty() ||
        preview.pictures.size() < static_cast<size_t>(preview.frameCount))
        abort();
    for (const SpritePreview::Picture &picture : preview.pictures) {
        if (picture.width < 1 || picture.height < 1 ||
            picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4 ||
            !(picture.seconds > 0))
            abort();
    }
    const double times[] = {0.0, 0.099, 0.1, 3.7, 1e12, -1.0, NAN, INFINITY};
    for (double t : times) {
        const SpritePreview::Picture *shown = PreviewPictureAt(preview, t);
        if (shown < preview.pictures.data() || shown >= preview.pictures.data() + preview.pictures.size())
            abort();
    }
    return 0;
}
