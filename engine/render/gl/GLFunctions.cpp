#include "engine/render/gl/GLFunctions.h"

#include <EGL/egl.h>

namespace
{

// Looks the name up and stores it in `slot`; false (and the name in *why)
// when the driver has no such entry point.
template <typename Function>
bool Fetch(Function& slot, const char* name, std::string* why)
{
    slot = reinterpret_cast<Function>(eglGetProcAddress(name));
    if (slot)
        return true;
    if (why)
        *why = std::string("нет функции OpenGL ") + name;
    return false;
}

bool AtLeast(int major, int minor, int wantMajor, int wantMinor)
{
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

} // namespace

bool GLFunctions::Load(int versionMajor, int versionMinor, const std::set<std::string>& extensions, std::string* why)
{
    auto has = [&extensions](const char* name) { return extensions.count(name) != 0; };

    if (!AtLeast(versionMajor, versionMinor, 2, 1))
    {
        if (why)
            *why = "нужен OpenGL 2.1, драйвер даёт " + std::to_string(versionMajor) + "." + std::to_string(versionMinor);
        return false;
    }

    // The EXT calls share the signatures of the core ones; only their names
    // and the lack of separate read/draw targets differ.
    bool ok = true;
    if (AtLeast(versionMajor, versionMinor, 3, 0) || has("GL_ARB_framebuffer_object"))
    {
        separateReadDraw = true;
        ok = Fetch(genFramebuffers, "glGenFramebuffers", why) && Fetch(deleteFramebuffers, "glDeleteFramebuffers", why) &&
             Fetch(bindFramebuffer, "glBindFramebuffer", why) &&
             Fetch(framebufferTexture2D, "glFramebufferTexture2D", why) &&
             Fetch(framebufferRenderbuffer, "glFramebufferRenderbuffer", why) &&
             Fetch(checkFramebufferStatus, "glCheckFramebufferStatus", why) &&
             Fetch(genRenderbuffers, "glGenRenderbuffers", why) &&
             Fetch(deleteRenderbuffers, "glDeleteRenderbuffers", why) &&
             Fetch(bindRenderbuffer, "glBindRenderbuffer", why) &&
             Fetch(renderbufferStorage, "glRenderbufferStorage", why);
    }
    else if (has("GL_EXT_framebuffer_object") && has("GL_EXT_packed_depth_stencil"))
    {
        separateReadDraw = false;
        ok = Fetch(genFramebuffers, "glGenFramebuffersEXT", why) &&
             Fetch(deleteFramebuffers, "glDeleteFramebuffersEXT", why) &&
             Fetch(bindFramebuffer, "glBindFramebufferEXT", why) &&
             Fetch(framebufferTexture2D, "glFramebufferTexture2DEXT", why) &&
             Fetch(framebufferRenderbuffer, "glFramebufferRenderbufferEXT", why) &&
             Fetch(checkFramebufferStatus, "glCheckFramebufferStatusEXT", why) &&
             Fetch(genRenderbuffers, "glGenRenderbuffersEXT", why) &&
             Fetch(deleteRenderbuffers, "glDeleteRenderbuffersEXT", why) &&
             Fetch(bindRenderbuffer, "glBindRenderbufferEXT", why) &&
             Fetch(renderbufferStorage, "glRenderbufferStorageEXT", why);
    }
    else
    {
        if (why)
            *why = "драйвер не поддерживает объекты кадрового буфера с упакованным буфером глубины и трафарета";
        return false;
    }
    if (!ok)
        return false;

    ok = Fetch(activeTexture, "glActiveTexture", why) && Fetch(bindBuffer, "glBindBuffer", why) &&
         Fetch(createShader, "glCreateShader", why) && Fetch(shaderSource, "glShaderSource", why) &&
         Fetch(compileShader, "glCompileShader", why) && Fetch(getShaderiv, "glGetShaderiv", why) &&
         Fetch(getShaderInfoLog, "glGetShaderInfoLog", why) && Fetch(deleteShader, "glDeleteShader", why) &&
         Fetch(createProgram, "glCreateProgram", why) && Fetch(attachShader, "glAttachShader", why) &&
         Fetch(linkProgram, "glLinkProgram", why) && Fetch(getProgramiv, "glGetProgramiv", why) &&
         Fetch(getProgramInfoLog, "glGetProgramInfoLog", why) && Fetch(deleteProgram, "glDeleteProgram", why) &&
         Fetch(useProgram, "glUseProgram", why) && Fetch(getUniformLocation, "glGetUniformLocation", why) &&
         Fetch(uniform1i, "glUniform1i", why);
    if (!ok)
        return false;

    // eglGetProcAddress hands out stubs for names the driver lacks, so the
    // extension list decides, not a null pointer.
    getGraphicsResetStatus = nullptr;
    if (has("GL_ARB_robustness"))
        Fetch(getGraphicsResetStatus, "glGetGraphicsResetStatusARB", nullptr);
    else if (has("GL_KHR_robustness") || AtLeast(versionMajor, versionMinor, 4, 5))
        Fetch(getGraphicsResetStatus, "glGetGraphicsResetStatus", nullptr);
    return true;
}
