// Frame time of R_UpdateDevice against its floor, under an X server (run it
// under xvfb-run). The plug-in is loaded like a host loads it and draws a
// spraying effect with a 16x16 additive sprite, filled until the wanted number
// of particles is live (checked by counting the quads of a frame).
//
// The floor is the very same quads of one frame: this program defines
// glDrawArrays, so the plug-in's vertex-array draws pass through it; for one
// frame it copies every quad (corners, texture coordinates, colours) with the
// texture, blending, matrices and viewport in force. A bare GL loop then
// replays them in the plug-in's own context and window (clear, draws, swap),
// with no simulation and no overlay text: once in the plug-in's own draw calls
// and once with each run of equal state in one call, whichever is faster
// counting as the floor (the plug-in's batch size must not flatter it).
// Renderer and floor frames are timed in interleaved rounds (medians of the
// rounds; the ratio is the median of each round's ratio); an occlusion query
// counts the pixels each quad covers in both, so the two draw the same.
//
//   renderer_frame_bench [--mallopt] [--rounds N] [--counts 1000,10000,...]
// --mallopt sets the allocator thresholds the editor's main sets (freed memory
// kept up to 64 MiB, blocks below 32 MiB from the heap), to measure what they
// change: the page faults per frame and the memory kept.
#include <dlfcn.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchEffect.h"
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

// ---- the recorder behind glDrawArrays ----

using DrawArraysFn = void (*)(GLenum, GLint, GLsizei);
using GenQueriesFn = void (*)(GLsizei, GLuint *);
using QueryFn = void (*)(GLenum, GLuint);
using EndQueryFn = void (*)(GLenum);
using GetQueryObjectFn = void (*)(GLuint, GLenum, GLuint *);

DrawArraysFn g_realDrawArrays = nullptr;
GenQueriesFn g_genQueries = nullptr;
QueryFn g_beginQuery = nullptr;
EndQueryFn g_endQuery = nullptr;
GetQueryObjectFn g_getQueryObject = nullptr;
GLuint g_query = 0;

// The state one recorded draw ran with.
struct DrawState {
    GLint texture;
    GLboolean textured, blend, alphaTest;
    GLint blendSrc, blendDst;
    bool operator==(const DrawState &o) const
    {
        return texture == o.texture && textured == o.textured && blend == o.blend &&
               alphaTest == o.alphaTest && blendSrc == o.blendSrc && blendDst == o.blendDst;
    }
};

struct RecordedDraw {
    DrawState state;
    GLint first;  // vertex index in the recorded arrays
    GLsizei count;
};

struct RecordedFrame {
    std::vector<float> positions, colours, texCoords;
    std::vector<RecordedDraw> draws;
    GLfloat projection[16], modelview[16];
    GLint viewport[4];
    long long samples = 0;  // pixels passed by the recorded draws
    int otherDraws = 0;     // draws that are not particles
    bool supported = true;  // every draw used the layout the replay expects
    int Quads() const { return static_cast<int>(positions.size() / 12); }
    void Clear()
    {
        positions.clear();
        colours.clear();
        texCoords.clear();
        draws.clear();
        samples = 0;
        otherDraws = 0;
        supported = true;
    }
};

bool g_recording = false;
RecordedFrame g_frame;

bool ArrayIs(GLenum sizeName, GLint size, GLenum typeName, GLenum strideName)
{
    GLint s = 0, t = 0, stride = -1;
    glGetIntegerv(sizeName, &s);
    glGetIntegerv(typeName, &t);
    glGetIntegerv(strideName, &stride);
    return s == size && t == GL_FLOAT && stride == 0;
}

