#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Matrix4.h"
#include "engine/render/Renderer.h"

class GLDevice;
class GLQueryTable;
class GLShaderCache;
class GLTextureCache;
namespace platform { class Window; }

// The renderer on OpenGL 2.1 through EGL: on the render window when there is
// a display, offscreen otherwise. Frames are drawn into a target of the
// mode's size and scaled to the window at present.
class GLRenderer : public Renderer
{
public:
    GLRenderer();
    ~GLRenderer() override;

    // The X window of the show: its own, a child of parentWindow, or
    // parentWindow itself; the device draws into it.
    int32_t OpenDeviceWindow(const DisplayMode& mode, const String& title, unsigned long parentWindow, int32_t x,
                             int32_t y, int32_t width, int32_t height) override;
    void CloseDeviceWindow() override;
    void SetCursorVisible(bool visible) override;

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
    // upload when they change. (GLRendererDraw.cpp)
    int32_t BeginPass(Pass* pass) override;
    int32_t ApplyStateBlock(RenderStateBlock* state) override;
    int32_t SetPositionStream(Buffer* buffer) override;
    int32_t SetNormalStream(Buffer* buffer) override;
    int32_t SetColorStream(Buffer* buffer) override;
    int32_t SetTexCoordStream(uint32_t index, Buffer* buffer) override;
    int32_t SetPointSizeStream(Buffer* buffer) override;
    int32_t SetBlendWeightStream(Buffer* buffer) override;
    int32_t SetBlendIndexStream(Buffer* buffer) override;
    int32_t SetIndexBuffer(IntBuffer* buffer) override;
    int32_t DrawIndexed() override;
    int32_t DrawIndexedStreams(Buffer* position, Buffer* texCoord, IntBuffer* indices, Buffer* extraA,
                               Buffer* extraB) override;
    int32_t Draw(int32_t primitiveCount) override;
    int32_t SetWorldMatrix(const Matrix4& matrix) override;
    int32_t SetViewMatrix(const Matrix4& matrix) override;
    int32_t SetProjectionMatrix(const Matrix4& matrix) override;
    int32_t SetTextureMatrix(uint32_t stage, const Matrix4& matrix) override;
    int32_t EnableLight(Light* light) override;
    int32_t DisableLight() override;

    // Textures and render targets. (GLRendererTextures.cpp)
    int32_t SetTexture(uint32_t stage, BaseTexture* texture) override;
    void ReleaseTexture(BaseTexture* texture) override;
    int32_t SetRenderTarget(Texture* texture) override;
    int32_t SetCubeRenderTarget(uint32_t face, CubeTexture* texture) override;
    int32_t SetDepthRenderTarget(Texture* texture, float depthBias, float slopeBias) override;
    int32_t SetViewport(const Vector2& position, const Vector2& size) override;

    // Shader programs. (GLRendererShaders.cpp)
    int32_t SetVertexShader(Shader* shader) override;
    int32_t SetVertexShaderConstants(uint32_t start, const float* data, uint32_t count) override;
    int32_t SetPixelShader(Shader* shader) override;
    int32_t SetPixelShaderConstants(uint32_t start, const float* data, uint32_t count) override;
    void ReleaseShader(Shader* shader) override;

    // Queries and the screen copy. (GLRendererQueries.cpp)
    int32_t BeginQuery(OcclusionQuery* query) override;
    int32_t EndQuery(OcclusionQuery* query) override;
    void ReleaseQuery(OcclusionQuery* query) override;
    int32_t CaptureScreen(Image** image) override;

    // The device, for the render module's own code and its tests; null
    // before Initialize.
    GLDevice* GetDevice() const { return device.get(); }

    // Texture stages as the capabilities give them, never past eight: those
    // with fixed-function state, and those a texture may be bound to at all
    // (programs may sample beyond the fixed-function ones). No stage past
    // these is touched. (GLRendererTextures.cpp)
    uint32_t FixedStages() const;
    uint32_t TextureStages() const;

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
    // The same, empty unless the elements have exactly that many floats.
    static Stream DescribeStream(Buffer* buffer, int32_t components);

    // Sampler state of one stage from the last applied state block, put on
    // the texture bound to that stage.
    struct StageSampler
    {
        TextureFilter minFilter = TextureFilter::LinearMipLinear;
        TextureFilter magFilter = TextureFilter::Linear;
        AddressMode addressU = AddressMode::Wrap;
        AddressMode addressV = AddressMode::Wrap;
        AddressMode addressW = AddressMode::Wrap;
        float borderColour[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    };

