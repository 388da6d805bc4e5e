#pragma once
#include <cstdint>
#include <map>
#include <memory>

#include "engine/core/Matrix4.h"
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

    // Fixed-function drawing with client-side vertex arrays: the buffers are
    // read from memory at each draw, so they need no device copy and no
    // upload when they change.
    int32_t BeginPass(Pass* pass) override;
    int32_t ApplyStateBlock(RenderStateBlock* state) override;
    int32_t SetTexture(uint32_t stage, BaseTexture* texture) override;
    int32_t SetPositionStream(Buffer* buffer) override;
    int32_t SetNormalStream(Buffer* buffer) override;
    int32_t SetColorStream(Buffer* buffer) override;
    int32_t SetTexCoordStream(uint32_t index, Buffer* buffer) override;
    int32_t SetIndexBuffer(IntBuffer* buffer) override;
    int32_t DrawIndexed() override;
    int32_t SetWorldMatrix(const Matrix4& matrix) override;
    int32_t SetViewMatrix(const Matrix4& matrix) override;
    int32_t SetProjectionMatrix(const Matrix4& matrix) override;
    int32_t EnableLight(Light* light) override;
    int32_t DisableLight() override;

    // The device, for the render module's own code and its tests; null
    // before Initialize.
    GLDevice* GetDevice() const { return device.get(); }

private:
    // One bound vertex stream: plain pointers, valid for the draw of the
    // pass that bound them (the geometry holds the buffers).
    struct Stream
    {
        const void* data = nullptr;
        uint32_t count = 0;      // elements
        int32_t components = 0;  // floats per element
    };
    static Stream DescribeStream(Buffer* buffer);

    // The model-view from the world and view matrices, loaded into GL.
    void LoadModelView();
    // The sampler state of stage 0 from the last state block, put on the
    // texture bound to stage 0.
    void ApplySamplerState();
    // Deletes every texture copy; needs the context.
    void ReleaseTextures();
    // Device state the renderer expects at the start of every scene.
    void ResetSceneState();

    std::unique_ptr<GLDevice> device;
    int32_t brightness = 0;

    Matrix4 world;
    Matrix4 view;

    Stream position;
    Stream normal;
    Stream colour;
    static constexpr uint32_t kTexCoordSets = 8;
    Stream texCoord[kTexCoordSets];
    IntBuffer* indices = nullptr; // plain, as the streams

    // Stage 0 sampler state of the last applied state block.
    int32_t minFilter = 5;
    int32_t magFilter = 1;
    int32_t addressU = 1;
    int32_t addressV = 1;
    float borderColour[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    bool textureBound = false;
    // Culling and depth of the last state block, kept so the renderer's
    // overrides are applied at each draw rather than baked into the pass.
    bool cullEnabled = true;
    int32_t cullOrder = 1;
    int32_t depthFunction = 2;

    // Texture copies by the token kept in the texture's handle slot. A
    // token is never reused, so a texture whose copy went with a Shutdown
    // (or a token of another renderer) is simply made again.
    std::map<uintptr_t, unsigned int> textures;
    uintptr_t nextTextureToken = 1;
};

// Post-initialisation: registers the built-in "OpenGL" renderer module.
int32_t RegisterOpenGLModule();
