#pragma once
#include <cstdint>
#include <string>

#include "engine/render/gl/GLFunctions.h"

// The last step of a frame: draws a picture stretched over the bound
// framebuffer's viewport and looks every channel up in the brightness ramp,
// the way a hardware gamma ramp would on the way to the monitor, but only on
// our picture, never on the user's display.
//
// Precision: the output is 8 bits per channel, so only the high byte of a
// 16-bit ramp entry can reach it. The ramp is therefore kept as an RGBA8
// texture of entry >> 8, which is also what an 8-bit display makes of a
// hardware ramp, and keeps the identity ramp (i * 256) exactly lossless.
//
// Internal to engine/render/gl; the owning context must be current.
class GLRampPass
{
public:
    // gl is a back pointer to the device's entry points, which outlive us.
    explicit GLRampPass(const GLFunctions& gl) : gl(gl) {}
    ~GLRampPass() { Release(); }

    GLRampPass(const GLRampPass&) = delete;
    GLRampPass& operator=(const GLRampPass&) = delete;

    // Compiles the program and makes the identity ramp texture. False with
    // *why (the compiler's message included) on failure.
    bool Create(std::string* why);

    void Release();

    // Kept until the next Draw, which uploads it; a ramp set many times
    // between frames costs one upload.
    void SetRamp(const uint16_t red[256], const uint16_t green[256], const uint16_t blue[256]);

    // Draws `picture` (a 2D texture of pictureWidth x pictureHeight) over
    // the whole of x, y, width, height of the bound draw framebuffer; alpha
    // comes out 1 (a display has none). Changes state freely: the caller
    // holds a GLStateScope, which gives the renderer its state back.
    void Draw(GLuint picture, int pictureWidth, int pictureHeight, int x, int y, int width, int height);

private:
    const GLFunctions& gl;
    GLuint program = 0;
    GLuint rampTexture = 0;
    uint8_t ramp[256 * 4] = {};   // high bytes as RGBA texels, waiting for upload
    bool rampDirty = false;
};
