#include "OffscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace gx {

namespace {

// Framebuffer objects are not in the GL 1.x entry points libGL exports.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
};

template <typename Fn>
bool Bind(Fn &fn, const char *name)
{
    fn = reinterpret_cast<Fn>(eglGetProcAddress(name));
    return fn != nullptr;
}

bool BindFramebufferCalls(FramebufferCalls &gl)
{
    return Bind(gl.genFramebuffers, "glGenFramebuffers") && Bind(gl.bindFramebuffer, "glBindFramebuffer") &&
           Bind(gl.deleteFramebuffers, "glDeleteFramebuffers") &&
           Bind(gl.genRenderbuffers, "glGenRenderbuffers") &&
           Bind(gl.bindRenderbuffer, "glBindRenderbuffer") &&
           Bind(gl.renderbufferStorage, "glRenderbufferStorage") &&
           Bind(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           Bind(gl.checkFramebufferStatus, "glCheckFramebufferStatus") &&
           Bind(gl.deleteRenderbuffers, "glDeleteRenderbuffers");
}

FramebufferCalls g_fb;

constexpr const char *kMesaVendorFile = "/usr/share/glvnd/egl_vendor.d/50_mesa.json";

EGLDisplay SurfacelessDisplay()
{
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

}  // namespace

OffscreenContext::~OffscreenContext()
{
    Close();
}

bool OffscreenContext::Open(int width, int height, bool hardware, std::string &error)
{
    Close();
    if (width <= 0 || height <= 0) {
        error = "The picture size must be positive.";
        return false;
    }
    // Mesa reads these when the display initialises; a caller's own settings
    // win. The vendor file keeps another vendor's EGL (a graphics card's) from
    // answering first.
    if (!hardware) {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        if (access(kMesaVendorFile, R_OK) == 0)
            setenv("__EGL_VENDOR_LIBRARY_FILENAMES", kMesaVendorFile, 0);
    }

    EGLDisplay display = SurfacelessDisplay();
    if (display == EGL_NO_DISPLAY) {
        error = "No EGL surfaceless platform (Mesa's EGL is needed).";
        return false;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        error = "EGL could not be initialised on the surfaceless platform.";
        return false;
    }
    display_ = display;
    const char *extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!extensions || !std::strstr(extensions, "EGL_KHR_surfaceless_context")) {
        error = "EGL cannot make a context current without a surface.";
        Close();
        return false;
    }
    // Nothing is drawn to a surface of the configuration; pbuffer ones are what
    // the surfaceless platform offers.
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglBindAPI(EGL_OPENGL_API) || !eglChooseConfig(display, configAttributes, &config, 1, &count) ||
        count < 1) {
        error = "EGL offers no desktop OpenGL configuration.";
        Close();
        return false;
    }
    // No version asked for: a compatibility context, as the fixed-function drawing needs.
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        error = "EGL could not create an OpenGL context.";
        Close();
        return false;
    }
    context_ = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        error = "The OpenGL context could not be made current.";
        Close();
        return false;
    }
    if (!BindFramebufferCalls(g_fb)) {
        error = "The OpenGL context has no framebuffer objects.";
        Close();
        return false;
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (width > largest || height > largest) {
        error = "The picture size exceeds the largest the OpenGL context draws (" + std::to_string(largest) +
                " pixels a side).";
        Close();
        return false;
    }
    GLuint framebuffer = 0, buffers[2] = {0, 0};
    g_fb.genFramebuffers(1, &framebuffer);
    g_fb.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    g_fb.genRenderbuffers(2, buffers);
    g_fb.bindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
    g_fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    g_fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    g_fb.bindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    g_fb.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    g_fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    framebuffer_ = framebuffer;
    colour_ = buffers[0];
    depth_ = buffers[1];
    if (g_fb.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        error = "The offscreen framebuffer is incomplete.";
        Close();
        return false;
    }
    width_ = width;
    height_ = height;
    glViewport(0, 0, width, height);
    return true;
}

void OffscreenContext::Close()
{
    EGLDisplay display = display_;
    if (context_) {
        if (framebuffer_) {
            g_fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
            g_fb.deleteFramebuffers(1, &framebuffer_);
            const GLuint buffers[2] = {colour_, depth_};
            g_fb.deleteRenderbuffers(2, buffers);
        }
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, static_cast<EGLContext>(context_));
    }
    if (display)
        eglTerminate(display);
    display_ = nullptr;
    context_ = nullptr;
    framebuffer_ = colour_ = depth_ = 0;
    width_ = height_ = 0;
}

std::string OffscreenContext::RendererName() const
{
    const GLubyte *name = context_ ? glGetString(GL_RENDERER) : nullptr;
    return name ? reinterpret_cast<const char *>(name) : "";
}

void OffscreenContext::ReadPixels(std::vector<uint8_t> &rgba) const
{
    const size_t row = static_cast<size_t>(width_) * 4;
    rgba.resize(row * static_cast<size_t>(height_));
    if (!context_)
        return;
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<uint8_t> bottomUp(rgba.size());
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL's rows run from the bottom; pictures from the top.
    for (int y = 0; y < height_; ++y)
        std::memcpy(rgba.data() + static_cast<size_t>(y) * row,
                    bottomUp.data() + static_cast<size_t>(height_ - 1 - y) * row, row);
}

}  // namespace gx
