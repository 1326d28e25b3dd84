// Start-up time to the first frame with particles, against a bare Qt main
// window with a native GLX child window (run it under xvfb-run).
//
// Each measurement is a fresh process started by this program, alternating
// the two kinds in rounds:
//   bare:     QApplication, a main window of the editor's default size whose
//             central widget is native, and on it an own display connection,
//             a GLX child window and context: clear and swap once;
//   renderer: the same window, the plug-in loaded like a host loads it and
//             opened on the widget, an effect attached, and R_UpdateDevice
//             until a frame has drawn particles;
//   editor:   embEd itself with the same effect as a script named on its
//             command line, its settings in a scratch folder (no first-run
//             questions); a preloaded probe (startup_probe.cpp) takes the time
//             when the first frame that drew particles has been swapped.
// The effect's emitter shows, so its first frame has particles; an effect
// whose emitter is invisible shows its first particle only with its first
// spray (1/60 s of effect time later for the demo fire): --effect times one.
// The time runs from just before the process is started to the return of
// the swap that shows the frame.
//
//   renderer_startup_bench [--rounds N] [--plugin gxOpenGL.so] [--editor embEd] [--effect file.nbs]
// (--plugin, --editor: another build of the plug-in or the editor, to compare
// with an earlier one; an editor loads the plug-ins beside it)
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMainWindow>
#include <QWidget>
#include <QWindow>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "BenchEffect.h"
#include "RendererApi.h"

extern char **environ;

namespace {

long long NowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// The bare program's own GL window: what any GLX program does before its
// first picture.
bool BareFirstFrame(Window host, int width, int height)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                        8,        GLX_DEPTH_SIZE,   24,           None};
    XVisualInfo *visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual)
        return false;
    XSetWindowAttributes set{};
    set.colormap = XCreateColormap(display, host, visual->visual, AllocNone);
    const Window child = XCreateWindow(display, host, 0, 0, width, height, 0, visual->depth, InputOutput,
                                       visual->visual, CWColormap, &set);
    XMapWindow(display, child);
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    if (!context || !glXMakeCurrent(display, child, context))
        return false;
    glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glXSwapBuffers(display, child);
    XSync(display, False);
    return true;
}

// The editor's main window starts at this size; the bare window and the
// renderer's get it too, so that all three fill about as many pixels.
constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 768;

const char *g_plugin = GX_PLUGIN_PATH;

bool RendererFirstFrame(Window host, int width, int height)
{
    void *library = dlopen(g_plugin, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return false;
    auto initialize = reinterpret_cast<R_InitializeFn>(dlsym(library, "R_Initialize"));
    auto open = reinterpret_cast<R_OpenDeviceFn>(dlsym(library, "R_OpenDevice"));
    auto resize = reinterpret_cast<R_ResizeDeviceFn>(dlsym(library, "R_ResizeDevice"));
    auto update = reinterpret_cast<R_UpdateDeviceFn>(dlsym(library, "R_UpdateDevice"));
    auto attach = reinterpret_cast<R_UpdateParticlesFn>(dlsym(library, "R_UpdateParticles"));
    if (!initialize || !open || !resize || !update || !attach)
        return false;
    initialize();
    if (!open(host))
        return false;
    resize(width, height);
    static ParticleSystem rec;
    SprayingEffect(rec, 1000, nullptr);
    std::strcpy(rec.types[0].rendermode.text, "kRenderTransColor");
    BenchRange(rec.types[0].startsize, 4.0, 4.0);  // the emitter itself shows
    attach(&rec);
    // The first frame steps the new effect once: its emitter is born and drawn.
    update();
    return true;
}

int Child(bool renderer, long long startNs)
{
    int argc = 1;
    char name[] = "renderer_startup_bench";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QMainWindow window;
    auto *view = new QWidget;
    view->setAttribute(Qt::WA_NativeWindow);
    window.setCentralWidget(view);
    window.resize(kWindowWidth, kWindowHeight);
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const Window host = static_cast<Window>(view->winId());
    const bool ok = renderer ? RendererFirstFrame(host, view->width(), view->height())
                             : BareFirstFrame(host, view->width(), view->height());
    const long long endNs = NowNs();
    if (!ok) {
        std::fprintf(stderr, "no first frame\n");
        return 1;
    }
    std::printf("%.3f\n", static_cast<double>(endNs - startNs) / 1e6);
    std::fflush(stdout);
    std::_Exit(0);  // the time is taken: skip the teardown
}

// Starts a program with its standard output on a pipe and waits for it; its
// output, or nothing when it could not start or did not end with status 0.
// Spawning comes last, so a caller's clock read just before it is the start.
std::string SpawnForOutput(char *const argv[], char *const envp[])
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return {};
    }
    std::string output;
    char buffer[64];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return output;
}

