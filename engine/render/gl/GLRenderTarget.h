#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/gl/GLFunctions.h"

// An offscreen picture: an RGBA8 colour texture (so it can be sampled at
// present) with an optional depth24/stencil8 renderbuffer, joined in one
// framebuffer object. Internal to engine/render/gl. Every call needs the
// owning context current and leaves the framebuffer binding to the caller,
// except Create, which restores what it disturbs.
class GLRenderTarget
{
public:
    // gl is a back pointer to the device's entry points, which outlive us.
    explicit GLRenderTarget(const GLFunctions& gl) : gl(gl) {}
    ~GLRenderTarget() { Release(); }

    GLRenderTarget(const GLRenderTarget&) = delete;
    GLRenderTarget& operator=(const GLRenderTarget&) = delete;

    // Replaces any previous storage. False with *why when the driver refuses
    // the size or the framebuffer is incomplete; the target is then empty.
    bool Create(int width, int height, bool withDepthStencil, std::string* why);

    void Release();

    bool IsValid() const { return framebuffer != 0; }
    int Width() const { return width; }
    int Height() const { return height; }
    GLuint Framebuffer() const { return framebuffer; }
    GLuint ColourTexture() const { return colour; }

    // Copies the colour picture as RGBA bytes, top row first. Binds our
    // framebuffer for reading; the caller restores bindings and pixel-store
    // state.
    void Read(std::vector<uint8_t>& rgba) const;

private:
    const GLFunctions& gl;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depthStencil = 0;   // 0 for a colour-only target
    int width = 0;
    int height = 0;
};
