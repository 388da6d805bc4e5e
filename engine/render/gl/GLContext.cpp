#include "engine/render/gl/GLContext.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#include <EGL/eglext.h>
#include <X11/Xlib.h>
#include <poll.h>

namespace
{

// How many of our contexts use each initialised EGL display. EGL hands out
// one display per native display, so two devices share it.
std::mutex displayUsersLock;
std::map<EGLDisplay, int> displayUsers;

bool HasToken(const char* list, const char* name)
{
    if (!list || !name)
        return false;
    const size_t length = std::strlen(name);
    for (const char* at = list; (at = std::strstr(at, name)) != nullptr; at += length)
    {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

bool HasClientExtension(const char* name)
{
    // Null (with EGL_BAD_DISPLAY) on EGL without client extensions.
    const char* list = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!list)
        eglGetError();
    return HasToken(list, name);
}

EGLDisplay PlatformDisplay(EGLenum platform, void* native)
{
    if (!HasClientExtension("EGL_EXT_platform_base"))
        return EGL_NO_DISPLAY;
    auto get = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    return get ? get(platform, native, nullptr) : EGL_NO_DISPLAY;
}

// A bad window id must come back as a failure, not end the process through
// Xlib's default error handler. Device creation runs on the thread that owns
// the X connection, so swapping the handler briefly is safe.
std::atomic<bool> xErrorSeen{false};

int NoteXError(Display*, XErrorEvent*)
{
    xErrorSeen = true;
    return 0;
}

bool WindowVisual(Display* x, Window window, unsigned long& visualId)
{
    XSync(x, False);
    xErrorSeen = false;
    XErrorHandler previous = XSetErrorHandler(NoteXError);
    XWindowAttributes attributes{};
    const Status status = XGetWindowAttributes(x, window, &attributes);
    XSync(x, False);
    XSetErrorHandler(previous);
    if (status == 0 || xErrorSeen || !attributes.visual)
        return false;
    visualId = XVisualIDFromVisual(attributes.visual);
    return true;
}

// Whether the X server has hung up on the connection. The software present
// splits the picture by the connection's maximum request length, which
// reads as 0 once the transport has failed, and then never finishes; any
// reply it waited for earlier in the frame may have met that failure. Only
// the socket knows for sure, and a hang-up there is final.
bool ServerHungUp(Display* x)
{
    pollfd socket = {ConnectionNumber(x), POLLRDHUP, 0};
    return poll(&socket, 1, 0) > 0 && (socket.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace

std::unique_ptr<GLContext> GLContext::Create(void* x11Display, unsigned long window, std::string* why)
{
    std::unique_ptr<GLContext> result(new (std::nothrow) GLContext());
    if (!result)
    {
        if (why)
            *why = "недостаточно памяти";
        return nullptr;
    }
    result->headless = x11Display == nullptr;
    if (!result->headless && window == 0)
    {
        if (why)
            *why = "не задано окно для вывода";
        return nullptr;
    }
    if (!result->OpenDisplay(x11Display, why))
        return nullptr;
    if (!eglBindAPI(EGL_OPENGL_API))
    {
        if (why)
            *why = "EGL не поддерживает OpenGL (" + ErrorName(eglGetError()) + ")";
        return nullptr;
    }
    const bool configured = result->headless ? result->ChooseHeadlessConfig(why)
                                             : result->ChooseWindowConfig(x11Display, window, why);
    if (!configured || !result->CreateContext(why))
        return nullptr;

    if (!result->headless)
    {
        result->x11Display = x11Display;
        result->surface = eglCreateWindowSurface(result->display, result->config,
                                                 static_cast<EGLNativeWindowType>(window), nullptr);
        if (result->surface == EGL_NO_SURFACE)
        {
            if (why)
                *why = "не удалось создать поверхность окна (" + ErrorName(eglGetError()) + ")";
            return nullptr;
        }
    }
    else if (!result->HasDisplayExtension("EGL_KHR_surfaceless_context"))
    {
        const EGLint size[] = {EGL_WIDTH, 16, EGL_HEIGHT, 16, EGL_NONE};
        if (result->config)
            result->surface = eglCreatePbufferSurface(result->display, result->config, size);
        if (result->surface == EGL_NO_SURFACE)
        {
            if (why)
                *why = "нельзя создать ни контекст без поверхности, ни pbuffer (" + ErrorName(eglGetError()) + ")";
            return nullptr;
        }
    }

    if (!result->MakeCurrent())
    {
        if (why)
            *why = "не удалось сделать контекст текущим (" + ErrorName(result->lastError) + ")";
        return nullptr;
    }
    return result;
}

GLContext::~GLContext()
{
    if (display == EGL_NO_DISPLAY)
        return;
    if (eglGetCurrentContext() == context && context != EGL_NO_CONTEXT)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface != EGL_NO_SURFACE)
        eglDestroySurface(display, surface);
    if (context != EGL_NO_CONTEXT)
        eglDestroyContext(display, context);
    if (initialised)
    {
        std::lock_guard<std::mutex> guard(displayUsersLock);
        auto entry = displayUsers.find(display);
        if (entry != displayUsers.end() && --entry->second <= 0)
        {
            displayUsers.erase(entry);
            eglTerminate(display);
        }
    }
}

bool GLContext::MakeCurrent()
{
    if (eglGetCurrentContext() == context && eglGetCurrentDisplay() == display)
        return true;
    if (eglMakeCurrent(display, surface, surface, context))
        return true;
    lastError = eglGetError();
    return false;
}

void GLContext::ReleaseCurrent()
{
    if (eglGetCurrentContext() != EGL_NO_CONTEXT)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

bool GLContext::SwapBuffers()
{
    if (headless)
        return true;
    // Nothing can be shown on a display that went away: the frame is
    // dropped, and the window reports itself closed at the next input pass.
    if (ServerHungUp(static_cast<Display*>(x11Display)))
        return true;
    if (eglSwapBuffers(display, surface))
        return true;
    lastError = eglGetError();
    return false;
}

bool GLContext::SurfaceSize(int& width, int& height) const
{
    if (headless)
        return false;
    EGLint w = 0, h = 0;
    if (!eglQuerySurface(display, surface, EGL_WIDTH, &w) || !eglQuerySurface(display, surface, EGL_HEIGHT, &h))
    {
        eglGetError();
        return false;
    }
    width = w;
    height = h;
    return true;
}

std::string GLContext::ErrorName(int code)
{
    switch (code)
    {
    case EGL_SUCCESS: return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_CURRENT_SURFACE: return "EGL_BAD_CURRENT_SURFACE";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_NATIVE_PIXMAP: return "EGL_BAD_NATIVE_PIXMAP";
    case EGL_BAD_NATIVE_WINDOW: return "EGL_BAD_NATIVE_WINDOW";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    case EGL_CONTEXT_LOST: return "EGL_CONTEXT_LOST";
    default:
    {
        char text[32];
        std::snprintf(text, sizeof text, "EGL 0x%04X", static_cast<unsigned>(code));
        return text;
    }
    }
}

bool GLContext::OpenDisplay(void* x11Display, std::string* why)
{
    if (headless)
    {
        // The surfaceless platform needs no X server, which is what tests
        // and headless runs on a build machine have.
        if (HasClientExtension("EGL_MESA_platform_surfaceless"))
            display = PlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY);
        if (display == EGL_NO_DISPLAY)
            display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    }
    else
    {
        // eglGetDisplay would have to guess that the pointer is an X display.
        if (HasClientExtension("EGL_KHR_platform_x11") || HasClientExtension("EGL_EXT_platform_x11"))
            display = PlatformDisplay(EGL_PLATFORM_X11_KHR, x11Display);
        if (display == EGL_NO_DISPLAY)
            display = eglGetDisplay(static_cast<EGLNativeDisplayType>(x11Display));
    }
    if (display == EGL_NO_DISPLAY)
    {
        if (why)
            *why = "нет дисплея EGL (" + ErrorName(eglGetError()) + ")";
        return false;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor))
    {
        if (why)
            *why = "не удалось инициализировать EGL (" + ErrorName(eglGetError()) + ")";
        display = EGL_NO_DISPLAY;
        return false;
    }
    eglMajor = major;
    eglMinor = minor;
    std::lock_guard<std::mutex> guard(displayUsersLock);
    ++displayUsers[display];
    initialised = true;
    return true;
}

bool GLContext::ChooseWindowConfig(void* x11Display, unsigned long window, std::string* why)
{
    unsigned long visualId = 0;
    if (!WindowVisual(static_cast<Display*>(x11Display), static_cast<Window>(window), visualId))
    {
        if (why)
            *why = "окно " + std::to_string(window) + " недоступно";
        return false;
    }

    // Depth and stencil on the window are a courtesy (drawing happens in an
    // offscreen target), so a driver without them still gets a window.
    const EGLint full[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                           EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                           EGL_DEPTH_SIZE, 24, EGL_STENCIL_SIZE, 8, EGL_NONE};
    const EGLint bare[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                           EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_NONE};
    for (const EGLint* wanted : {full, bare})
    {
        EGLint count = 0;
        if (!eglChooseConfig(display, wanted, nullptr, 0, &count) || count <= 0)
            continue;
        std::vector<EGLConfig> configs(static_cast<size_t>(count));
        if (!eglChooseConfig(display, wanted, configs.data(), count, &count) || count <= 0)
            continue;
        configs.resize(static_cast<size_t>(count));

        // A config of another visual may be refused for this window
        // (EGL_BAD_MATCH), so the window's own visual wins; among those an
        // 8-bit alpha channel is preferred, as asked.
        EGLConfig best = nullptr;
        int bestScore = -1;
        for (EGLConfig candidate : configs)
        {
            EGLint visual = 0, alpha = 0;
            eglGetConfigAttrib(display, candidate, EGL_NATIVE_VISUAL_ID, &visual);
            eglGetConfigAttrib(display, candidate, EGL_ALPHA_SIZE, &alpha);
            const int score = (static_cast<unsigned long>(visual) == visualId ? 2 : 0) + (alpha == 8 ? 1 : 0);
            if (score > bestScore)
            {
                best = candidate;
                bestScore = score;
            }
        }
        config = best;
        return true;
    }
    if (why)
        *why = "нет подходящей конфигурации EGL для окна (RGB8, OpenGL)";
    return false;
}

bool GLContext::ChooseHeadlessConfig(std::string* why)
{
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                             EGL_NONE};
    EGLint count = 0;
    if (eglChooseConfig(display, wanted, &config, 1, &count) && count > 0)
        return true;
    config = nullptr;
    // Every picture lives in framebuffer objects, so a context needs no
    // config at all when it needs no surface.
    const bool configless =
        HasDisplayExtension("EGL_KHR_no_config_context") || HasDisplayExtension("EGL_MESA_configless_context");
    if (configless && HasDisplayExtension("EGL_KHR_surfaceless_context"))
        return true;
    if (why)
        *why = "нет конфигурации EGL для OpenGL без окна";
    return false;
}

bool GLContext::CreateContext(std::string* why)
{
    const bool versioned = eglMajor > 1 || eglMinor >= 5 || HasDisplayExtension("EGL_KHR_create_context");
    const bool robustExt = HasDisplayExtension("EGL_EXT_create_context_robustness");

    // A context that reports resets is how a lost device becomes visible;
    // drivers that cannot give one still get a plain context.
    const EGLint robustVersioned[] = {EGL_CONTEXT_MAJOR_VERSION_KHR, 2, EGL_CONTEXT_MINOR_VERSION_KHR, 1,
                                      EGL_CONTEXT_FLAGS_KHR, EGL_CONTEXT_OPENGL_ROBUST_ACCESS_BIT_KHR,
                                      EGL_CONTEXT_OPENGL_RESET_NOTIFICATION_STRATEGY_KHR,
                                      EGL_LOSE_CONTEXT_ON_RESET_KHR, EGL_NONE};
    const EGLint robustOld[] = {EGL_CONTEXT_OPENGL_ROBUST_ACCESS_EXT, EGL_TRUE,
                                EGL_CONTEXT_OPENGL_RESET_NOTIFICATION_STRATEGY_EXT, EGL_LOSE_CONTEXT_ON_RESET_EXT,
                                EGL_NONE};
    const EGLint plainVersioned[] = {EGL_CONTEXT_MAJOR_VERSION_KHR, 2, EGL_CONTEXT_MINOR_VERSION_KHR, 1, EGL_NONE};
    const EGLint plain[] = {EGL_NONE};

    std::vector<const EGLint*> attempts;
    if (versioned)
        attempts.push_back(robustVersioned);
    if (robustExt)
        attempts.push_back(robustOld);
    if (versioned)
        attempts.push_back(plainVersioned);
    attempts.push_back(plain);

    EGLint error = EGL_SUCCESS;
    for (const EGLint* attributes : attempts)
    {
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
        if (context != EGL_NO_CONTEXT)
            return true;
        error = eglGetError();
    }
    if (why)
        *why = "не удалось создать контекст OpenGL (" + ErrorName(error) + ")";
    return false;
}

bool GLContext::HasDisplayExtension(const char* name) const
{
    return HasToken(eglQueryString(display, EGL_EXTENSIONS), name);
}
