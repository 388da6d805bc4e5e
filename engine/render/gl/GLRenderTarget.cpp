#include "engine/render/gl/GLRenderTarget.h"

#include <cstdio>
#include <cstring>

bool GLRenderTarget::Create(int newWidth, int newHeight, bool withDepthStencil, std::string* why)
{
    Release();
    GLint maxTexture = 0, maxRenderbuffer = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    const GLint limit = withDepthStencil && maxRenderbuffer < maxTexture ? maxRenderbuffer : maxTexture;
    if (newWidth <= 0 || newHeight <= 0 || newWidth > limit || newHeight > limit)
    {
        if (why)
            *why = "размер " + std::to_string(newWidth) + "x" + std::to_string(newHeight) +
                   " вне допустимого (1.." + std::to_string(limit) + ")";
        return false;
    }

    // Creating storage goes through bindings the renderer may be using, and a
    // bound unpack buffer would turn the null pixel pointer into an offset.
    GLint oldTexture = 0, oldRenderbuffer = 0, oldUnpack = 0, oldDraw = 0, oldRead = 0, oldUnit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &oldUnit);
    gl.activeTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTexture);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &oldRenderbuffer);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &oldUnpack);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &oldDraw);
    if (gl.separateReadDraw)
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &oldRead);
    gl.bindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);

    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, newWidth, newHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);

    if (withDepthStencil)
    {
        gl.genRenderbuffers(1, &depthStencil);
        gl.bindRenderbuffer(GL_RENDERBUFFER, depthStencil);
        gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, newWidth, newHeight);
    }

    gl.genFramebuffers(1, &framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    if (withDepthStencil)
    {
        // Two attachment points rather than DEPTH_STENCIL_ATTACHMENT, which
        // the EXT framebuffer path does not know.
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthStencil);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencil);
    }
    const GLenum status = gl.checkFramebufferStatus(GL_FRAMEBUFFER);

    if (gl.separateReadDraw)
    {
        gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(oldDraw));
        gl.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(oldRead));
    }
    else
    {
        gl.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(oldDraw));
    }
    gl.bindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(oldUnpack));
    gl.bindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(oldRenderbuffer));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTexture));
    gl.activeTexture(static_cast<GLenum>(oldUnit));

    if (status != GL_FRAMEBUFFER_COMPLETE)
    {
        if (why)
        {
            char text[96];
            std::snprintf(text, sizeof text, "кадровый буфер %dx%d неполон (0x%04X)", newWidth, newHeight, status);
            *why = text;
        }
        Release();
        return false;
    }
    width = newWidth;
    height = newHeight;
    return true;
}

void GLRenderTarget::Release()
{
    if (framebuffer)
        gl.deleteFramebuffers(1, &framebuffer);
    if (depthStencil)
        gl.deleteRenderbuffers(1, &depthStencil);
    if (colour)
        glDeleteTextures(1, &colour);
    framebuffer = colour = depthStencil = 0;
    width = height = 0;
}

void GLRenderTarget::Read(std::vector<uint8_t>& rgba) const
{
    const size_t row = static_cast<size_t>(width) * 4;
    rgba.resize(row * static_cast<size_t>(height));
    if (rgba.empty())
        return;
    gl.bindFramebuffer(gl.separateReadDraw ? GL_READ_FRAMEBUFFER : GL_FRAMEBUFFER, framebuffer);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());

    // GL rows run bottom-up; pictures leave the device top row first.
    std::vector<uint8_t> swap(row);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    {
        uint8_t* a = rgba.data() + row * static_cast<size_t>(top);
        uint8_t* b = rgba.data() + row * static_cast<size_t>(bottom);
        std::memcpy(swap.data(), a, row);
        std::memcpy(a, b, row);
        std::memcpy(b, swap.data(), row);
    }
}
