#pragma once
#include "engine/render/gl/GLFunctions.h"

// Keeps the device's own work (clear, present, read-back) invisible to the
// renderer: on construction saves every server and client attribute group,
// the program, the framebuffer bindings and the pixel buffer bindings, and
// unbinds the pixel buffers so that plain memory is read and written; the
// destructor puts everything back. Internal to engine/render/gl; lives on
// the stack inside one device call with the context current.
class GLStateScope
{
public:
    // gl is a back pointer to the device's entry points, which outlive us.
    explicit GLStateScope(const GLFunctions& gl);
    ~GLStateScope();

    GLStateScope(const GLStateScope&) = delete;
    GLStateScope& operator=(const GLStateScope&) = delete;

    // Binds one framebuffer for drawing (and reading, on the EXT path where
    // the two are one binding).
    void BindDrawFramebuffer(GLuint framebuffer) const;

private:
    const GLFunctions& gl;
    bool pushedServer = false;   // a full attribute stack is left alone
    bool pushedClient = false;
    GLint program = 0;
    GLint drawFramebuffer = 0;
    GLint readFramebuffer = 0;
    GLint packBuffer = 0;
    GLint unpackBuffer = 0;
};
