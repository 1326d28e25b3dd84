// The plug-in as a host uses it: loaded with dlopen, bound by name, drawing
// into an X window whose pixels are read back. Needs an X server (Xvfb).
#include <gtest/gtest.h>

#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

// After gtest: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "RendererApi.h"

// The host's message box: the plug-in finds it in the executable by name.
// A modal box runs the host's event loop, so its frame timer may call back in.
std::vector<std::string> g_boxCaptions;
std::vector<uintptr_t> g_boxOwners;
void (*g_whileBoxShows)() = nullptr;
extern "C" __attribute__((visibility("default"))) void
SparkwrightRendererMessageBox(const char *caption, const char *, uintptr_t owner)
{
    g_boxCaptions.emplace_back(caption);
    g_boxOwners.push_back(owner);
    if (g_whileBoxShows)
        g_whileBoxShows();
}

namespace {

struct Api {
    R_GetRendererNameFn GetRendererName;
    R_IsSupportedFn IsSupported;
    R_ResizeDeviceFn ResizeDevice;
    R_UpdateDeviceFn UpdateDevice;
    R_CloseDeviceFn CloseDevice;
    R_OpenDeviceFn OpenDevice;
    R_InitializeFn Initialize;
    R_InputEventFn InputEvent;
    R_SetShowGroundFn SetShowGround;
    R_SetGamedirFn SetGamedir;
    R_SetDeviceOptionsFn SetDeviceOptions;
    R_UpdateParticlesFn UpdateParticles;
    R_ReallocParticlesFn ReallocParticles;
    R_UpdateTypesFn UpdateTypes;
    R_RelinkTypesFn RelinkTypes;
    R_UpdateRendermodeFn UpdateRendermode;
    R_UpdateTexturesFn UpdateTextures;
    R_GetAdditionalInfoFn GetAdditionalInfo;
};

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Rgb {
    int r, g, b;
};

void *g_library = nullptr;
Api g_api{};
Display *g_display = nullptr;
std::string g_messageFile;

template <typename Fn>
void Bind(Fn &fn, const char *name)
{
    fn = reinterpret_cast<Fn>(dlsym(g_library, name));
    ASSERT_NE(fn, nullptr) << name;
}

Window MakeWindow(int x, int y)
{
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;
    Window w = XCreateWindow(g_display, DefaultRootWindow(g_display), x, y, kWidth, kHeight, 0,
                             CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &attributes);
    XMapWindow(g_display, w);
    XSync(g_display, False);
    return w;
}

std::vector<Rgb> Grab(Window w)
{
    XSync(g_display, False);
    XImage *image = XGetImage(g_display, w, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    std::vector<Rgb> pixels;
    if (!image)
        return pixels;
    pixels.reserve(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels.push_back({int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)});
        }
    XDestroyImage(image);
    return pixels;
}

// GX_TEST_DUMP=<folder> keeps the frames a test looked at, as PPM pictures.
void Dump(const std::vector<Rgb> &pixels, const char *name)
{
    const char *folder = std::getenv("GX_TEST_DUMP");
    if (!folder || pixels.empty())
        return;
    const std::string path = std::string(folder) + "/" + name + ".ppm";
    if (std::FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
        for (const Rgb &p : pixels) {
            const unsigned char rgb[3] = {static_cast<unsigned char>(p.r), static_cast<unsigned char>(p.g),
                                          static_cast<unsigned char>(p.b)};
            std::fwrite(rgb, 1, 3, f);
        }
        std::fclose(f);
    }
}

Rgb At(const std::vector<Rgb> &pixels, int x, int y)
{
    return pixels.at(static_cast<size_t>(y) * kWidth + x);
}

bool Near(Rgb a, Rgb b, int tolerance = 3)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

std::vector<std::string> Messages()
{
    std::vector<std::string> lines;
    std::ifstream in(g_messageFile);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void SetRange(ParamRange &r, double v)
{
    r.min = r.max = v;
}

// One immortal emitter of the given mode, drawn at world point (x, y, z).
void EmitterRecord(ParticleSystem &rec, const char *mode, double x, double y, double z)
{
    std::memset(&rec, 0, sizeof rec);
    rec.particles = 100;
    rec.typeCount = 1;
    std::strcpy(rec.maintype, "x");
    ParticleType &t = rec.types[0];
    std::strcpy(t.name, "x");
    std::strcpy(t.rendermode.text, mode);
    SetRange(t.startred, 1.0);
    SetRange(t.endred, 1.0);
    SetRange(t.startalpha, 0.5);
    SetRange(t.endalpha, 0.5);
    SetRange(t.startsize, 10.0);
    SetRange(t.startangle, 45.0);
    SetRange(t.lifetime, 4.0);
    t.offset.x = x;
    t.offset.y = y;
    t.offset.z = z;
}

// Mean column of the pixels that differ from the background.
double Centroid(const std::vector<Rgb> &pixels, Rgb background)
{
    double sum = 0;
    int count = 0;
    for (int y = 50; y < kHeight; ++y)  // below the overlay texts
        for (int x = 0; x < kWidth; ++x)
            if (!Near(At(pixels, x, y), background, 8)) {
                sum += x;
                ++count;
            }
    return count ? sum / count : -1.0;
}

const double kBlack[3] = {0.0, 0.0, 0.0};
const double kGrey[3] = {0.5, 0.5, 0.5};
const double kGround[3] = {0.0, 1.0, 0.0};
const double kWhite[3] = {1.0, 1.0, 1.0};

// Loads the plug-in and binds its eighteen exports, as a host does.
void LoadPlugin()
{
    g_library = dlopen(GX_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(g_library, nullptr) << dlerror();
    Bind(g_api.GetRendererName, "R_GetRendererName");
    Bind(g_api.IsSupported, "R_IsSupported");
    Bind(g_api.ResizeDevice, "R_ResizeDevice");
    Bind(g_api.UpdateDevice, "R_UpdateDevice");
    Bind(g_api.CloseDevice, "R_CloseDevice");
    Bind(g_api.OpenDevice, "R_OpenDevice");
    Bind(g_api.Initialize, "R_Initialize");
    Bind(g_api.InputEvent, "R_InputEvent");
    Bind(g_api.SetShowGround, "R_SetShowGround");
    Bind(g_api.SetGamedir, "R_SetGamedir");
    Bind(g_api.SetDeviceOptions, "R_SetDeviceOptions");
    Bind(g_api.UpdateParticles, "R_UpdateParticles");
    Bind(g_api.ReallocParticles, "R_ReallocParticles");
    Bind(g_api.UpdateTypes, "R_UpdateTypes");
    Bind(g_api.RelinkTypes, "R_RelinkTypes");
    Bind(g_api.UpdateRendermode, "R_UpdateRendermode");
    Bind(g_api.UpdateTextures, "R_UpdateTextures");
    Bind(g_api.GetAdditionalInfo, "R_GetAdditionalInfo");
}

// Open file descriptors of the process: each X connection holds one.
int OpenFiles()
{
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (readdir(dir))
        ++count;
    closedir(dir);
    return count;
}

class Device : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_display = XOpenDisplay(nullptr);
        ASSERT_NE(g_display, nullptr) << "no X server: run under xvfb-run";
        char path[] = "/tmp/gx-messages-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        close(fd);
        g_messageFile = path;
        setenv("SPARKWRIGHT_RENDERER_MESSAGES", path, 1);
        LoadPlugin();
        g_api.Initialize();
    }
    static void TearDownTestSuite()
    {
        // Unloading waits for a preparation under way and closes its connection.
        if (auto prepare = g_library
                               ? reinterpret_cast<R_PrepareDeviceFn>(dlsym(g_library, "R_PrepareDevice"))
                               : nullptr)
            prepare();
        if (g_library)
            dlclose(g_library);
        if (g_display)
            XCloseDisplay(g_display);
        std::remove(g_messageFile.c_str());
    }
    void SetUp() override
    {
        ASSERT_NE(g_library, nullptr);
        window = MakeWindow(0, 0);
    }
    void TearDown() override
    {
        // A test that stopped half-way must not leave the effect paused.
        if (auto setPlayback = reinterpret_cast<R_SetPlaybackFn>(dlsym(g_library, "R_SetPlayback")))
            setPlayback(0, 1.0);
        g_api.CloseDevice();
        g_api.UpdateParticles(nullptr);
        XDestroyWindow(g_display, window);
        XSync(g_display, False);
    }
    // Opens the device the way the host does after a successful open.
    void Open(const double background[3], int ground, int shadow = 0)
    {
        ASSERT_EQ(g_api.OpenDevice(window), 1);
        g_api.ResizeDevice(kWidth, kHeight);
        g_api.SetDeviceOptions(background, kGround, kWhite, 0, shadow);
        g_api.SetShowGround(ground);
    }
    std::vector<Rgb> Frame()
    {
        g_api.UpdateDevice();
        return Grab(window);
    }

    Window window = 0;
};

}  // namespace

