#include "engine/render/gl/GLFunctions.h"

#include <EGL/egl.h>

namespace
{

GLFunctions::Proc AskEgl(const char* name)
{
    return eglGetProcAddress(name);
}

// Looks the name up and stores it in `slot`; false when the driver has no
// such entry point.
template <typename Function>
bool Fetch(Function& slot, const char* name, GLFunctions::Resolver resolve)
{
    slot = reinterpret_cast<Function>(resolve(name));
    return slot != nullptr;
}

bool AtLeast(int major, int minor, int wantMajor, int wantMinor)
{
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

} // namespace

bool GLFunctions::Load(int versionMajor, int versionMinor, const std::set<std::string>& extensions, std::string* why,
                       Resolver resolve)
{
    auto has = [&extensions](const char* name) { return extensions.count(name) != 0; };
    if (!resolve)
        resolve = &AskEgl;

    if (!AtLeast(versionMajor, versionMinor, 2, 1))
    {
        if (why)
            *why = "нужен OpenGL 2.1, драйвер даёт " + std::to_string(versionMajor) + "." + std::to_string(versionMinor);
        return false;
    }

    // The EXT framebuffer calls share the signatures of the core ones; only
    // their names and the lack of separate read/draw targets differ.
    if (AtLeast(versionMajor, versionMinor, 3, 0) || has("GL_ARB_framebuffer_object"))
        separateReadDraw = true;
    else if (has("GL_EXT_framebuffer_object") && has("GL_EXT_packed_depth_stencil"))
        separateReadDraw = false;
    else
    {
        if (why)
            *why = "драйвер не поддерживает объекты кадрового буфера с упакованным буфером глубины и трафарета";
        return false;
    }

    // eglGetProcAddress hands out stubs for names the driver lacks, so for
    // robustness the extension list decides, not a null pointer.
    const bool arbReset = has("GL_ARB_robustness");
    const bool coreReset = !arbReset && (has("GL_KHR_robustness") || AtLeast(versionMajor, versionMinor, 4, 5));

    // The first required entry point missing is the one reported.
    const char* missing = nullptr;
#define GL_ENTRY(type, member, name)                                                                                 \
    if (!missing && !Fetch(member, name, resolve))                                                                   \
        missing = name;
#define GL_FRAMEBUFFER_ENTRY(type, member, name, extName)                                                            \
    if (!missing && !Fetch(member, separateReadDraw ? name : extName, resolve))                                      \
        missing = separateReadDraw ? name : extName;
#define GL_OPTIONAL_ENTRY(type, member, name, alternate)                                                             \
    if (!Fetch(member, name, resolve))                                                                               \
        Fetch(member, alternate, resolve);
#define GL_ROBUSTNESS_ENTRY(type, member, arbName, name)                                                             \
    member = nullptr;                                                                                                \
    if (arbReset || coreReset)                                                                                       \
        Fetch(member, arbReset ? arbName : name, resolve);
#include "engine/render/gl/GLEntryPoints.inl"

    if (missing)
    {
        if (why)
            *why = std::string("нет функции OpenGL ") + missing;
        return false;
    }
    return true;
}
