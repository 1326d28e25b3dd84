// The input is a command line: arguments separated by zero bytes. Whatever is
// accepted must hold sizes, frames and steps in their ranges, and a frame
// pattern must give a name for any frame number.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "RenderOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> words(1, "sparkwright-render");
    std::string current;
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0) {
            words.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    words.push_back(current);
    std::vector<const char *> argv;
    for (const std::string &w : words)
        argv.push_back(w.c_str());

    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error)) {
        if (error.empty())
            std::abort();  // a refusal always says why
        return 0;
    }
    if (options.help)
        return 0;
    if (options.width < 1 || options.width > kMaxRenderSide || options.height < 1 ||
        options.height > kMaxRenderSide || options.frames < 1 || options.frames > kMaxRenderFrames ||
        !(options.stepMs > 0.0) || options.stepMs > kMaxStepMs || options.script.empty() ||
        options.output.empty())
        std::abort();
    if (options.kind == OutputKind::Sprite && options.width * options.height > 65536)
        std::abort();
    std::string name;
    if (options.kind == OutputKind::Frames &&
        (!FrameFileName(options.output, 1, name) || !FrameFileName(options.output, kMaxRenderFrames, name)))
        std::abort();
    return 0;
}
