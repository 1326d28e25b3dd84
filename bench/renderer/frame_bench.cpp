// Frame time of R_UpdateDevice under an X server (run it under xvfb-run):
// the plug-in loaded like a host loads it, drawing a spraying effect filled to
// 1,000, 10,000 and 50,000 live particles, untextured (colour mode) and
// textured (additive, a sprite made here). The simulation's share is measured
// by stepping the same effect in-process without drawing.
#include <dlfcn.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchEffect.h"
#include "ParticleSim.h"
#include "RendererApi.h"

#if GX_BENCH_SPRITES
#include <sys/stat.h>

#include "SpriteWriter.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

template <typename Fn>
Fn Get(void *library, const char *name)
{
    Fn fn = reinterpret_cast<Fn>(dlsym(library, name));
    if (!fn) {
        std::fprintf(stderr, "missing export %s\n", name);
        std::exit(1);
    }
    return fn;
}

#if GX_BENCH_SPRITES
// A soft round spot, 16x16, in a game directory of its own.
std::string MakeGameDir()
{
    char folder[] = "/tmp/gx-bench-XXXXXX";
    if (!mkdtemp(folder))
        return "";
    const std::string dir = folder;
    mkdir((dir + "/sprites").c_str(), 0755);
    SpriteDraft draft;
    draft.format = 2;  // index alpha: brighter indices are more opaque
    for (int i = 0; i < 256; ++i) {
        draft.palette.push_back(255);
        draft.palette.push_back(static_cast<uint8_t>(160 + i * 95 / 255));
        draft.palette.push_back(static_cast<uint8_t>(i / 2));
    }
    SpritePicture picture;
    picture.originX = -8;
    picture.originY = 8;
    picture.width = picture.height = 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const double dx = x - 7.5, dy = y - 7.5;
            const double v = std::max(0.0, 1.0 - (dx * dx + dy * dy) / 64.0);
            picture.indices.push_back(static_cast<uint8_t>(v * 255));
        }
    SpriteFrameDraft frame;
    frame.pictures.push_back(picture);
    draft.frames.push_back(frame);
    WriteFileBytes(dir + "/sprites/spot.spr", WriteSprite(draft));
    return dir;
}
#endif

uint32_t Tick()
{
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count());
}

// Simulation time per frame for the same effect at the same size.
double SimulationMs(int count)
{
    gx::SimState sim;
    gx::CreateSimState(sim, gx::SpriteHooks{nullptr, nullptr}, nullptr, Tick);
    ParticleSystem rec;
    SprayingEffect(rec, count, nullptr);
    gx::UpdateParticles(sim, &rec);
    for (int i = 0; i < 400 && sim.liveCount < count; ++i)
        gx::FrameStep(sim, 1.0f / 60.0f);
    const int frames = 60;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i)
        gx::FrameStep(sim, 1.0f / 60.0f);
    const double ms = Milliseconds(Clock::now() - start) / frames;
    gx::DestroySimState(sim);
    return ms;
}

// GX_BENCH_DUMP=<folder> keeps the last frame of each case as a PPM picture.
void DumpWindow(Display *display, Window window, int width, int height, const std::string &path)
{
    XImage *image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    std::FILE *f = image ? std::fopen(path.c_str(), "wb") : nullptr;
    if (f) {
        std::fprintf(f, "P6\n%d %d\n255\n", width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                              static_cast<unsigned char>(p >> 8),
                                              static_cast<unsigned char>(p)};
                std::fwrite(rgb, 1, 3, f);
            }
        std::fclose(f);
    }
    if (image)
        XDestroyImage(image);
}

}  // namespace

int main()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X server: run under xvfb-run\n");
        return 1;
    }
    const int width = 640, height = 480;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width,
                                              height, 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);

    void *library = dlopen(GX_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto initialize = Get<R_InitializeFn>(library, "R_Initialize");
    auto open = Get<R_OpenDeviceFn>(library, "R_OpenDevice");
    auto resize = Get<R_ResizeDeviceFn>(library, "R_ResizeDevice");
    auto options = Get<R_SetDeviceOptionsFn>(library, "R_SetDeviceOptions");
    auto update = Get<R_UpdateDeviceFn>(library, "R_UpdateDevice");
    auto attach = Get<R_UpdateParticlesFn>(library, "R_UpdateParticles");
    auto textures = Get<R_UpdateTexturesFn>(library, "R_UpdateTextures");
    auto gamedir = Get<R_SetGamedirFn>(library, "R_SetGamedir");
    auto close = Get<R_CloseDeviceFn>(library, "R_CloseDevice");

    initialize();
    if (!open(window))
        return 1;
    resize(width, height);
    const double background[3] = {0.5, 0.5, 0.5}, ground[3] = {0.33, 0.33, 0.33},
                 text[3] = {1, 1, 1};
    options(background, ground, text, 0, 0);

    std::vector<std::pair<std::string, const char *>> modes = {{"untextured", nullptr}};
#if GX_BENCH_SPRITES
    const std::string dir = MakeGameDir();
    gamedir(dir.c_str(), "");
    modes.push_back({"textured", "sprites/spot.spr"});
#else
    (void)gamedir;
#endif

    // Clear, ground, text and swap alone.
    update();
    const Clock::time_point emptyStart = Clock::now();
    for (int i = 0; i < 60; ++i)
        update();
    std::printf("empty frame: %.2f ms (%dx%d)\n", Milliseconds(Clock::now() - emptyStart) / 60,
                width, height);

    std::printf("%-10s %8s %10s %10s %10s %8s\n", "mode", "live", "frame ms", "median ms",
                "sim ms", "sim %");
    static ParticleSystem rec;
    for (int count : {1000, 10000, 50000}) {
        const double simMs = SimulationMs(count);
        for (const auto &[name, sprite] : modes) {
            SprayingEffect(rec, count, sprite);
            if (!sprite)
                std::strcpy(rec.types[1].rendermode.text, "kRenderTransColor");
            attach(&rec);
            textures();
            // Drops never die and spray copies while the pool has room: fill it.
            for (int i = 0; i < 120; ++i)
                update();
            // Three rounds of 30 frames; the machine may be shared, so the
            // quietest round counts.
            double best = 1e30, median = 0;
            for (int round = 0; round < 3; ++round) {
                std::vector<double> times;
                for (int i = 0; i < 30; ++i) {
                    const Clock::time_point start = Clock::now();
                    update();
                    times.push_back(Milliseconds(Clock::now() - start));
                }
                double sum = 0;
                for (double t : times)
                    sum += t;
                std::sort(times.begin(), times.end());
                if (sum / times.size() < best) {
                    best = sum / times.size();
                    median = times[times.size() / 2];
                }
            }
            if (const char *folder = std::getenv("GX_BENCH_DUMP"))
                DumpWindow(display, window, width, height,
                           std::string(folder) + "/" + name + "-" + std::to_string(count) + ".ppm");
            std::printf("%-10s %8d %10.2f %10.2f %10.2f %7.1f%%\n", name.c_str(), count, best,
                        median, simMs, 100.0 * simMs / best);
        }
    }
    attach(nullptr);
    close();
    dlclose(library);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return 0;
}