    // Every device object goes: with the context still usable they are
    // deleted, otherwise (loss) only forgotten. Either way each owner's
    // handle is cleared so its next use makes a new copy.
    void ReleaseDeviceObjects(bool contextUsable);

    // The capability fields and their log lines, once the device exists.
    // (GLRendererQueries.cpp)
    void DetectCapabilities();

    // (GLRendererDraw.cpp)
    void LoadModelView();
    void ResetSceneState();

    // (GLRendererTextures.cpp) the sampler state of a stage applied to the
    // texture bound there; the texture and target tables emptied.
    void ApplySamplerState(uint32_t stage);
    void ReleaseTextures(bool contextUsable);
    bool IsRenderTargetTexture(const BaseTexture* texture) const;

    // (GLRendererShaders.cpp) When a vertex program is bound: feeds the
    // bound streams to its inputs and returns true; false for fixed
    // function. FinishShaderDraw undoes what Prepare enabled.
    bool PrepareShaderDraw();
    int32_t BindShader(Shader* shader, bool pixelSlot);
    void FinishShaderDraw();
    void ReleaseShaders(bool contextUsable);

    // (GLRendererQueries.cpp)
    void ReleaseQueries(bool contextUsable);

    std::unique_ptr<platform::Window> window;  // null when headless; outlives the device drawing into it
    std::unique_ptr<GLDevice> device;
    int32_t brightness = 0;

    // draw state (GLRendererDraw.cpp) -------------------------------------
    Stream position;
    Stream normal;
    Stream colour;
    static constexpr uint32_t kTexCoordSets = 8;
    Stream texCoord[kTexCoordSets];
    Stream pointSize;
    Stream blendWeight;
    Stream blendIndex;
    IntBuffer* indices = nullptr; // plain, as the streams
    // Culling and depth of the last state block, kept so the renderer's
    // overrides are applied at each draw rather than baked into the pass.
    bool cullEnabled = true;
    CullOrder cullOrder = CullOrder::CounterClockwise;
    CompareFunction depthFunction = CompareFunction::LessEqual;
    StageSampler samplers[8];
    // Coordinate generation of each stage from the last state block; the
    // texture matrix GL needs depends on it and on the stage's stream.
    TexCoordGeneration texCoordGeneration[8] = {};
    // Which variant of textureTransform[stage] is in GL_TEXTURE of that
    // unit; kTextureMatrixStale makes the next draw load it again.
    static constexpr uint8_t kTextureMatrixStale = 0xFF;
    uint8_t textureMatrixForm[8] = {kTextureMatrixStale, kTextureMatrixStale, kTextureMatrixStale,
                                    kTextureMatrixStale, kTextureMatrixStale, kTextureMatrixStale,
                                    kTextureMatrixStale, kTextureMatrixStale};
    bool pointSpritesOn = false;
    // Colour stream packed to 4 bytes per vertex for devices without float
    // colours; kept across draws so it is allocated once.
    std::unique_ptr<uint8_t[]> packedColours;
    uint32_t packedCapacity = 0; // vertices

    // (GLRendererDraw.cpp) the smallest count among the bound streams: no
    // draw may reach a vertex past it.
    uint32_t UsableVertexCount() const;
    // One draw of the bound streams with the renderer's overrides; list
    // null draws elements vertices in order.
    void IssueDraw(PrimitiveType type, uint32_t elements, const int32_t* list);
    bool BindFixedFunctionArrays(uint32_t vertexCount);
    void UnbindFixedFunctionArrays();
    void SyncTextureMatrices();
    void LoadTextureMatrix(uint32_t stage, uint8_t form);
    uint8_t TextureMatrixForm(uint32_t stage) const;
    // Whether drawing goes into a texture, which GL's bottom-up rows flip.
    bool ProjectionFlipsY() const;

    // component state, each kept by the file that uses it ------------------
    std::unique_ptr<GLTextureCache> textureCache;
    std::unique_ptr<GLShaderCache> shaderCache;
    std::unique_ptr<GLQueryTable> queryTable;
};

// Post-initialisation: registers the built-in "OpenGL" renderer module.
int32_t RegisterOpenGLModule();
