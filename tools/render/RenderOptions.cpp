#include "RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool EndsWith(const std::string &text, const char *suffix)
{
    const size_t n = std::strlen(suffix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[text.size() - n + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

// A whole decimal number in [lo, hi]; nothing may follow it.
bool ParseInteger(const char *text, long long lo, long long hi, long long &value)
{
    if (!text || !*text || std::strchr(" \t\n+", *text))
        return false;
    errno = 0;
    char *end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi)
        return false;
    value = v;
    return true;
}

bool ParseDecimal(const char *text, double lo, double hi, double &value)
{
    if (!text || !*text || std::strchr(" \t\n+", *text))
        return false;
    errno = 0;
    char *end = nullptr;
    const double v = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(v) || v < lo || v > hi)
        return false;
    value = v;
    return true;
}

// "WxH" with both sides from 1 to kMaxRenderSide.
bool ParseSize(const std::string &text, int &width, int &height)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    long long w = 0, h = 0;
    if (!ParseInteger(text.substr(0, x).c_str(), 1, kMaxRenderSide, w) ||
        !ParseInteger(text.substr(x + 1).c_str(), 1, kMaxRenderSide, h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ParseColour(const std::string &text, uint8_t rgb[3])
{
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t comma = text.find(',', start);
        if ((i < 2) != (comma != std::string::npos))
            return false;
        const std::string part = text.substr(start, comma == std::string::npos ? comma : comma - start);
        long long v = 0;
        if (!ParseInteger(part.c_str(), 0, 255, v))
            return false;
        rgb[i] = static_cast<uint8_t>(v);
        start = comma + 1;
    }
    return true;
}

// Finds the one number field; false when there is none or the pattern is bad.
bool FindNumberField(const std::string &pattern, size_t &start, size_t &length, int &width, bool &zeros)
{
    bool found = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%')
            continue;
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            ++i;
            continue;
        }
        if (found)
            return false;
        size_t j = i + 1;
        const bool zero = j < pattern.size() && pattern[j] == '0';
        if (zero)
            ++j;
        int w = 0;
        size_t digits = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') {
            w = w * 10 + (pattern[j] - '0');
            ++j;
            if (++digits > 1)
                return false;  // widths up to 9 only
        }
        if (j >= pattern.size() || pattern[j] != 'd')
            return false;
        found = true;
        start = i;
        length = j + 1 - i;
        width = w;
        zeros = zero;
        i = j;
    }
    return found;
}

}  // namespace

bool FrameFileName(const std::string &pattern, int index, std::string &name)
{
    size_t start = 0, length = 0;
    int width = 0;
    bool zeros = false;
    if (!FindNumberField(pattern, start, length, width, zeros))
        return false;
    std::string number = std::to_string(index < 0 ? 0 : index);
    if (static_cast<int>(number.size()) < width)
        number.insert(0, static_cast<size_t>(width) - number.size(), zeros ? '0' : ' ');
    name.clear();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (i == start) {
            name += number;
            i += length - 1;
        } else if (pattern[i] == '%') {
            name += '%';
            ++i;  // the second of %%
        } else {
            name += pattern[i];
        }
    }
    return true;
}

bool OutputKindForName(const std::string &name, OutputKind &kind, std::string &error)
{
    const bool hasPercent = name.find('%') != std::string::npos;
    if (EndsWith(name, ".png")) {
        if (hasPercent) {
            std::string probe;
            if (!FrameFileName(name, 1, probe)) {
                error = "The frame name \"" + name +
                        "\" needs exactly one number field such as %04d (write %% for a percent sign).";
                return false;
            }
            kind = OutputKind::Frames;
        } else {
            kind = OutputKind::Sheet;
        }
        return true;
    }
    if (EndsWith(name, ".gif") || EndsWith(name, ".spr")) {
        if (hasPercent) {
            error = "Only frame names (NAME%04d.png) take a number field: \"" + name + "\".";
            return false;
        }
        kind = EndsWith(name, ".gif") ? OutputKind::Gif : OutputKind::Sprite;
        return true;
    }
    error = "The output name \"" + name +
            "\" must end in .png (a sheet, or frames with %04d in the name), .gif or .spr.";
    return false;
}

