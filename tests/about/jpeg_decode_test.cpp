// Decoding the JPEG pictures the about box shows in its side strip.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>

#include "uJpegDecode.h"

namespace {

// Our own JPEG: left half red, right half blue.
std::vector<uint8_t> EncodeTwoColourJpeg(int width, int height)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        const bool left = x < width / 2;
        row[x * 3 + 0] = left ? 255 : 0;
        row[x * 3 + 1] = 0;
        row[x * 3 + 2] = left ? 0 : 255;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(out, out + outSize);
    free(out);
    return bytes;
}

TEST(DecodeJpeg, DecodesOurOwnPicture)
{
    const std::vector<uint8_t> jpeg = EncodeTwoColourJpeg(32, 16);
    RgbPicture picture;
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), picture));
    ASSERT_EQ(picture.width, 32);
    ASSERT_EQ(picture.height, 16);
    ASSERT_EQ(picture.pixels.size(), 32u * 16u * 3u);
    const uint8_t *leftPixel = &picture.pixels[(8 * 32 + 4) * 3];
    const uint8_t *rightPixel = &picture.pixels[(8 * 32 + 28) * 3];
    EXPECT_GT(leftPixel[0], 220);
    EXPECT_LT(leftPixel[2], 40);
    EXPECT_LT(rightPixel[0], 40);
    EXPECT_GT(rightPixel[2], 220);
}

TEST(DecodeJpeg, TheSideStripPictureIsDarkAboveAndGreenBelow)
{
    std::ifstream file(SIDESTRIP_JPEG, std::ios::binary);
    const std::vector<uint8_t> jpeg((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    RgbPicture picture;
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), picture));
    EXPECT_EQ(picture.width, 24);
    EXPECT_EQ(picture.height, 512);
    const uint8_t *top = &picture.pixels[(2 * 24 + 12) * 3];
    const uint8_t *bottom = &picture.pixels[(509 * 24 + 12) * 3];
    EXPECT_LT(top[1], bottom[1]);
    EXPECT_GT(bottom[1], bottom[0]);
}

TEST(DecodeJpeg, BrokenDataIsRefusedWithAnEmptyPicture)
{
    RgbPicture picture;
    const std::vector<uint8_t> jpeg = EncodeTwoColourJpeg(16, 16);
    EXPECT_FALSE(DecodeJpeg(nullptr, 10, picture));
    EXPECT_FALSE(DecodeJpeg(jpeg.data(), 0, picture));
    EXPECT_FALSE(DecodeJpeg(jpeg.data(), 20, picture));  // cut inside the header
    EXPECT_EQ(picture.width, 0);
    EXPECT_TRUE(picture.pixels.empty());
    const uint8_t garbage[] = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
    EXPECT_FALSE(DecodeJpeg(garbage, sizeof garbage, picture));
}

TEST(DecodeJpeg, HugeDeclaredSizeIsRefusedBeforeAllocating)
{
    std::vector<uint8_t> jpeg = EncodeTwoColourJpeg(16, 16);
    // Rewrite the frame header's height and width to 65535 each.
    bool patched = false;
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = jpeg[i + 6] = jpeg[i + 7] = jpeg[i + 8] = 0xFF;
            patched = true;
            break;
        }
    }
    ASSERT_TRUE(patched);
    RgbPicture picture;
    EXPECT_FALSE(DecodeJpeg(jpeg.data(), jpeg.size(), picture));
    EXPECT_TRUE(picture.pixels.empty());
}

}  // namespace
