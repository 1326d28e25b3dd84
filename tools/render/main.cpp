// sparkwright-render: a script rendered without a display into PNG frames, a
// sprite sheet, an animated GIF or a sprite.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "EffectRender.h"
#include "GifWriter.h"
#include "ImageFiles.h"
#include "RenderOptions.h"
#include "ScriptLoad.h"
#include "SpriteExport.h"
#include "SpriteWriter.h"

namespace {

// Pictures held in memory for one output file at most.
constexpr long long kMaxHeldBytes = 2LL << 30;

bool IsFolder(const std::string &path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int Fail(const std::string &message)
{
    std::fprintf(stderr, "sparkwright-render: %s\n", message.c_str());
    return 1;
}

// Progress lines once a render has taken a second, then at most twice a second.
class Progress {
public:
    Progress(int total, bool quiet) : total_(total), quiet_(quiet), start_(Clock::now()) {}
    void Frame(int done)
    {
        if (quiet_)
            return;
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) ||
            (shown_ && now - last_ < std::chrono::milliseconds(500) && done < total_))
            return;
        std::fprintf(stderr, "Rendered %d of %d frames\n", done, total_);
        shown_ = true;
        last_ = now;
    }
    // Once progress was shown, the slow step after the frames is named too.
    void Writing(const std::string &name)
    {
        if (shown_ && !quiet_)
            std::fprintf(stderr, "Writing %s\n", name.c_str());
    }

private:
    using Clock = std::chrono::steady_clock;
    int total_;
    bool quiet_;
    Clock::time_point start_, last_;
    bool shown_ = false;
};

}  // namespace

int main(int argc, char **argv)
{
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "sparkwright-render: %s\n\n%s", error.c_str(), RenderUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(RenderUsage(), stdout);
        return 0;
    }
    const long long frameBytes = static_cast<long long>(options.width) * options.height * 4;
    if (options.kind != OutputKind::Frames && frameBytes * options.frames > kMaxHeldBytes)
        return Fail("That many frames of that size do not fit one file; write single frames "
                    "(NAME%04d.png) or fewer frames.");

    static ParticleSystem record;
    const std::string manager = ProgramFolder() + "/" + kManagerFileName;
    if (!LoadScript(manager, options.script, record, error))
        return Fail(error);

    // A missing game directory is reported, and the effect drawn without its sprites.
    if (!options.gameDir.empty() && !IsFolder(options.gameDir))
        std::fprintf(stderr, "sparkwright-render: Game directory not found: %s\n", options.gameDir.c_str());
    if (!options.additionalDir.empty() && !IsFolder(options.additionalDir))
        std::fprintf(stderr, "sparkwright-render: Additional game directory not found: %s\n",
                     options.additionalDir.c_str());

    EffectRenderSettings settings;
    settings.width = options.width;
    settings.height = options.height;
    settings.frames = options.frames;
    settings.stepMs = options.stepMs;
    settings.seed = options.seed;
    settings.frameEffect = options.frameEffect;
    settings.ground = options.ground;
    for (int c = 0; c < 3; ++c)
        settings.background[c] = options.background[c];
    settings.gameDir = options.gameDir;
    settings.additionalDir = options.additionalDir;

    std::vector<RgbaImage> held;
    std::string writeError;
    Progress progress(options.frames, options.quiet);
    auto sink = [&](int index, const RgbaImage &frame) {
        if (options.kind == OutputKind::Frames) {
            std::string name;
            FrameFileName(options.output, index + 1, name);
            if (writeError.empty() && !WritePng(name, frame, writeError))
                writeError = writeError.empty() ? "Could not write " + name : writeError;
        } else {
            held.push_back(frame);
        }
        progress.Frame(index + 1);
    };
    if (!RenderEffect(record, settings, sink, error))
        return Fail("No offscreen OpenGL context: " + error);
    if (!writeError.empty())
        return Fail(writeError);

    if (options.kind != OutputKind::Frames)
        progress.Writing(options.output);
    switch (options.kind) {
    case OutputKind::Frames: break;
    case OutputKind::Sheet:
        if (!WritePng(options.output, MakeSheet(held), error))
            return Fail(error);
        break;
    case OutputKind::Gif: {
        const std::vector<uint8_t> bytes = EncodeGif(held, options.stepMs);
        if (bytes.empty() || !WriteFileBytes(options.output, bytes))
            return Fail("Could not write " + options.output);
        break;
    }
    case OutputKind::Sprite: {
        const std::vector<uint8_t> bytes = EncodeEffectSprite(held, options.stepMs);
        if (bytes.empty() || !WriteFileBytes(options.output, bytes))
            return Fail("Could not write " + options.output);
        break;
    }
    }
    if (!options.quiet && isatty(STDERR_FILENO))
        std::fprintf(stderr, "Wrote %s\n", options.output.c_str());
    return 0;
}
