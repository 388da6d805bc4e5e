#pragma once
#include <cstdint>

#include "engine/core/Controller.h"

// Turns the height image of its texture (format 2, one byte per texel)
// into a tangent-space normal map once, on the CPU, so normal-mapped
// materials can ship plain height maps.
class NormalmapTextureController : public Controller
{
    QRE_DECLARE_CLASS

public:
    explicit NormalmapTextureController(const String& name = String()) : Controller(name) {}

    // While active and not done: a Texture target whose image has 8-bit
    // heights gets RGB (or RGBA with the height in alpha) normals, is
    // marked changed, and the controller is done. Another image format only
    // marks the texture changed and waits for a later update (the image may
    // still be arriving); a target that is no Texture ends the work
    // untouched. 0, or 2 (logged) when the new pixels cannot be had.
    int32_t Update(double time) override;

    float GetBumpScale() const { return bumpScale; }
    void SetBumpScale(float value) { bumpScale = value; }
    bool GetHeightInAlpha() const { return heightInAlpha; }
    void SetHeightInAlpha(bool value) { heightInAlpha = value; }
    bool IsDone() const { return done; }

    // streaming: bumpScale, heightInAlpha
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    float bumpScale = 1.0f;
    bool heightInAlpha = false;
    bool done = false;
};