// Copies a particle draw; false for other draws (the overlay text), which
// are the renderer's own work and not part of the floor.
bool Record(GLenum mode, GLint first, GLsizei count)
{
    RecordedFrame &f = g_frame;
    if (!glIsEnabled(GL_COLOR_ARRAY) ||
        !ArrayIs(GL_VERTEX_ARRAY_SIZE, 3, GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_STRIDE)) {
        ++f.otherDraws;
        return false;
    }
    if (mode != GL_QUADS || count % 4 != 0 ||
        !ArrayIs(GL_COLOR_ARRAY_SIZE, 4, GL_COLOR_ARRAY_TYPE, GL_COLOR_ARRAY_STRIDE) ||
        !ArrayIs(GL_TEXTURE_COORD_ARRAY_SIZE, 2, GL_TEXTURE_COORD_ARRAY_TYPE,
                 GL_TEXTURE_COORD_ARRAY_STRIDE)) {
        f.supported = false;
        return false;
    }
    void *pos = nullptr, *col = nullptr, *tex = nullptr;
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pos);
    glGetPointerv(GL_COLOR_ARRAY_POINTER, &col);
    glGetPointerv(GL_TEXTURE_COORD_ARRAY_POINTER, &tex);
    RecordedDraw d{};
    d.first = static_cast<GLint>(f.positions.size() / 3);
    d.count = count;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &d.state.texture);
    d.state.textured = glIsEnabled(GL_TEXTURE_2D);
    d.state.blend = glIsEnabled(GL_BLEND);
    d.state.alphaTest = glIsEnabled(GL_ALPHA_TEST);
    glGetIntegerv(GL_BLEND_SRC, &d.state.blendSrc);
    glGetIntegerv(GL_BLEND_DST, &d.state.blendDst);
    const float *p = static_cast<const float *>(pos) + first * 3;
    const float *c = static_cast<const float *>(col) + first * 4;
    const float *t = static_cast<const float *>(tex) + first * 2;
    f.positions.insert(f.positions.end(), p, p + count * 3);
    f.colours.insert(f.colours.end(), c, c + count * 4);
    f.texCoords.insert(f.texCoords.end(), t, t + count * 2);
    f.draws.push_back(d);
    glGetFloatv(GL_PROJECTION_MATRIX, f.projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, f.modelview);
    glGetIntegerv(GL_VIEWPORT, f.viewport);
    return true;
}

GLuint CountSamplesOf(void (*draw)(void *), void *arg)
{
    g_beginQuery(GL_SAMPLES_PASSED, g_query);
    draw(arg);
    g_endQuery(GL_SAMPLES_PASSED);
    GLuint samples = 0;
    g_getQueryObject(g_query, GL_QUERY_RESULT, &samples);
    return samples;
}

}  // namespace

// The plug-in's calls land here: this executable's symbols come first.
extern "C" __attribute__((visibility("default"))) void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    if (!g_recording) {
        g_realDrawArrays(mode, first, count);
        return;
    }
    if (!Record(mode, first, count)) {
        g_realDrawArrays(mode, first, count);
        return;
    }
    struct Args {
        GLenum mode;
        GLint first;
        GLsizei count;
    } args{mode, first, count};
    g_frame.samples += CountSamplesOf(
        [](void *a) {
            const Args &x = *static_cast<Args *>(a);
            g_realDrawArrays(x.mode, x.first, x.count);
        },
        &args);
}

namespace {

// ---- the floor: the recorded quads replayed by a bare loop ----

void ApplyState(const DrawState &s)
{
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(s.texture));
    s.textured ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
    s.blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    s.alphaTest ? glEnable(GL_ALPHA_TEST) : glDisable(GL_ALPHA_TEST);
    glBlendFunc(static_cast<GLenum>(s.blendSrc), static_cast<GLenum>(s.blendDst));
}

// merge: each run of draws of equal state (next to each other in the copy)
// goes out as one call; otherwise the calls are the plug-in's own.
void ReplayDraws(const RecordedFrame &f, bool merge)
{
    glDepthMask(GL_FALSE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, f.positions.data());
    glColorPointer(4, GL_FLOAT, 0, f.colours.data());
    glTexCoordPointer(2, GL_FLOAT, 0, f.texCoords.data());
    const DrawState *current = nullptr;
    for (size_t i = 0; i < f.draws.size();) {
        const RecordedDraw &d = f.draws[i];
        GLsizei count = d.count;
        size_t next = i + 1;
        for (; merge && next < f.draws.size() && f.draws[next].state == d.state; ++next)
            count += f.draws[next].count;
        if (!current || !(*current == d.state))
            ApplyState(d.state);
        current = &d.state;
        g_realDrawArrays(GL_QUADS, d.first, count);
        i = next;
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_TEXTURE_2D);
}

