#pragma once
#include <string>

#include <EGL/egl.h>
#include <EGL/eglext.h>

// Whether this machine gives a desktop OpenGL context without any window
// system (EGL surfaceless). Only then is a device that fails to come up a
// fault of ours; otherwise GL tests skip with the reason.
inline bool HeadlessOpenGL(std::string& why)
{
    static int known = -1;
    static std::string reason;
    if (known < 0)
    {
        known = 0;
        EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        EGLint major = 0, minor = 0;
        if (display == EGL_NO_DISPLAY)
            reason = "no surfaceless EGL platform";
        else if (!eglInitialize(display, &major, &minor))
            reason = "surfaceless EGL does not initialise";
        else
        {
            // "OpenGL OpenGL_ES": whole words, the second is no desktop GL.
            const char* apis = eglQueryString(display, EGL_CLIENT_APIS);
            const std::string list = std::string(" ") + (apis ? apis : "") + " ";
            if (list.find(" OpenGL ") == std::string::npos)
                reason = "surfaceless EGL offers no desktop OpenGL";
            else
                known = 1;
            eglTerminate(display);
        }
    }
    why = reason;
    return known == 1;
}