TEST_F(Device, NameSupportAndCallsBeforeOpening)
{
    char name[256];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(g_api.GetRendererName(name), 1);
    EXPECT_STREQ(name, "OpenGL Renderer");
    EXPECT_EQ(g_api.IsSupported(), 1);
    // Without a device these do nothing, and nothing breaks.
    g_api.UpdateDevice();
    g_api.ResizeDevice(10, 10);
    g_api.InputEvent(kInputPointerMove);
    char info[kRendererInfoBufferSize];
    g_api.GetAdditionalInfo(info);
    EXPECT_TRUE(std::string(info).ends_with("\n\nLoaded packages:\n"));
}

TEST_F(Device, BadWindowHandlesFailWithAMessage)
{
    const size_t before = Messages().size();
    g_boxCaptions.clear();
    EXPECT_EQ(g_api.OpenDevice(0), 0);
    EXPECT_EQ(g_api.OpenDevice(0x7ABCDEF), 0);  // no such window on the server
    const std::vector<std::string> lines = Messages();
    ASSERT_EQ(lines.size(), before + 2);
    EXPECT_EQ(lines[before], "Error Getting Device Context");
    EXPECT_EQ(lines[before + 1], "Error Getting Device Context");
    ASSERT_EQ(g_boxCaptions.size(), 2u);
    EXPECT_EQ(g_boxCaptions[0], "OpenGL Renderer");
    // The device is usable afterwards.
    Open(kGrey, 0);
    EXPECT_TRUE(Near(At(Frame(), 160, 120), Rgb{128, 128, 128}));
}

