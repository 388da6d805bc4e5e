#include "engine/render/gl/GLStateScope.h"

GLStateScope::GLStateScope(const GLFunctions& gl) : gl(gl)
{
    GLint depth = 0, limit = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
    glGetIntegerv(GL_MAX_ATTRIB_STACK_DEPTH, &limit);
    if (depth < limit)
    {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        pushedServer = true;
    }
    glGetIntegerv(GL_CLIENT_ATTRIB_STACK_DEPTH, &depth);
    glGetIntegerv(GL_MAX_CLIENT_ATTRIB_STACK_DEPTH, &limit);
    if (depth < limit)
    {
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        pushedClient = true;
    }

    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    if (gl.separateReadDraw)
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer);
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    gl.bindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);

    // Pixel transfers of our own pictures are tightly packed bytes.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

GLStateScope::~GLStateScope()
{
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    gl.bindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer));
    if (gl.separateReadDraw)
    {
        gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
        gl.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    }
    else
    {
        gl.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    }
    gl.useProgram(static_cast<GLuint>(program));
    if (pushedClient)
        glPopClientAttrib();
    if (pushedServer)
        glPopAttrib();
}

void GLStateScope::BindDrawFramebuffer(GLuint framebuffer) const
{
    gl.bindFramebuffer(gl.separateReadDraw ? GL_DRAW_FRAMEBUFFER : GL_FRAMEBUFFER, framebuffer);
}
