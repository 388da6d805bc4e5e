#pragma once
// Device conventions. The engine and its content are written for one set of
// device conventions, and a backend reproduces them whatever its own are:
// - Vectors are rows: a point p becomes p x M, translations sit in row 3,
//   and world x view x projection applies the world first.
// - Clip-space depth runs 0..w (0..1 after the divide); GL's -w..w is
//   reached by remapping the projection (z' = 2z - w).
// - Faces the viewer sees clockwise are the front ones: the default cull
//   order removes those seen counter-clockwise.
// - Pixels are sampled at their centres, half-integer window coordinates,
//   and texel i of n is centred at (i + 0.5) / n; nothing shifts by half a
//   pixel, so a quad over the viewport with coordinates 0..1 puts each texel
//   of a viewport-sized texture on one pixel.
// - Rows run top-down: an image's first row is v = 0 and the top of the
//   picture, in textures, in render targets and in screen captures (a
//   backend whose rows run bottom-up draws into targets upside down).
// - Point sizes are in pixels. Fixed-function points are one pixel; point
//   sprites are 0.1 x viewport height / camera distance pixels across, with
//   their texture's top row at the top.
// - Each texture stage has its own texture factor, packed like every colour
//   the device gets (clamped, times 255, truncated).
// - Lit fixed-function colour is emissive + ambient + diffuse, and that sum
//   is what the texture stages receive (a modulating texture darkens the
//   emissive too); the specular is added after the stages.
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "engine/core/String.h"
#include "engine/core/Vector4.h"
#include "engine/render/DeviceValues.h"
#include "engine/render/DisplayMode.h"

class BaseTexture;
class Buffer;
class Camera;
class CubeTexture;
class Image;
class OcclusionQuery;
class Shader;
class Texture;
struct Vector2;
class GeometryNode;
class IntBuffer;
class Light;
class Module;
class Pass;
class PostUpdateController;
class RenderStateBlock;

// What a device can do. The defaults describe a device with no shaders.
struct DeviceCaps
{
    int32_t simultaneousTextures = 1;
    int32_t maxLights = 8;
    bool volumeTextures = false;
    bool cubeTextures = false;
    bool projectedTextures = false;
    ShaderLevel vertexShaderLevel = ShaderLevel::None;
    ShaderLevel pixelShaderLevel = ShaderLevel::None;
    bool pointSprites = false;
    bool occlusionQueries = false;
    bool hardwareShadowmaps = false;
    bool floatTextures64 = false;
    // Automatic mip chains of render targets, formats A8, A16B16G16R16,
    // R8G8B8 and R8G8B8A8, for plane and cube targets.
    bool targetMipAutogen[4] = {false, false, false, false};
    bool cubeTargetMipAutogen[4] = {false, false, false, false};
    // DXT1..DXT5 storage.
    bool compression[5] = {false, false, false, false, false};
    // Colour streams as four floats; a device without it takes packed
    // 8-bit colours.
    bool floatColours = true;
    // Stages a shader program may sample (the device's image units, often
    // more than simultaneousTextures, its fixed-function stages); 0 without
    // programs.
    int32_t programTextures = 0;
};

// The engine's single drawing device. The frame operations live here; the
// device work is done by an implementation that a renderer module creates
// ("OpenGL"). Nothing above the renderer touches the device.
class Renderer : public RefCounted
{
public:
    Renderer();
    ~Renderer() override;

    // window and device -------------------------------------------------

    // Opens the render window for modes[modeIndex] (closing an open one
    // first; headless, no window), then creates the device on it. A
    // non-zero parentWindow is a window someone else owns (the screen saver
    // daemon's) to draw into. 0 success, 1 failure, 3 bad mode index.
    int32_t OpenWindow(int32_t modeIndex, const String& title, unsigned long parentWindow,
                       int32_t x, int32_t y, int32_t width, int32_t height);

    // Shuts the device down and destroys the window. 0, 1 on failure, 3 when
    // there is no window.
    int32_t CloseWindow();

