#pragma once
#include <memory>
#include <string>

#include <EGL/egl.h>

// The EGL side of the device: display connection, context and surface.
// Either a window surface on an X window, or no window system at all
// (surfaceless platform, with a tiny pbuffer only when the driver cannot
// make a context current without a surface). Internal to engine/render/gl;
// the context is used on the thread that created it.
class GLContext
{
public:
    // x11Display is a Display* or null for headless; window is the X window
    // id to draw into (ignored headless). The display must outlive the
    // context. On success the context is current. Null with *why on failure.
    static std::unique_ptr<GLContext> Create(void* x11Display, unsigned long window, std::string* why);

    // Destroys the context and surface; terminates the EGL display when no
    // other context of ours still uses it (EGL displays are shared per
    // native display, and terminating one would pull the rug from under a
    // second device).
    ~GLContext();

    GLContext(const GLContext&) = delete;
    GLContext& operator=(const GLContext&) = delete;

    // Cheap when already current. False with LastError() set when EGL
    // refuses, EGL_CONTEXT_LOST among the reasons.
    bool MakeCurrent();

    // Leaves the thread with no current context, so that GL calls made
    // while ours cannot be made current reach nobody else's objects.
    void ReleaseCurrent();

    // Window only; headless it does nothing and succeeds, and so it does
    // once the X server has hung up.
    bool SwapBuffers();

    // Size of the window surface as EGL sees it; false headless.
    bool SurfaceSize(int& width, int& height) const;

    bool IsHeadless() const { return headless; }

    // The EGL error code of the last failed call above (EGL_SUCCESS if none).
    int LastError() const { return lastError; }

    // "EGL_BAD_MATCH" and the like, for log lines.
    static std::string ErrorName(int code);

private:
    GLContext() = default;

    bool OpenDisplay(void* x11Display, std::string* why);
    bool ChooseWindowConfig(void* x11Display, unsigned long window, std::string* why);
    bool ChooseHeadlessConfig(std::string* why);
    bool CreateContext(std::string* why);
    bool HasDisplayExtension(const char* name) const;

    EGLDisplay display = EGL_NO_DISPLAY;
    bool initialised = false;            // counted in the shared-display table
    int eglMajor = 1;                    // version the display reported
    int eglMinor = 0;
    EGLConfig config = nullptr;          // null with a config-less context
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE; // none when surfaceless headless
    void* x11Display = nullptr;          // the window surface's Display*, asked before each present
    bool headless = true;
    int lastError = EGL_SUCCESS;
};