// Runs one child and returns its milliseconds, or a negative value.
double RunChild(const char *self, bool renderer)
{
    const std::string start = std::to_string(NowNs());
    char mode[16];
    std::strcpy(mode, renderer ? "--renderer" : "--bare");
    char *argv[] = {const_cast<char *>(self), mode, const_cast<char *>(start.c_str()),
                    const_cast<char *>(g_plugin), nullptr};
    const std::string output = SpawnForOutput(argv, environ);
    return output.empty() ? -1 : std::atof(output.c_str());
}

#ifdef GX_EDITOR_PATH
std::string g_editor = GX_EDITOR_PATH;
std::string g_effect;  // empty: the bench's own, written to the scratch folder
std::string g_scratch;

// The renderer case's effect as a script: the emitter drawn as a coloured
// square, spraying drops.
const char kBenchScript[] = R"("particles" "1000"
"maintype" "fountain"

{
	"name" "fountain"
	"spraytype" "drop"
	"sprayrate" "200"
	"sprayforce" "60..100"
	"spraypitch" "50..85"
	"sprayyaw" "-180..179"
	"lifetime" "4"
	"startsize" "4"
	"rendermode" "color"
	"endalpha" "0.2..0.4"
	"endgreen" "0.3..0.6"
	"endblue" "0..0.2"
}

{
	"name" "drop"
	"spraytype" "drop"
	"sprayrate" "20..40"
	"sprayforce" "10..30"
	"spraypitch" "-30..60"
	"sprayyaw" "-180..179"
	"gravity" "-120..-80"
	"drag" "0.1..0.3"
	"windstrength" "5..20"
	"windyaw" "0..90"
	"bounce" "0.4..0.6"
	"bouncefriction" "0.1..0.2"
	"startsize" "1.5..3"
	"sizedelta" "0.1..0.2"
	"startangle" "0..359"
	"angledelta" "-90..90"
	"framerate" "1..2"
	"lifetime" "-1"
	"rendermode" "additive"
	"endalpha" "0.2..0.4"
	"endgreen" "0.3..0.6"
	"endblue" "0..0.2"
}
)";

// A settings folder where the game directory and the renderer are chosen.
bool PrepareEditorSettings()
{
    char pattern[] = "/tmp/sparkwright-startup-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    g_scratch = pattern;
    const std::string folder = g_scratch + "/config/Brindle Works";
    if (std::system(("mkdir -p '" + folder + "' '" + g_scratch + "/data'").c_str()) != 0)
        return false;
    FILE *f = std::fopen((folder + "/EmbEd.conf").c_str(), "w");
    if (!f)
        return false;
    std::fprintf(f, "[Settings]\nGameDir=%s\nCurrentRenderer=1\n", GX_DEMO_PATH "/game");
    std::fclose(f);
    if (g_effect.empty()) {
        g_effect = g_scratch + "/startup.nbs";
        f = std::fopen(g_effect.c_str(), "w");
        if (!f)
            return false;
        std::fputs(kBenchScript, f);
        std::fclose(f);
    }
    return true;
}