    // Without a display, windows are virtual and frames render offscreen.
    // Set once by the application before the first OpenWindow.
    static void SetHeadless(bool headless);
    static bool IsHeadless();

    // The desktop a renderer without a display pretends to have, from which
    // its mode list is made: 1024 x 768 unless set (both above 0) before the
    // renderer is created.
    static void SetHeadlessDesktopSize(int32_t width, int32_t height);
    static void GetHeadlessDesktopSize(int32_t& width, int32_t& height);

    // Shows or hides the pointer over the render window; nothing without
    // one or on a window someone else owns.
    virtual void SetCursorVisible(bool visible) { (void)visible; }

    // frame -----------------------------------------------------------

    // 0 when drawing may proceed; 1 when the device is lost or no default
    // camera can be made. Makes a default camera current when there is
    // none, brings the camera's world transform and matrices up to date
    // (time 0), resets its culling planes, begins the scene, then runs the
    // PostUpdate of every queued pre-render controller in queue order,
    // empties the queue and turns the sound listener with the camera.
    int32_t BeginFrame();

    // What BeginFrame tells the 3D sound listener: the current camera's world
    // front and up vectors. The sound manager installs it (null removes it),
    // so the renderer never depends on the sound code.
    using ListenerHook = void (*)(const Vector3& front, const Vector3& up);
    static void SetListenerHook(ListenerHook hook);

    // Draws the transparent queue, lets the current geometry go and
    // presents the frame.
    int32_t EndFrame();

    // scene traversal -------------------------------------------------------

    // The camera the scene is drawn and culled with (held). Setting one
    // resets its culling planes to all six.
    Camera* GetCamera() const { return camera.Get(); }
    void SetCamera(Camera* newCamera);

    // The geometry whose streams are being drawn (held until replaced or
    // the frame ends).
    GeometryNode* GetGeometry() const { return geometry.Get(); }
    void SetGeometry(GeometryNode* node);

    // Queues a controller to run its PostUpdate at the next BeginFrame; a
    // controller already queued stays queued once.
    void QueuePreRender(PostUpdateController* controller);
    uint32_t GetPreRenderCount() const { return preRender.Count(); }

    // Defers a transparent geometry node to the end of the pass: window
    // planes to their own list (drawn last, in queue order), anything else
    // keyed by the squared distance from its world bound's center to the
    // camera.
    void QueueTransparent(GeometryNode* node);

    // Draws the deferred nodes farthest first (DrawDeferred), then the
    // window planes in queue order, and empties both queues.
    void FlushTransparent();
    uint32_t GetTransparentCount() const { return transparent.Count(); }
    uint32_t GetWindowPlaneCount() const { return windowPlanes.Count(); }

    // Lights enabled by the pass being drawn: a pass pushes its light
    // (which enables it on the device) and the geometry pops them all after
    // its draw, so lights never outlive the pass that set them.
    void PushLight(Light* light);
    void PopLight();
    void PopAllLights();
    uint32_t GetLightCount() const { return lights.Count(); }
    // Null past the top.
    Light* GetLight(uint32_t index) const { return index < lights.Count() ? lights[index] : nullptr; }

    // device operations ---------------------------------------------------

    // The window OpenWindow draws into, made by the device module (it knows
    // the window system); never called headless. Full-screen modes take the
    // mode's size at (0, 0), others the given place and size. 0, or 1 after
    // logging why. Nothing here: a renderer without a window of its own.
    virtual int32_t OpenDeviceWindow(const DisplayMode& mode, const String& title, unsigned long parentWindow,
                                     int32_t x, int32_t y, int32_t width, int32_t height)
    {
        (void)mode, (void)title, (void)parentWindow, (void)x, (void)y, (void)width, (void)height;
        return 0;
    }
    // Lets that window go; CloseWindow calls it after Shutdown.
    virtual void CloseDeviceWindow() {}

