#pragma once
#include <set>
#include <string>

#include <GL/gl.h>
#include <GL/glext.h>

// The device's table of entry points beyond OpenGL 1.1 (GLEntryPoints.inl
// lists them), loaded once the context is current. The Linux OpenGL ABI only
// promises exported symbols up to 1.2, and the framebuffer calls have to be
// picked between the core and the EXT spellings at run time, so nothing
// newer is linked directly: every caller in engine/render/gl goes through
// its device's table. Internal to engine/render/gl.
class GLFunctions
{
public:
    // What the table asks for an entry point by name; eglGetProcAddress
    // unless a test hands in its own.
    using Proc = void (*)();
    using Resolver = Proc (*)(const char* name);

    // gl.h declares no pointer type for this OpenGL 1.3 call.
    using ClientActiveTextureProc = void(APIENTRYP)(GLenum texture);

    // Needs the context current (unless resolve answers without one).
    // versionMajor/Minor and extensions describe that context. False with
    // the first missing feature or required entry point, by its GL name, in
    // *why; optional entry points stay null when missing.
    bool Load(int versionMajor, int versionMinor, const std::set<std::string>& extensions, std::string* why,
              Resolver resolve = nullptr);

    // Whether every occlusion query call is there.
    bool HasQueries() const
    {
        return genQueries && deleteQueries && beginQuery && endQuery && getQueryObjectuiv && getQueryiv;
    }

    // Only the core / ARB framebuffer path has separate read and draw
    // bindings.
    bool separateReadDraw = false;

#define GL_ENTRY(type, member, name) type member = nullptr;
#define GL_FRAMEBUFFER_ENTRY(type, member, name, extName) type member = nullptr;
#define GL_OPTIONAL_ENTRY(type, member, name, alternate) type member = nullptr;
#define GL_ROBUSTNESS_ENTRY(type, member, arbName, name) type member = nullptr;
#include "engine/render/gl/GLEntryPoints.inl"
};
