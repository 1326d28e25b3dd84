// A GL context without any window system: EGL on Mesa's surfaceless platform
// (software rasteriser unless the caller asks otherwise), drawing into a
// framebuffer object of a fixed size. The scene drawing runs in it unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gx {

class OffscreenContext {
public:
    OffscreenContext() = default;
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext &) = delete;
    OffscreenContext &operator=(const OffscreenContext &) = delete;

    // Makes the context current with a colour and depth target of the size.
    // Software rendering is chosen (so pixels do not depend on a graphics
    // card) unless hardware is true. On failure error says which step failed.
    bool Open(int width, int height, bool hardware, std::string &error);
    void Close();
    bool IsOpen() const { return context_ != nullptr; }

    // The finished frame as RGBA rows from the top (width x height x 4 bytes).
    void ReadPixels(std::vector<uint8_t> &rgba) const;

    // The GL renderer's own name (for example the software rasteriser's).
    std::string RendererName() const;

    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    void *display_ = nullptr;
    void *context_ = nullptr;
    uint32_t framebuffer_ = 0;
    uint32_t colour_ = 0;
    uint32_t depth_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace gx
