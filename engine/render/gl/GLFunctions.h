#pragma once
#include <set>
#include <string>

#include <GL/gl.h>
#include <GL/glext.h>

// Entry points beyond OpenGL 1.1 that the device calls, fetched through
// eglGetProcAddress once the context is current. The Linux OpenGL ABI only
// promises exported symbols up to 1.2, and the framebuffer calls have to be
// picked between the core and the EXT spellings at run time, so nothing
// newer is linked directly. Internal to engine/render/gl.
class GLFunctions
{
public:
    // Needs the context current. versionMajor/Minor and extensions describe
    // that context; false with the missing feature in *why.
    bool Load(int versionMajor, int versionMinor, const std::set<std::string>& extensions, std::string* why);

    // Framebuffer objects: core / ARB names, or the EXT names on old drivers.
    // Only the core path has separate read and draw bindings.
    bool separateReadDraw = false;
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;

    // OpenGL 1.3 to 2.0: texture units, buffer bindings, GLSL programs.
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLCREATESHADERPROC createShader = nullptr;
    PFNGLSHADERSOURCEPROC shaderSource = nullptr;
    PFNGLCOMPILESHADERPROC compileShader = nullptr;
    PFNGLGETSHADERIVPROC getShaderiv = nullptr;
    PFNGLGETSHADERINFOLOGPROC getShaderInfoLog = nullptr;
    PFNGLDELETESHADERPROC deleteShader = nullptr;
    PFNGLCREATEPROGRAMPROC createProgram = nullptr;
    PFNGLATTACHSHADERPROC attachShader = nullptr;
    PFNGLLINKPROGRAMPROC linkProgram = nullptr;
    PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
    PFNGLGETPROGRAMINFOLOGPROC getProgramInfoLog = nullptr;
    PFNGLDELETEPROGRAMPROC deleteProgram = nullptr;
    PFNGLUSEPROGRAMPROC useProgram = nullptr;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation = nullptr;
    PFNGLUNIFORM1IPROC uniform1i = nullptr;

    // Null unless the context offers ARB/KHR robustness; the answer only
    // means something in a context created with reset notification.
    PFNGLGETGRAPHICSRESETSTATUSPROC getGraphicsResetStatus = nullptr;
};