    virtual int32_t Initialize(int32_t modeIndex, const String& title, unsigned long parentWindow,
                               int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual int32_t Shutdown() = 0;

    // flags: bit 0 colour, bit 1 depth, bit 2 stencil. The colour is kept as
    // the clear colour when bit 0 is set.
    virtual int32_t Clear(uint32_t flags, const Vector4& colour, float depth, uint32_t stencil) = 0;

    // Starts a scene; 1 without starting one when the device is lost, after
    // releasing every device object.
    virtual int32_t BeginScene() = 0;
    // Ends the scene and presents it.
    virtual int32_t EndScene() = 0;

    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;

    // Brightness of the presented picture (the user's display is never
    // touched): ramp entry i = level * 200 + i * 256, clamped to 16 bits.
    virtual int32_t SetBrightness(int32_t level) = 0;

    // Draws the current geometry with the streams and index list its pass
    // bound. Nothing in the base class.
    virtual int32_t DrawIndexed() { return 0; }

    // Switches on the light just pushed, as device light number count - 1;
    // the first also switches lighting on. Nothing in the base class.
    virtual int32_t EnableLight(Light* light)
    {
        (void)light;
        return 0;
    }

    // Switches off device light number count (the stack has already been
    // popped); at 0 lighting goes off. Nothing in the base class.
    virtual int32_t DisableLight() { return 0; }

    // Frees the device copy of a buffer; called by the buffer as it goes.
    // Nothing in the base class.
    virtual void ReleaseBuffer(Buffer* buffer) { (void)buffer; }

    // effect passes ------------------------------------------------------
    // What a pass binds as it is applied; the device module implements
    // them. Each does nothing and returns 0 in the base class.

    // Starts the application of pass (already the current pass): applies
    // its state block (ApplyStateBlock), or replays the recording of it
    // while the pass is not marked changed. The pass binds its streams,
    // textures and matrices after this.
    virtual int32_t BeginPass(Pass* pass)
    {
        (void)pass;
        return 0;
    }
    // Turns a state block into device state, in the documented order
    // (blend, alpha test, cull, fog, material, shade, stencil, fill, depth,
    // the eight texture stages, point sprites).
    virtual int32_t ApplyStateBlock(RenderStateBlock* state)
    {
        (void)state;
        return 0;
    }
    // Binds a texture to a stage (null unbinds), making its device copy on
    // the first bind.
    virtual int32_t SetTexture(uint32_t stage, BaseTexture* texture)
    {
        (void)stage;
        (void)texture;
        return 0;
    }
    // Vertex streams of the next draw; null unbinds.
    virtual int32_t SetPositionStream(Buffer* buffer)
    {
        (void)buffer;
        return 0;
    }
    virtual int32_t SetNormalStream(Buffer* buffer)
    {
        (void)buffer;
        return 0;
    }
    virtual int32_t SetColorStream(Buffer* buffer)
    {
        (void)buffer;
        return 0;
    }
    // Texture-coordinate input index (0..7) from a buffer of the geometry.
    virtual int32_t SetTexCoordStream(uint32_t index, Buffer* buffer)
    {
        (void)index;
        (void)buffer;
        return 0;
    }
    virtual int32_t SetIndexBuffer(IntBuffer* buffer)
    {
        (void)buffer;
        return 0;
    }
    // Fixed-function transforms (rows, as the device conventions say).
    virtual int32_t SetWorldMatrix(const Matrix4& matrix)
    {
        (void)matrix;
        return 0;
    }
    virtual int32_t SetViewMatrix(const Matrix4& matrix)
    {
        (void)matrix;
        return 0;
    }
    virtual int32_t SetProjectionMatrix(const Matrix4& matrix)
    {
        (void)matrix;
        return 0;
    }
    // Frees the recorded device state of a pass or a state block; called by
    // them as they go. Nothing in the base class.
    virtual void ReleasePass(Pass* pass) { (void)pass; }
    virtual void ReleaseStateBlock(RenderStateBlock* state) { (void)state; }

    // Further vertex streams: point sizes (FloatBuffer), blend weights and
    // blend indices (Vector4Buffer) for the vertex programs that skin.
    virtual int32_t SetPointSizeStream(Buffer* buffer)
    {
        (void)buffer;
        return 0;
    }
    virtual int32_t SetBlendWeightStream(Buffer* buffer)
    {
        (void)buffer;
        return 0;
    }
    virtual int32_t SetBlendIndexStream(Buffer* buffer)
    {
        (void)buffer;
        return 0;
    }

    // Binds position, one 2-float coordinate set, the index list and two
    // 4-float streams directly (no pass), then draws like DrawIndexed.
    virtual int32_t DrawIndexedStreams(Buffer* position, Buffer* texCoord, IntBuffer* indices, Buffer* extraA,
                                       Buffer* extraB)
    {
        (void)position;
        (void)texCoord;
        (void)indices;
        (void)extraA;
        (void)extraB;
        return 0;
    }
    // Non-indexed primitives of the current geometry's type from vertex 0;
    // nothing below 1.
    virtual int32_t Draw(int32_t primitiveCount)
    {
        (void)primitiveCount;
        return 0;
    }

    // The transforms as last set (identity before).
    virtual int32_t GetWorldMatrix(Matrix4& out);
    virtual int32_t GetViewMatrix(Matrix4& out);
    virtual int32_t GetProjectionMatrix(Matrix4& out);
    // Texture transform of a stage (0..7): a matrix other than the identity
    // switches the stage's 3-coordinate transform on, the identity off.
    virtual int32_t GetTextureMatrix(Matrix4& out, uint32_t stage);
    virtual int32_t SetTextureMatrix(uint32_t stage, const Matrix4& matrix)
    {
        (void)stage;
        (void)matrix;
        return 0;
    }

    // Shader programs: bound on their first use (translated and compiled
    // then); null selects fixed function. Constants are float4 registers.
    virtual int32_t SetVertexShader(Shader* shader)
    {
        (void)shader;
        return 0;
    }
    virtual int32_t SetVertexShaderConstants(uint32_t start, const float* data, uint32_t count)
    {
        (void)start;
        (void)data;
        (void)count;
        return 0;
    }
    virtual int32_t SetPixelShader(Shader* shader)
    {
        (void)shader;
        return 0;
    }
    virtual int32_t SetPixelShaderConstants(uint32_t start, const float* data, uint32_t count)
    {
        (void)start;
        (void)data;
        (void)count;
        return 0;
    }

    // Occlusion queries: the device query is made on the first Begin; End
    // waits for the result and stores the visible sample count in the query.
    virtual int32_t BeginQuery(OcclusionQuery* query)
    {
        (void)query;
        return 0;
    }
    virtual int32_t EndQuery(OcclusionQuery* query)
    {
        (void)query;
        return 0;
    }

    // Render targets nest as a stack: a texture pushes, null pops and
    // restores the previous target. The viewport becomes the target's size.
    virtual int32_t SetRenderTarget(Texture* texture)
    {
        (void)texture;
        return 0;
    }
    // face 0..5: +x, -x, +y, -y, +z, -z.
    virtual int32_t SetCubeRenderTarget(uint32_t face, CubeTexture* texture)
    {
        (void)face;
        (void)texture;
        return 0;
    }
    // Replaces only the depth surface (shadow maps), with the depth bias in
    // units of 2^-24 and the slope-scaled bias; null restores both to 0.
    virtual int32_t SetDepthRenderTarget(Texture* texture, float depthBias, float slopeBias)
    {
        (void)texture;
        (void)depthBias;
        (void)slopeBias;
        return 0;
    }
    // Position and size in pixels, rounded; depth range 0..1.
    virtual int32_t SetViewport(const Vector2& position, const Vector2& size)
    {
        (void)position;
        (void)size;
        return 0;
    }

    // A copy of the back buffer as a new RGB image, top row first, with no
    // reference taken yet: the caller holds it. 1 (logged) when there is
    // nothing to read.
    virtual int32_t CaptureScreen(Image** image)
    {
        (void)image;
        return 1;
    }

    // Frees device copies; each owner calls its own as it goes.
    virtual void ReleaseTexture(BaseTexture* texture) { (void)texture; }
    virtual void ReleaseShader(Shader* shader) { (void)shader; }
    virtual void ReleaseQuery(OcclusionQuery* query) { (void)query; }

    // The pass being applied, set by the effect before BeginPass. Plain:
    // valid only while that effect draws (it holds the pass).
    Pass* GetCurrentPass() const { return currentPass; }
    void SetCurrentPass(Pass* pass) { currentPass = pass; }

    // What the device can do: filled once by Initialize, read by the
    // effects' technique checks and the device itself.
    const DeviceCaps& GetCaps() const { return caps; }
    // For tests only: the capabilities a test wants the device to claim.
    void SetCapsForTest(const DeviceCaps& newCaps) { caps = newCaps; }

    // Overrides every draw takes over its pass's state: mirrored views swap
    // the culled winding; a second pass over laid-down depth tests equal.
    bool invertCulling = false;
    bool depthEqual = false;
    // Set while a shadow map is drawn.
    bool shadowPass = false;
    // Whether the scene is drawn into the letterbox band: the post-render
    // effect sets it with the band and clears it without one; a shadow map
    // fitted to the view takes the band's wider view from it.
    bool IsLetterbox() const { return letterbox; }
    void SetLetterbox(bool value) { letterbox = value; }
    // Scratch world matrix for the effects.
    Matrix4 worldMatrix;

    // state -------------------------------------------------------------

    const Array<std::unique_ptr<DisplayMode>>& GetModes() const { return modes; }
    int32_t GetDesktopMode() const { return desktopMode; }
    // The mode the window was opened in, or -1.
    int32_t GetCurrentMode() const { return currentMode; }
    const Vector4& GetClearColour() const { return clearColour; }
    bool HasWindow() const { return windowOpen; }

    void SetModule(Module* owner);
    Module* GetModule() const { return module.Get(); }

protected:
    // Fills modes from the desktop size: the desktop mode plus common sizes
    // up to it, each at 16 and 32 bits, sorted by width, height and refresh;
    // desktopMode is the 32-bit desktop entry. 0; 2 (logged) when memory is
    // missing, leaving no modes.
    int32_t EnumerateModes(int32_t desktopWidth, int32_t desktopHeight);

    Vector4 clearColour{0, 0, 0, 1};
    DeviceCaps caps; // written by Initialize only
    // The transforms as last set, for the getters; implementations keep
    // them current.
    Matrix4 worldTransform;
    Matrix4 viewTransform;
    Matrix4 projectionTransform;
    Matrix4 textureTransform[8];
    bool letterbox = false; // set while a letterbox viewport is active

private:
    // EnumerateModes' failure: logs it and leaves no modes; 2.
    int32_t ForgetModes();

    struct TransparentEntry
    {
        Ptr<GeometryNode> node;
        float squaredDistance;
    };

    // Sized in the constructor, where the held classes are complete.
    Ptr<Camera> camera;                        // current camera
    Ptr<GeometryNode> geometry;                // geometry being drawn
    Array<Ptr<PostUpdateController>> preRender; // run at the next BeginFrame
    // Held while queued: a deferred node must survive until its draw even
    // if the scene lets it go first.
    Array<TransparentEntry> transparent;
    Array<Ptr<GeometryNode>> windowPlanes;
    Array<Light*> lights;                      // enabled by the current pass; a pass holds its lights

    Ptr<Module> module;                        // the module that made this renderer
    Array<std::unique_ptr<DisplayMode>> modes{1, 1};
    int32_t desktopMode = -1;
    int32_t currentMode = -1;
    bool windowOpen = false;
    Pass* currentPass = nullptr;               // plain: held by the drawing effect
};

// The current renderer: created by a renderer module looked up by name.
// 0 success, 3 no module or entry point, 1 the module refused.
int32_t CreateRenderer(const String& moduleName);
// Releases the current renderer's camera, then the renderer. 0.
int32_t DestroyRenderer();
Renderer* GetRenderer();

// What a renderer module's "CreateRenderer" entry point looks like.
using CreateRendererFunction = int32_t (*)(Renderer** place);
