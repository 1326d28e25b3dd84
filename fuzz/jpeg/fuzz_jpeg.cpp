// Any bytes either decode into a picture of the size its header declares or
// are refused with an empty picture.
#include <cstdlib>

#include "uJpegDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RgbPicture picture;
    if (DecodeJpeg(data, size, picture)) {
        if (picture.width <= 0 || picture.height <= 0 ||
            picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height * 3)
            std::abort();
    } else if (!picture.pixels.empty() || picture.width != 0) {
        std::abort();
    }
    return 0;
}