// Starts embEd on the effect and returns the milliseconds to its first
// particle frame, or a negative value.
double RunEditor()
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("XDG_CONFIG_HOME=", 0) != 0 && entry.rfind("XDG_DATA_HOME=", 0) != 0 &&
            entry.rfind("LD_PRELOAD=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("XDG_CONFIG_HOME=" + g_scratch + "/config");
    env.push_back("XDG_DATA_HOME=" + g_scratch + "/data");
    env.push_back(std::string("LD_PRELOAD=") + GX_PROBE_PATH);
    std::vector<char *> envp;
    for (std::string &entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    char *argv[] = {g_editor.data(), g_effect.data(), nullptr};
    const long long startNs = NowNs();
    const std::string output = SpawnForOutput(argv, envp.data());
    return output.empty() ? -1 : static_cast<double>(std::atoll(output.c_str()) - startNs) / 1e6;
}
#endif

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && (std::strcmp(argv[1], "--bare") == 0 || std::strcmp(argv[1], "--renderer") == 0)) {
        g_plugin = argv[3];
        return Child(std::strcmp(argv[1], "--renderer") == 0, std::atoll(argv[2]));
    }
    int rounds = 9;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) {
            g_plugin = argv[++i];
#ifdef GX_EDITOR_PATH
        } else if (std::strcmp(argv[i], "--effect") == 0 && i + 1 < argc) {
            g_effect = argv[++i];
        } else if (std::strcmp(argv[i], "--editor") == 0 && i + 1 < argc) {
            g_editor = argv[++i];
#endif
        } else {
            std::fprintf(stderr,
                         "usage: %s [--rounds N] [--plugin gxOpenGL.so] [--editor embEd] [--effect "
                         "file.nbs]\n",
                         argv[0]);
            return 2;
        }
    }
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 1;
    self[length] = '\0';

#ifdef GX_EDITOR_PATH
    const bool withEditor = PrepareEditorSettings();
    if (!withEditor)
        std::fprintf(stderr, "no scratch settings folder: the editor is not timed\n");
#else
    const bool withEditor = false;
#endif
    auto editorRun = [&]() -> double {
#ifdef GX_EDITOR_PATH
        return RunEditor();
#else
        return -1;
#endif
    };
    RunChild(self, false);  // the first start warms the file cache for all
    RunChild(self, true);
    if (withEditor)
        editorRun();
    std::vector<double> bare, renderer, ratio, editor, editorRatio;
    for (int round = 0; round < rounds; ++round) {
        const double b = RunChild(self, false);
        const double r = RunChild(self, true);
        if (b <= 0 || r <= 0) {
            std::fprintf(stderr, "a start failed\n");
            return 1;
        }
        bare.push_back(b);
        renderer.push_back(r);
        ratio.push_back(r / b);
        if (withEditor) {
            const double e = editorRun();
            if (e <= 0) {
                std::fprintf(stderr, "the editor did not show a particle frame\n");
                return 1;
            }
            editor.push_back(e);
            editorRatio.push_back(e / b);
        }
    }
    std::printf("first frame after process start, %d interleaved rounds (medians)\n", rounds);
    std::printf("bare Qt window with a GLX child: %8.2f ms\n", Median(bare));
    std::printf("renderer, first particle frame:  %8.2f ms\n", Median(renderer));
    std::printf("ratio:                           %8.2fx\n", Median(ratio));
    if (withEditor) {
        std::printf("embEd, first particle frame:     %8.2f ms\n", Median(editor));
        std::printf("ratio (embEd / bare):            %8.2fx\n", Median(editorRatio));
    }
#ifdef GX_EDITOR_PATH
    if (!g_scratch.empty())
        std::system(("rm -rf '" + g_scratch + "'").c_str());
#endif
    return 0;
}
