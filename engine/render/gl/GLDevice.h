#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/render/gl/GLFunctions.h"

class GLContext;
class GLRampPass;
class GLRenderTarget;

// The OpenGL device under the renderer: an OpenGL 2.1 compatibility context
// through EGL, either on an X window or headless (no window system at all).
// Everything is drawn into an offscreen back buffer of the chosen mode's
// size; presenting stretches it over the window through the brightness ramp,
// so the ramp never touches the user's display. Headless, the present goes
// into a second offscreen picture that tests can read.
//
// One thread: the one that created the device. Public calls make the
// device's context current themselves, so two devices may coexist.
class GLDevice
{
public:
    // construction

    // display is a Display* or null for headless; window is the X window id
    // to draw into (ignored headless). width and height are the back buffer
    // (the video mode), independent of the window's size. The display and
    // window must outlive the device. Null on failure, with the reason in
    // *why and one error line in the log. resolve looks the entry points up
    // (null: eglGetProcAddress); tests hand in one that lacks some.
    static std::unique_ptr<GLDevice> Create(void* display, unsigned long window, int width, int height,
                                            std::string* why, GLFunctions::Resolver resolve = nullptr);

    // Releases every GL object, the context and the surface, and terminates
    // the EGL display once no other device uses it.
    ~GLDevice();

    GLDevice(const GLDevice&) = delete;
    GLDevice& operator=(const GLDevice&) = delete;

    // description

    // Back-buffer size.
    int Width() const { return width; }
    int Height() const { return height; }
    bool IsHeadless() const;

    // The driver's own strings, for the renderer's capability log.
    const std::string& Vendor() const { return vendor; }
    const std::string& RendererName() const { return rendererName; }
    const std::string& Version() const { return version; }
    bool HasExtension(const char* name) const;

    // True when the context was created with reset notification, so that a
    // GPU reset is seen as a lost device (llvmpipe offers it).
    bool IsRobust() const { return robust; }

    // The framebuffer object the scene is drawn into (a GLuint); the
    // renderer binds it back when its render-target stack empties.
    unsigned int BackBufferFramebuffer() const;

    // Entry points beyond OpenGL 1.1, loaded for this context; code inside
    // engine/render/gl calls through them.
    const GLFunctions& Functions() const { return *gl; }

    // Makes the context current on the calling thread; false when EGL
    // refuses. Only needed before raw GL calls of the renderer while another
    // device exists.
    bool MakeCurrent();

    // frame

    // The size the present stretches the back buffer to (the window's client
    // area; headless, the size of the presented picture). Non-positive sizes
    // are logged and ignored.
    void SetWindowSize(int width, int height);

    // flags: bit 0 colour, bit 1 depth, bit 2 stencil. Clears the current
    // viewport of the bound target whatever the write masks and scissor are,
    // as Renderer::Clear does. The colour goes through the engine's packing
    // first (each component clamped to 0..1, times 255, truncated), so 0.5
    // clears to 127, exactly what a packed colour elsewhere gives.
    void Clear(uint32_t flags, float red, float green, float blue, float alpha, float depth, uint32_t stencil);

    // Binds the back buffer with a viewport of its size. False, with nothing
    // bound, once the context has reported a reset or ForceLoss ran: a lost
    // device stays lost and is never reset.
    bool BeginScene();

    // Presents: the ramp pass into the window and a buffer swap, or headless
    // into the presented picture. The renderer's GL state is left as found.
    void EndScene();

    // brightness

    // One ramp for red, green and blue, or one each. Entries are 16-bit;
    // only their high byte reaches the 8-bit picture. Applied at present
    // only; the back buffer never sees it. The initial ramp is the identity.
    void SetGammaRamp(const uint16_t ramp[256]);
    void SetGammaRamp(const uint16_t red[256], const uint16_t green[256], const uint16_t blue[256]);

    // pictures (RGBA bytes, top row first)

    // The back buffer as drawn, without the ramp (what a screen capture
    // takes). False when lost.
    bool ReadBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height);

    // Headless only: the last presented picture, ramp applied, alpha 255.
    // False before the first present, on a window device and when lost.
    bool ReadPresented(std::vector<uint8_t>& rgba, int& width, int& height);

    // loss

    // Test hook: from now on behave as if the context had reported a reset.
    void ForceLoss() { lost = true; }
    bool IsLost() const { return lost; }

private:
    GLDevice();

    bool Initialise(void* display, unsigned long window, GLFunctions::Resolver resolve, std::string* why);

    // False when lost or when the context cannot be made current (an EGL
    // loss marks the device lost).
    bool Usable();

    std::unique_ptr<GLContext> context;        // destroyed last: every object below lives in it
    std::unique_ptr<GLFunctions> gl;
    std::unique_ptr<GLRenderTarget> backBuffer;
    std::unique_ptr<GLRenderTarget> presented; // headless only
    std::unique_ptr<GLRampPass> rampPass;

    int width = 0;
    int height = 0;
    int windowWidth = 0;
    int windowHeight = 0;
    bool robust = false;
    bool lost = false;
    bool hasPresented = false;
    bool presentFailureLogged = false;   // a failing present would otherwise log every frame

    std::string vendor;
    std::string rendererName;
    std::string version;
    std::set<std::string> extensions;
};