void FloorFrame(const RecordedFrame &f, bool merge)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(f.viewport[0], f.viewport[1], f.viewport[2], f.viewport[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(f.projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(f.modelview);
    ReplayDraws(f, merge);
    glFlush();
    glXSwapBuffers(glXGetCurrentDisplay(), glXGetCurrentDrawable());
}

// ---- loading and the effect ----

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

template <typename Fn>
Fn GetGL(const char *name)
{
    Fn fn = reinterpret_cast<Fn>(glXGetProcAddress(reinterpret_cast<const GLubyte *>(name)));
    if (!fn) {
        std::fprintf(stderr, "no %s in this GL\n", name);
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

long ResidentKiB(const char *field)
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0)
            value = std::atol(line + n);
    std::fclose(f);
    return value;
}

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

struct Options {
    bool mallopt = false;
    int rounds = 7;
    std::vector<int> counts = {1000, 10000, 50000, 100000};
};

Options ParseOptions(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--mallopt") {
            o.mallopt = true;
        } else if (a == "--rounds" && i + 1 < argc) {
            o.rounds = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--counts" && i + 1 < argc) {
            o.counts.clear();
            for (const char *s = argv[++i]; *s;) {
                char *end = nullptr;
                const long v = std::strtol(s, &end, 10);
                if (end == s)
                    break;
                if (v > 0)
                    o.counts.push_back(static_cast<int>(v));
                s = *end ? end + 1 : end;
            }
        } else {
            std::fprintf(stderr, "usage: %s [--mallopt] [--rounds N] [--counts a,b,...]\n", argv[0]);
            std::exit(2);
        }
    }
    return o;
}

}  // namespace

int main(int argc, char **argv)
{
    const Options options = ParseOptions(argc, argv);
    if (options.mallopt) {
        // What the editor's main sets (see editor/main.cpp).
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    }
    g_realDrawArrays = reinterpret_cast<DrawArraysFn>(dlsym(RTLD_NEXT, "glDrawArrays"));
    if (!g_realDrawArrays) {
        std::fprintf(stderr, "no glDrawArrays behind this program\n");
        return 1;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X server: run under xvfb-run\n");
        return 1;
    }
    const int width = 640, height = 480;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0,
                                              0);
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
    auto setOptions = Get<R_SetDeviceOptionsFn>(library, "R_SetDeviceOptions");
    auto showGround = Get<R_SetShowGroundFn>(library, "R_SetShowGround");
    auto update = Get<R_UpdateDeviceFn>(library, "R_UpdateDevice");
    auto attach = Get<R_UpdateParticlesFn>(library, "R_UpdateParticles");
    auto textures = Get<R_UpdateTexturesFn>(library, "R_UpdateTextures");
    auto gamedir = Get<R_SetGamedirFn>(library, "R_SetGamedir");
    auto close = Get<R_CloseDeviceFn>(library, "R_CloseDevice");

    initialize();
    if (!open(window))
        return 1;
    resize(width, height);
    const double background[3] = {0.5, 0.5, 0.5}, ground[3] = {0.33, 0.33, 0.33}, text[3] = {1, 1, 1};
    setOptions(background, ground, text, 0, 1);  // text with its shadow, as the editor's default
    showGround(0);                               // the floor replays the particles only

    g_genQueries = GetGL<GenQueriesFn>("glGenQueries");
    g_beginQuery = GetGL<QueryFn>("glBeginQuery");
    g_endQuery = GetGL<EndQueryFn>("glEndQuery");
    g_getQueryObject = GetGL<GetQueryObjectFn>("glGetQueryObjectuiv");
    g_genQueries(1, &g_query);

    const char *sprite = nullptr;
#if GX_BENCH_SPRITES
    const std::string dir = MakeGameDir();
    gamedir(dir.c_str(), "");
    sprite = "sprites/spot.spr";
#else
    (void)gamedir;