bool ParseRenderOptions(int argc, const char *const *argv, RenderOptions &o, std::string &error)
{
    o = RenderOptions{};
    bool sizeSeen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return true;
        }
        auto value = [&](const char *&out) {
            if (i + 1 >= argc || !argv[i + 1]) {
                error = "Option " + arg + " needs a value.";
                return false;
            }
            out = argv[++i];
            return true;
        };
        const char *v = nullptr;
        long long n = 0;
        if (arg == "-o" || arg == "--output") {
            if (!value(v))
                return false;
            o.output = v;
        } else if (arg == "--game") {
            if (!value(v))
                return false;
            o.gameDir = v;
        } else if (arg == "--additional") {
            if (!value(v))
                return false;
            o.additionalDir = v;
        } else if (arg == "--size") {
            if (!value(v))
                return false;
            if (!ParseSize(v, o.width, o.height)) {
                error = std::string("--size takes WIDTHxHEIGHT, each from 1 to ") +
                        std::to_string(kMaxRenderSide) + ": \"" + v + "\".";
                return false;
            }
            sizeSeen = true;
        } else if (arg == "--frames") {
            if (!value(v))
                return false;
            if (!ParseInteger(v, 1, kMaxRenderFrames, n)) {
                error = std::string("--frames takes a whole number from 1 to ") +
                        std::to_string(kMaxRenderFrames) + ": \"" + v + "\".";
                return false;
            }
            o.frames = static_cast<int>(n);
        } else if (arg == "--step") {
            if (!value(v))
                return false;
            if (!ParseDecimal(v, 0.001, kMaxStepMs, o.stepMs)) {
                error = std::string("--step takes milliseconds above 0 and up to 60000: \"") + v + "\".";
                return false;
            }
        } else if (arg == "--seed") {
            if (!value(v))
                return false;
            if (!ParseInteger(v, 0, 4294967295LL, n)) {
                error = std::string("--seed takes a whole number from 0 to 4294967295: \"") + v + "\".";
                return false;
            }
            o.seed = static_cast<uint32_t>(n);
        } else if (arg == "--background") {
            if (!value(v))
                return false;
            if (!ParseColour(v, o.background)) {
                error = std::string("--background takes R,G,B, three numbers from 0 to 255: \"") + v + "\".";
                return false;
            }
            o.backgroundGiven = true;
        } else if (arg == "--frame-effect") {
            o.frameEffect = true;
        } else if (arg == "--no-ground") {
            o.ground = false;
        } else if (arg == "--quiet" || arg == "-q") {
            o.quiet = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "Unknown option " + arg + " (see --help).";
            return false;
        } else if (o.script.empty()) {
            o.script = arg;
        } else {
            error = "Only one script can be rendered at a time: \"" + arg + "\".";
            return false;
        }
    }
    if (o.script.empty()) {
        error = "No script given (see --help).";
        return false;
    }
    if (o.output.empty()) {
        error = "No output given: -o NAME.gif, NAME.png, NAME%04d.png or NAME.spr.";
        return false;
    }
    if (!OutputKindForName(o.output, o.kind, error))
        return false;
    if (o.kind == OutputKind::Sprite) {
        // A sprite picture holds at most 65536 pixels; the default fits.
        if (static_cast<long long>(o.width) * o.height > 65536) {
            error = "A sprite's pictures hold at most 65536 pixels; choose a smaller --size (" +
                    std::string(sizeSeen ? "asked " : "") + std::to_string(o.width) + "x" +
                    std::to_string(o.height) + ").";
            return false;
        }
        // Additive sprites add nothing where the picture is black.
        if (!o.backgroundGiven)
            o.background[0] = o.background[1] = o.background[2] = 0;
        o.ground = false;
    }
    return true;
}

const char *RenderUsage()
{
    return "Usage: sparkwright-render SCRIPT -o OUTPUT [options]\n"
           "Renders a particle-effect script without a display, with the manager and\n"
           "renderer of the editor, into pictures, an animation or a sprite.\n"
           "\n"
           "The output's kind follows its name:\n"
           "  NAME%04d.png   one PNG per frame (frames numbered from 1)\n"
           "  NAME.png       a sprite sheet: every frame in a grid, left to right\n"
           "  NAME.gif       an animated GIF that loops\n"
           "  NAME.spr       a version 2 sprite: one group frame showing the frames in\n"
           "                 turn (additive; no ground, black background by default)\n"
           "\n"
           "Options:\n"
           "  -o, --output NAME     where to write (required)\n"
           "  --game DIR            the game directory with the sprites (loose or in PAKs)\n"
           "  --additional DIR      an additional game directory searched first\n"
           "  --size WxH            picture size in pixels (default 256x256)\n"
           "  --frames N            number of frames (default 60)\n"
           "  --step MS             simulated milliseconds per frame (default 16.667)\n"
           "  --seed N              seed of the random numbers (default 1)\n"
           "  --frame-effect        move the camera so the whole effect is in view\n"
           "  --no-ground           leave the ground square out\n"
           "  --background R,G,B    background colour, each 0 to 255 (default 128,128,128)\n"
           "  -q, --quiet           no progress on standard error\n"
           "  -h, --help            this text\n"
           "\n"
           "The same script, size, seed and step give the same pixels on every run.\n"
           "The manager plug-in embTarnParticleMan.so is loaded from the program's folder.\n";
}
