#pragma once
#include <memory>

#include "engine/render/Renderer.h"

class GLDevice;

// The renderer on OpenGL 2.1 through EGL: on the render window when there is
// a display, offscreen otherwise. Frames are drawn into a target of the
// mode's size and scaled to the window at present.
class GLRenderer : public Renderer
{
public:
    GLRenderer();
    ~GLRenderer() override;

    int32_t Initialize(int32_t modeIndex, const String& title, unsigned long parentWindow,
                       int32_t x, int32_t y, int32_t width, int32_t height) override;
    int32_t Shutdown() override;
    int32_t Clear(uint32_t flags, const Vector4& colour, float depth, uint32_t stencil) override;
    int32_t BeginScene() override;
    int32_t EndScene() override;
    int32_t GetWidth() override;
    int32_t GetHeight() override;
    int32_t SetBrightness(int32_t level) override;

    // The device, for the render module's own code and its tests; null
    // before Initialize.
    GLDevice* GetDevice() const { return device.get(); }

private:
    std::unique_ptr<GLDevice> device;
    int32_t brightness = 0;
};

// Post-initialisation: registers the built-in "OpenGL" renderer module.
int32_t RegisterOpenGLModule();