#endif
    std::printf("%dx%d, %s, every particle drawn, %d interleaved rounds%s\n", width, height,
                sprite ? "16x16 additive sprite" : "untextured colour quads", options.rounds,
                options.mallopt ? ", mallopt: trim 64 MiB, mmap 32 MiB" : "");
    std::printf("floor: the recorded quads in the plug-in's own calls, or each run of equal "
                "state in one call\n(1-call);\nratio: renderer against the faster of the two; px: "
                "pixels each quad covers;\npf: minor page faults per frame\n");
    std::printf("%8s %8s %8s %11s %9s %9s %7s %9s %9s %8s %8s\n", "live", "quads", "calls", "renderer ms",
                "floor ms", "1-call ms", "ratio", "px rend", "px floor", "pf rend", "pf floor");

    static ParticleSystem rec;
    bool allHeld = true;
    for (const int count : options.counts) {
        SprayingEffect(rec, count, sprite);
        BenchRange(rec.types[1].sizedelta, 0.0, 0.0);  // steady sizes: coverage holds between frames
        if (!sprite)
            std::strcpy(rec.types[1].rendermode.text, "kRenderTransColor");
        attach(&rec);
        textures();
        // Only drawn members make quads: the emitter without a sprite is not one.
        const int wanted = sprite ? count - 1 : count;
        int quads = 0;
        for (int frame = 0; frame < 3000 && quads < wanted; ++frame) {
            g_recording = frame % 10 == 9;
            g_frame.Clear();
            update();
            if (g_recording)
                quads = g_frame.Quads();
            g_recording = false;
        }
        if (quads != wanted || !g_frame.supported) {
            std::printf("%8d: the pool did not fill (%d quads drawn of %d)\n", count, quads, wanted);
            allHeld = false;
            continue;
        }
        // Each round alternates short runs of renderer and floor frames, so a
        // busy moment of a shared machine falls on both alike.
        const int chunk = count <= 1000 ? 20 : count <= 10000 ? 5 : 1;
        const int chunks = count <= 50000 ? 8 : 6;
        int draws = 0;
        std::vector<double> renderer, sameCalls, oneCall, ratio, rendererCoverage, floorCoverage;
        std::vector<double> rendererFaultsPerFrame, floorFaultsPerFrame;
        for (int round = 0; round < options.rounds; ++round) {
            // This round's floor: the quads of the frame drawn now.
            g_recording = true;
            g_frame.Clear();
            update();
            g_recording = false;
            const RecordedFrame recorded = g_frame;
            rendererCoverage.push_back(static_cast<double>(recorded.samples) / recorded.Quads());

            double rendererMs = 0, sameCallsMs = 0, oneCallMs = 0;
            long rendererFaults = 0, floorFaults = 0;
            for (int c = 0; c < chunks; ++c) {
                long faults = MinorFaults();
                Clock::time_point start = Clock::now();
                for (int i = 0; i < chunk; ++i)
                    update();
                rendererMs += Milliseconds(Clock::now() - start);
                rendererFaults += MinorFaults() - faults;
                faults = MinorFaults();
                start = Clock::now();
                for (int i = 0; i < chunk; ++i)
                    FloorFrame(recorded, false);
                sameCallsMs += Milliseconds(Clock::now() - start);
                floorFaults += MinorFaults() - faults;
                start = Clock::now();
                for (int i = 0; i < chunk; ++i)
                    FloorFrame(recorded, true);
                oneCallMs += Milliseconds(Clock::now() - start);
            }
            const double frames = chunk * chunks;
            renderer.push_back(rendererMs / frames);
            sameCalls.push_back(sameCallsMs / frames);
            oneCall.push_back(oneCallMs / frames);
            ratio.push_back(rendererMs / std::min(sameCallsMs, oneCallMs));
            rendererFaultsPerFrame.push_back(static_cast<double>(rendererFaults) / frames);
            floorFaultsPerFrame.push_back(static_cast<double>(floorFaults) / frames);

            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            const GLuint samples =
                CountSamplesOf([](void *f) { ReplayDraws(*static_cast<const RecordedFrame *>(f), false); },
                               const_cast<RecordedFrame *>(&recorded));
            floorCoverage.push_back(static_cast<double>(samples) / recorded.Quads());
            quads = recorded.Quads();
            draws = static_cast<int>(recorded.draws.size());
        }
        std::printf("%8d %8d %8d %11.2f %9.2f %9.2f %6.2fx %9.2f %9.2f %8.0f %8.0f\n", count, quads, draws,
                    Median(renderer), Median(sameCalls), Median(oneCall), Median(ratio),
                    Median(rendererCoverage), Median(floorCoverage), Median(rendererFaultsPerFrame),
                    Median(floorFaultsPerFrame));
        std::fflush(stdout);
    }
    std::printf("resident: %ld KiB now, %ld KiB at most\n", ResidentKiB("VmRSS:"), ResidentKiB("VmHWM:"));
    attach(nullptr);
    close();
    dlclose(library);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return allHeld ? 0 : 1;
}