TEST_F(Device, ClearColourGroundAndInformation)
{
    const double blue[3] = {0.0, 0.0, 1.0};
    Open(blue, 1);
    std::vector<Rgb> pixels = Frame();
    ASSERT_FALSE(pixels.empty());
    EXPECT_TRUE(Near(At(pixels, 160, 60), Rgb{0, 0, 255}));
    EXPECT_TRUE(Near(At(pixels, 160, 230), Rgb{0, 255, 0}));  // camera looks down onto the ground
    // No record: no particle texts; the frame rate stays empty for the first second.
    for (int y = 5; y < 45; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_TRUE(Near(At(pixels, x, y), Rgb{0, 0, 255})) << x << "," << y;

    g_api.SetShowGround(0);
    pixels = Frame();
    EXPECT_TRUE(Near(At(pixels, 160, 230), Rgb{0, 0, 255}));

    char info[kRendererInfoBufferSize];
    g_api.GetAdditionalInfo(info);
    const std::string text(info);
    EXPECT_EQ(text.rfind("GL_VENDOR:  ", 0), 0u);
    EXPECT_NE(text.find("\nGL_RENDERER:  "), std::string::npos);
    EXPECT_NE(text.find("\nGL_VERSION:  "), std::string::npos);
    EXPECT_GT(text.find("GL_RENDERER:  ") + 15, 16u);
    EXPECT_TRUE(text.ends_with("\n\nLoaded packages:\n"));
}

TEST_F(Device, ResizeFollowsTheHostAndOwnerIsTheParent)
{
    Open(kGrey, 0);
    // The device's own window follows the size; the host's black shows beside it.
    g_api.ResizeDevice(kWidth / 2, kHeight / 2);
    std::vector<Rgb> pixels = Frame();
    EXPECT_TRUE(Near(At(pixels, 80, 100), Rgb{128, 128, 128}));
    EXPECT_TRUE(Near(At(pixels, 300, 200), Rgb{0, 0, 0}));
    g_api.ResizeDevice(kWidth, kHeight);
    EXPECT_TRUE(Near(At(Frame(), 300, 200), Rgb{128, 128, 128}));
    g_api.ResizeDevice(0, 0);  // degenerate sizes are survived
    g_api.UpdateDevice();
    // A message now is owned by the viewport's parent, the root here.
    g_boxOwners.clear();
    g_api.OpenDevice(0);
    ASSERT_EQ(g_boxOwners.size(), 1u);
    EXPECT_EQ(g_boxOwners[0], DefaultRootWindow(g_display));
}

TEST_F(Device, EffectDrawsBlendedByRenderMode)
{
    // Point 100 units ahead of the reset camera: the middle of the screen.
    const double x = -1.5192, z = 42.635;
    ParticleSystem additive, colour;
    EmitterRecord(additive, "kRenderTransAdd", x, 0, z);
    // Without a sprite name only colour mode draws; a sprite that cannot be
    // loaded leaves the type drawable, with no texture of its own.
    std::strcpy(additive.types[0].sprite.text, "sprites/missing.spr");
    EmitterRecord(colour, "KRENDERTRANSCOLOR", x, 0, z);

    Open(kGrey, 0);
    g_api.UpdateParticles(&additive);
    g_api.UpdateTextures();
    std::vector<Rgb> pixels = Frame();
    EXPECT_TRUE(Near(At(pixels, 160, 120), Rgb{255, 128, 128})) << At(pixels, 160, 120).r;
    EXPECT_TRUE(Near(At(pixels, 160, 150), Rgb{128, 128, 128}));  // a small square only

    g_api.UpdateParticles(&colour);
    g_api.UpdateTextures();
    pixels = Frame();
    const Rgb mid = At(pixels, 160, 120);
    EXPECT_TRUE(Near(mid, Rgb{191, 64, 64})) << mid.r << " " << mid.g << " " << mid.b;

    // Size 0 draws nothing.
    SetRange(colour.types[0].startsize, 0.0);
    g_api.RelinkTypes();
    EXPECT_TRUE(Near(At(Frame(), 160, 120), Rgb{128, 128, 128}));
}

TEST_F(Device, InputCodesMoveTheCameraAndReopeningResetsIt)
{
    ParticleSystem rec;
    EmitterRecord(rec, "kRenderTransColor", 0, 50, 42.635);  // left of the middle
    Open(kBlack, 0);
    g_api.UpdateParticles(&rec);
    g_api.UpdateTextures();
    const std::vector<Rgb> start = Frame();
    Dump(start, "camera-start");
    const double startX = Centroid(start, Rgb{0, 0, 0});
    ASSERT_GT(startX, 40.0);
    ASSERT_LT(startX, 120.0);

    // Keypad 6 moves the camera right: the particle goes left. The step is
    // scaled by the frame time, so give the frames time to pass: a fast
    // renderer would otherwise move the camera by less than a pixel.
    for (int i = 0; i < 30; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        g_api.UpdateDevice();
        g_api.InputEvent(kInputMoveRight);
    }
    EXPECT_LT(Centroid(Frame(), Rgb{0, 0, 0}), startX - 5.0);

    g_api.CloseDevice();
    Open(kBlack, 0);
    g_api.UpdateParticles(&rec);
    g_api.UpdateTextures();
    EXPECT_NEAR(Centroid(Frame(), Rgb{0, 0, 0}), startX, 1.0);

    // A left drag spins the scene by the pointer's movement.
    const Window root = DefaultRootWindow(g_display);
    XWarpPointer(g_display, None, root, 0, 0, 0, 0, 500, 500);
    XSync(g_display, False);
    g_api.InputEvent(kInputLeftButtonDown);
    XWarpPointer(g_display, None, root, 0, 0, 0, 0, 590, 500);
    XSync(g_display, False);
    g_api.InputEvent(kInputPointerMove);
    g_api.InputEvent(kInputLeftButtonUp);
    const std::vector<Rgb> spun = Frame();
    Dump(spun, "camera-spun");
    const double spunX = Centroid(spun, Rgb{0, 0, 0});
    EXPECT_NEAR(spunX, 160.0, 8.0);  // turned a quarter: now straight ahead
}

TEST_F(Device, FramesDuringAMessageBoxLeaveTheRebuildAlone)
{
    static ParticleSystem rec;
    EmitterRecord(rec, "kRenderTransColor", -1.5192, 0, 42.635);
    std::strcpy(rec.types[0].overlaytype.text, "x");
    rec.typeCount = 3;
    rec.types[1] = rec.types[0];
    rec.types[2] = rec.types[0];
    std::strcpy(rec.types[1].name, "a");
    std::strcpy(rec.types[2].name, "b");
    std::strcpy(rec.types[1].sprite.text, "sprites/missing1.spr");
    std::strcpy(rec.types[2].sprite.text, "sprites/missing2.spr");
    Open(kGrey, 0);
    g_api.UpdateParticles(&rec);
    for (int i = 0; i < 5; ++i)
        g_api.UpdateDevice();
    // Each missing sprite shows a box while the type links are being rebuilt.
    g_whileBoxShows = [] { g_api.UpdateDevice(); };
    g_api.UpdateTypes();
    g_api.UpdateParticles(&rec);
    g_whileBoxShows = nullptr;
    g_api.UpdateTextures();
    // The self-overlay chain stacks half-transparent red layers: nearly opaque.
    const Rgb mid = At(Frame(), 160, 120);
    EXPECT_TRUE(Near(mid, Rgb{255, 0, 0})) << mid.r << " " << mid.g << " " << mid.b;
}

TEST_F(Device, APreparedConnectionBecomesTheDevicesOwn)
{
    auto prepare = reinterpret_cast<R_PrepareDeviceFn>(dlsym(g_library, "R_PrepareDevice"));
    ASSERT_NE(prepare, nullptr);
    // Opened and closed once first, so that what the driver keeps is in place.
    Open(kGrey, 0);
    Frame();
    g_api.CloseDevice();
    const int before = OpenFiles();

    std::thread(prepare).join();  // as the host does it: on a thread of its own
    prepare();                    // one waits already: nothing more
    Open(kGrey, 1);
    std::vector<Rgb> pixels = Frame();
    EXPECT_TRUE(Near(At(pixels, 160, 60), Rgb{128, 128, 128}));
    EXPECT_TRUE(Near(At(pixels, 160, 230), Rgb{0, 255, 0}));
    prepare();  // a device is open: nothing to prepare
    g_api.CloseDevice();
    // The device took the prepared connection and closed it with itself.
    EXPECT_EQ(OpenFiles(), before);

    // A connection that no device takes goes with the next open, even a failed one.
    const size_t messages = Messages().size();
    prepare();
    EXPECT_EQ(g_api.OpenDevice(0), 0);
    EXPECT_EQ(OpenFiles(), before);
    prepare();
    EXPECT_EQ(g_api.OpenDevice(0x7ABCDEF), 0);  // no such window
    EXPECT_EQ(OpenFiles(), before);
    EXPECT_EQ(Messages().size(), messages + 2);  // the usual message, once each

    // And the next open, without a preparation, works as before.
    Open(kGrey, 0);
    EXPECT_TRUE(Near(At(Frame(), 160, 120), Rgb{128, 128, 128}));
}

TEST_F(Device, ReopenOnAnotherWindow)
{
    Open(kGrey, 0);
    Frame();
    g_api.CloseDevice();
    const Window other = MakeWindow(400, 0);
    ASSERT_EQ(g_api.OpenDevice(other), 1);
    g_api.ResizeDevice(kWidth, kHeight);
    const double red[3] = {1.0, 0.0, 0.0};
    g_api.SetDeviceOptions(red, kGround, kWhite, 1, 0);
    g_api.SetShowGround(0);
    g_api.UpdateDevice();
    EXPECT_TRUE(Near(At(Grab(other), 10, 200), Rgb{255, 0, 0}));
    g_api.CloseDevice();
    XDestroyWindow(g_display, other);
}

namespace {

struct PlaybackApi {
    R_SetPlaybackFn SetPlayback;
    R_StepFrameFn StepFrame;
    R_RestartEffectFn RestartEffect;
    R_ResetCameraFn ResetCamera;
    R_FrameEffectFn FrameEffect;
};

// The optional exports, bound by name as a host binds them.
PlaybackApi BindPlayback()
{
    PlaybackApi api{};
    Bind(api.SetPlayback, "R_SetPlayback");
    Bind(api.StepFrame, "R_StepFrame");
    Bind(api.RestartEffect, "R_RestartEffect");
    Bind(api.ResetCamera, "R_ResetCamera");
    Bind(api.FrameEffect, "R_FrameEffect");
    return api;
}

// An emitter ahead of the start camera spraying colour-mode squares upwards
// and sideways, so every step changes the picture.
void SprayRecord(ParticleSystem &rec)
{
    EmitterRecord(rec, "kRenderTransColor", -1.5192, 0, 42.635);
    ParticleType &t = rec.types[0];
    SetRange(t.startsize, 2.0);
    SetRange(t.startalpha, 1.0);
    SetRange(t.endalpha, 1.0);
    SetRange(t.sprayrate, 40.0);
    SetRange(t.sprayforce, 40.0);
    t.sprayyaw.min = 0;
    t.sprayyaw.max = 360;
    SetRange(t.spraypitch, 40.0);
}

// Attaches the spraying record to the open device on black, runs it for some
// frames of about 10 ms each and pauses it. The texts are drawn in the
// background colour: the frame rate changes by itself.
void RunSprayThenPause(const PlaybackApi &playback, ParticleSystem &rec, int frames)
{
    SprayRecord(rec);
    g_api.SetDeviceOptions(kBlack, kGround, kBlack, 0, 0);
    g_api.UpdateParticles(&rec);
    g_api.UpdateTextures();
    for (int i = 0; i < frames; ++i) {
        g_api.UpdateDevice();
        usleep(10000);
    }
    playback.SetPlayback(1, 1.0);
}

int Differences(const std::vector<Rgb> &a, const std::vector<Rgb> &b)
{
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += a[i].r != b[i].r || a[i].g != b[i].g || a[i].b != b[i].b;
    return count + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

// Bounding box of the pixels that differ from the background, below the texts.
struct Box {
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
};
Box DrawnBox(const std::vector<Rgb> &pixels, Rgb background)
{
    Box box;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (!Near(At(pixels, x, y), background, 8)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

}  // namespace

TEST_F(Device, PausedFramesRepeatStepsAdvanceAndRestartBeginsAgain)
{
    const PlaybackApi playback = BindPlayback();
    ParticleSystem rec;
    Open(kBlack, 0);
    RunSprayThenPause(playback, rec, 20);
    const std::vector<Rgb> first = Frame();
    usleep(50000);
    const std::vector<Rgb> second = Frame();
    Dump(first, "paused");
    ASSERT_GT(DrawnBox(first, Rgb{0, 0, 0}).right, 0);
    EXPECT_EQ(0, Differences(first, second));

    // One step moves the effect on, and then it stands again.
    playback.StepFrame();
    const std::vector<Rgb> stepped = Frame();
    EXPECT_GT(Differences(first, stepped), 0);
    EXPECT_EQ(0, Differences(stepped, Frame()));

    // A paused view still follows the camera.
    g_api.InputEvent(kInputMoveRight);
    EXPECT_GT(Differences(stepped, Frame()), 0);
    playback.ResetCamera();
    EXPECT_EQ(0, Differences(stepped, Frame()));

    // Restart while paused: the pool is empty until the next step spawns the emitter.
    playback.RestartEffect();
    const std::vector<Rgb> empty = Frame();
    EXPECT_EQ(-1, DrawnBox(empty, Rgb{0, 0, 0}).right);
    playback.StepFrame();
    const Box restarted = DrawnBox(Frame(), Rgb{0, 0, 0});
    EXPECT_GT(restarted.right, 0);
    // Only the emitter: one small square in the middle.
    EXPECT_LT(restarted.right - restarted.left, 20);

    playback.SetPlayback(0, 1.0);
}

TEST_F(Device, FrameEffectFillsTheViewAndResetCameraReturns)
{
    const PlaybackApi playback = BindPlayback();
    ParticleSystem rec;
    Open(kBlack, 0);
    RunSprayThenPause(playback, rec, 30);
    const std::vector<Rgb> start = Frame();
    const Box small = DrawnBox(start, Rgb{0, 0, 0});
    ASSERT_GT(small.right, 0);

    playback.FrameEffect();
    const std::vector<Rgb> framed = Frame();
    Dump(framed, "framed");
    const Box big = DrawnBox(framed, Rgb{0, 0, 0});
    // Larger than before, inside the view and about centred.
    EXPECT_GT(big.bottom - big.top, small.bottom - small.top);
    EXPECT_GT(big.bottom - big.top, kHeight / 3);
    EXPECT_GT(big.left, 0);
    EXPECT_LT(big.right, kWidth - 1);
    EXPECT_GT(big.top, 0);
    EXPECT_LT(big.bottom, kHeight - 1);
    EXPECT_NEAR((big.left + big.right) / 2.0, kWidth / 2.0, kWidth / 8.0);
    EXPECT_NEAR((big.top + big.bottom) / 2.0, kHeight / 2.0, kHeight / 6.0);

    playback.ResetCamera();
    EXPECT_EQ(0, Differences(start, Frame()));
    playback.SetPlayback(0, 1.0);
}

namespace {
bool HasColour(const std::vector<Rgb> &pixels, int x0, int y0, int x1, int y1, Rgb colour)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Near(At(pixels, x, y), colour, 2))
                return true;
    return false;
}
int RightmostColumn(const std::vector<Rgb> &pixels, int y0, int y1, Rgb colour)
{
    int right = -1;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (Near(At(pixels, x, y), colour, 2))
                right = std::max(right, x);
    return right;
}
}  // namespace

TEST_F(Device, OverlayTextsWithShadowAndFrameRate)
{
    ParticleSystem rec;
    EmitterRecord(rec, "kRenderTransColor", 0, 0, -500);  // out of sight
    std::strcpy(rec.maintype, "x x");
    std::strcpy(rec.types[0].name, "x x");
    Open(kBlack, 0, 1);
    g_api.UpdateParticles(&rec);
    std::vector<Rgb> pixels = Frame();
    const Rgb white{255, 255, 255}, shadow{51, 51, 51};
    EXPECT_TRUE(HasColour(pixels, 5, 10, 150, 24, white));  // Particles: 1 / 100
    EXPECT_TRUE(HasColour(pixels, 5, 10, 150, 24, shadow));
    EXPECT_TRUE(HasColour(pixels, 5, 30, 150, 44, white));  // Main Type: x x
    // "Main Type: x x" is 14 glyphs of 6 pixels from x = 5; blanks must advance.
    const int right = RightmostColumn(pixels, 30, 44, white);
    EXPECT_GE(right, 5 + 13 * 6);
    EXPECT_LT(right, 5 + 14 * 6 + 2);

    g_api.SetDeviceOptions(kBlack, kGround, kWhite, 0, 0);
    pixels = Frame();
    EXPECT_FALSE(HasColour(pixels, 0, 0, kWidth, 50, shadow));

    // After a full second of frames the rate appears at the top right.
    for (int i = 0; i < 200; ++i) {
        g_api.UpdateDevice();
        usleep(8000);
    }
    pixels = Frame();
    EXPECT_TRUE(HasColour(pixels, kWidth - 80, 10, kWidth, 24, white));
}

#if GX_TEST_SPRITES
#include <sys/stat.h>

#include "SpriteWriter.h"

namespace {
// A game directory holding sprites/solid.spr: one 8x8 picture of one colour.
std::string SolidSpriteDir(uint8_t r, uint8_t g, uint8_t b)
{
    char folder[] = "/tmp/gx-sprites-XXXXXX";
    if (!mkdtemp(folder))
        return "";
    const std::string dir = folder;
    mkdir((dir + "/sprites").c_str(), 0755);
    SpriteDraft draft;
    draft.palette = {r, g, b, 0, 0, 0};
    SpritePicture picture;
    picture.width = picture.height = 8;
    picture.indices.assign(64, 0);
    SpriteFrameDraft frame;
    frame.pictures.push_back(picture);
    draft.frames.push_back(frame);
    WriteFileBytes(dir + "/sprites/solid.spr", WriteSprite(draft));
    WriteFileBytes(dir + "/pak0.pak", WritePak({PakMember{"sprites/other.spr", WriteSprite(draft)}}));
    return dir;
}
}  // namespace

TEST_F(Device, TexturedParticleShowsItsSprite)
{
    const std::string dir = SolidSpriteDir(40, 200, 90);
    ASSERT_FALSE(dir.empty());
    g_api.SetGamedir(dir.c_str(), "");
    ParticleSystem rec;
    EmitterRecord(rec, "kRenderTransTexture", -1.5192, 0, 42.635);
    std::strcpy(rec.types[0].sprite.text, "sprites/solid.spr");
    for (ParamRange *r : {&rec.types[0].startgreen, &rec.types[0].endgreen, &rec.types[0].startblue,
                          &rec.types[0].endblue, &rec.types[0].startalpha, &rec.types[0].endalpha})
        SetRange(*r, 1.0);
    Open(kBlack, 0);
    const size_t before = Messages().size();
    g_api.UpdateParticles(&rec);
    g_api.UpdateTextures();
    const std::vector<Rgb> pixels = Frame();
    Dump(pixels, "textured");
    EXPECT_TRUE(Near(At(pixels, 160, 120), Rgb{40, 200, 90})) << At(pixels, 160, 120).g;
    EXPECT_EQ(Messages().size(), before);  // found, parsed, no message
    char info[kRendererInfoBufferSize];
    g_api.GetAdditionalInfo(info);
    EXPECT_TRUE(std::string(info).ends_with("Loaded packages:\n" + dir + "/pak0.pak\n")) << info;

    // Closing releases the textures: after reopening the type is not drawn
    // until the types are rebuilt.
    g_api.CloseDevice();
    Open(kBlack, 0);
    g_api.UpdateTextures();
    EXPECT_TRUE(Near(At(Frame(), 160, 120), Rgb{0, 0, 0}));
    g_api.UpdateTypes();
    EXPECT_TRUE(Near(At(Frame(), 160, 120), Rgb{40, 200, 90}));

    // Unloading with the device open and a sprite loaded frees both; a
    // reloaded library starts afresh.
    dlclose(g_library);
    LoadPlugin();
    ASSERT_NE(g_library, nullptr);
    g_api.Initialize();
    Open(kGrey, 0);
    EXPECT_TRUE(Near(At(Frame(), 160, 120), Rgb{128, 128, 128}));
    std::remove((dir + "/sprites/solid.spr").c_str());
    std::remove((dir + "/pak0.pak").c_str());
    rmdir((dir + "/sprites").c_str());
    rmdir(dir.c_str());
}
#endif

#if defined(GX_DEMO_DIR) && defined(GX_MANAGER_PATH)
#include "DemoEffects.h"
#include "ManagerApi.h"

// Every sample effect of the demo game, read by the script manager, draws
// its sprites (loose and from the archives) without a message.
TEST_F(Device, DemoEffectsDrawTheirSprites)
{
    void *manager = dlopen(GX_MANAGER_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(manager, nullptr) << dlerror();
    auto load = reinterpret_cast<embLoadFileFn>(dlsym(manager, "embLoadFile"));
    ASSERT_NE(load, nullptr);

    const std::string demo = GX_DEMO_DIR;
    const std::vector<std::string> effects = DemoEffectNames(demo);
    ASSERT_GE(effects.size(), 5u);

    g_api.SetGamedir((demo + "/game").c_str(), "");
    Open(kGrey, 1, 1);
    static ParticleSystem rec;
    for (const std::string &name : effects) {
        SCOPED_TRACE(name);
        ASSERT_EQ(load((demo + "/effects/" + name).c_str(), &rec), 1);
        const size_t before = Messages().size();
        g_api.UpdateParticles(&rec);
        g_api.UpdateTextures();
        for (int i = 0; i < 90; ++i) {
            g_api.UpdateDevice();
            usleep(16000);
        }
        const std::vector<Rgb> pixels = Frame();
        Dump(pixels, ("demo-" + name.substr(0, name.size() - 4)).c_str());
        EXPECT_EQ(Messages().size(), before);
        int drawn = 0;
        for (int y = 50; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Rgb p = At(pixels, x, y);
                drawn += !Near(p, Rgb{128, 128, 128}, 6) && !Near(p, Rgb{0, 255, 0}, 6);
            }
        EXPECT_GT(drawn, 200);
    }
    g_api.UpdateParticles(nullptr);
    g_api.SetGamedir("", "");
    dlclose(manager);
}
#endif
