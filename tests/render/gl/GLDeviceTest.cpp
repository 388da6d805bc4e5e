#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/render/BrightnessRamp.h"
#include "engine/render/Renderer.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLFunctions.h"
#include "support/HeadlessGl.h"
#include "support/LogCapture.h"

// Xlib last: its macros (None, Status, Bool) clash with everything above.
#include <X11/Xlib.h>

namespace
{

struct Rgba
{
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgba& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

Rgba PixelAt(const std::vector<uint8_t>& rgba, int width, int x, int y)
{
    const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    return {rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
}

// The GL state a scene sets and the device's own clears and presents must
// leave as they found it.
struct SceneState
{
    std::array<GLboolean, 4> enabled{};   // blend, depth test, cull face, scissor test
    std::array<GLboolean, 4> colourMask{};
    std::array<GLint, 4> viewport{};
    std::array<GLint, 4> scissor{};
    GLint activeTexture = 0;
    GLint drawFramebuffer = 0;
    GLint program = 0;
    bool operator==(const SceneState&) const = default;
};

SceneState ReadSceneState()
{
    SceneState s;
    const GLenum caps[4] = {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST};
    for (int i = 0; i < 4; ++i)
        s.enabled[static_cast<size_t>(i)] = glIsEnabled(caps[i]);
    glGetBooleanv(GL_COLOR_WRITEMASK, s.colourMask.data());
    glGetIntegerv(GL_VIEWPORT, s.viewport.data());
    glGetIntegerv(GL_SCISSOR_BOX, s.scissor.data());
    glGetIntegerv(GL_ACTIVE_TEXTURE, &s.activeTexture);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &s.drawFramebuffer);
    glGetIntegerv(GL_CURRENT_PROGRAM, &s.program);
    return s;
}

// Headless devices, skipped where this machine has no surfaceless OpenGL.
class GLDeviceHeadless : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        if (!HeadlessOpenGL(why))
            GTEST_SKIP() << "no headless OpenGL here: " << why;
    }

    static std::unique_ptr<GLDevice> Create(int w, int h)
    {
        std::string why;
        std::unique_ptr<GLDevice> device = GLDevice::Create(nullptr, 0, w, h, &why);
        EXPECT_NE(device, nullptr) << why;
        return device;
    }

    // The back buffer (or the presented picture), its size in w and h.
    std::vector<uint8_t> Read(GLDevice& device, bool presented = false)
    {
        std::vector<uint8_t> rgba;
        EXPECT_TRUE(presented ? device.ReadPresented(rgba, w, h) : device.ReadBackBuffer(rgba, w, h));
        return rgba;
    }

    int w = 0;
    int h = 0;
};

GLFunctions::Proc ResolveWithoutStencilOpSeparate(const char* name)
{
    return std::string(name) == "glStencilOpSeparate" ? nullptr : eglGetProcAddress(name);
}

// A failed creation says why, logs one line for a missing entry point, and
// leaves nothing behind that spoils the next one.
TEST_F(GLDeviceHeadless, RefusesUnusableSizesAndMissingEntryPoints)
{
    for (auto [width, height] : {std::pair{0, 10}, std::pair{10, -1}, std::pair{1 << 20, 4}})
    {
        std::string why;
        EXPECT_EQ(GLDevice::Create(nullptr, 0, width, height, &why), nullptr) << width << "x" << height;
        EXPECT_FALSE(why.empty()) << width << "x" << height;
    }
    LogCapture capture;
    std::string why;
    EXPECT_EQ(GLDevice::Create(nullptr, 0, 4, 4, &why, &ResolveWithoutStencilOpSeparate), nullptr);
    EXPECT_EQ(why, "нет функции OpenGL glStencilOpSeparate");
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0].level, kLogError);
    EXPECT_EQ(capture.Lines()[0].text, "Не удалось создать устройство OpenGL: нет функции OpenGL glStencilOpSeparate.");
    EXPECT_NE(Create(4, 4), nullptr);
}

// BeginScene binds the back buffer with its whole viewport; a clear packs
// its colour as the renderer packs colours (clamped, truncated), covers only
// the viewport whatever the masks, touches only the buffers its flags name,
// and leaves the scene's state alone, as the present does.
TEST_F(GLDeviceHeadless, ClearCoversTheViewportAndTheChosenBuffersOnly)
{
    std::unique_ptr<GLDevice> device = Create(8, 8);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> rgba;
    EXPECT_FALSE(device->ReadPresented(rgba, w, h));   // nothing presented yet
    glViewport(1, 1, 2, 2);
    ASSERT_TRUE(device->BeginScene());
    SceneState scene = ReadSceneState();
    EXPECT_EQ(static_cast<unsigned>(scene.drawFramebuffer), device->BackBufferFramebuffer());
    EXPECT_EQ(scene.viewport, (std::array<GLint, 4>{0, 0, 8, 8}));
    device->Clear(1 | 2 | 4, -0.5f, 1.5f, 0.5f, 0.999f, 0.25f, 0x5A);   // rounding would give 128 and 255
    device->Clear(2 | 4, 1.0f, 0.0f, 0.0f, 1.0f, 0.75f, 0x1C3);   // colour bit off; stencil is 8 bits
    GLfloat depth = 0.0f;
    GLubyte stencil = 0;
    glReadPixels(1, 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    glReadPixels(1, 1, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
    EXPECT_NEAR(depth, 0.75f, 1e-6f);
    EXPECT_EQ(stencil, 0xC3);

    glViewport(0, 4, 8, 4);   // GL rows run upwards: the top half
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    scene = ReadSceneState();
    device->Clear(1, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0);
    EXPECT_EQ(ReadSceneState(), scene);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    rgba = Read(*device);   // top row first
    EXPECT_EQ(PixelAt(rgba, w, 0, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(rgba, w, 7, 3), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(rgba, w, 0, 4), (Rgba{0, 255, 127, 254}));
    EXPECT_EQ(PixelAt(rgba, w, 7, 7), (Rgba{0, 255, 127, 254}));

    // Nor does the present, whatever else a scene leaves behind.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ZERO);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_NEVER);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    device->Functions().activeTexture(GL_TEXTURE3);
    scene = ReadSceneState();
    device->EndScene();
    EXPECT_EQ(ReadSceneState(), scene);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(PixelAt(Read(*device, true), w, 7, 7), (Rgba{0, 255, 127, 255}));   // the identity ramp, no alpha
}

// The presented picture is the back buffer through the ramp, stretched to
// the window size; the back buffer keeps its own bytes. A lost device then
// stays lost.
TEST_F(GLDeviceHeadless, PresentRampsAndStretchesThePresentedPictureOnly)
{
    std::unique_ptr<GLDevice> device = Create(8, 4);
    ASSERT_NE(device, nullptr);
    uint16_t ramp[256];
    BuildBrightnessRamp(-64, ramp);   // high byte of i * 256 - 12800: i - 50
    device->SetGammaRamp(ramp);
    device->Clear(1, 0.5f, 0.25f, 0.75f, 0.5f, 1.0f, 0);   // 127, 63, 191, 127
    ASSERT_TRUE(device->BeginScene());
    glViewport(0, 2, 8, 2);
    device->Clear(1, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0);   // top half red
    device->SetWindowSize(32, 16);
    device->SetWindowSize(0, 5);   // ignored
    device->EndScene();
    std::vector<uint8_t> rgba = Read(*device, true);
    ASSERT_EQ(w, 32);
    ASSERT_EQ(h, 16);
    // Rows near the seam mix both halves; well inside each half they do not.
    EXPECT_EQ(PixelAt(rgba, w, 0, 0), (Rgba{205, 0, 0, 255}));
    EXPECT_EQ(PixelAt(rgba, w, 31, 5), (Rgba{205, 0, 0, 255}));
    EXPECT_EQ(PixelAt(rgba, w, 0, 10), (Rgba{77, 13, 141, 255}));
    EXPECT_EQ(PixelAt(rgba, w, 31, 15), (Rgba{77, 13, 141, 255}));
    rgba = Read(*device);
    EXPECT_EQ(PixelAt(rgba, w, 0, 3), (Rgba{127, 63, 191, 127}));

    EXPECT_FALSE(device->IsLost());
    device->ForceLoss();
    EXPECT_TRUE(device->IsLost());
    EXPECT_FALSE(device->BeginScene());
    EXPECT_FALSE(device->BeginScene());
    device->Clear(1, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0);   // harmless
    device->EndScene();
    EXPECT_FALSE(device->ReadBackBuffer(rgba, w, h));
    EXPECT_FALSE(device->ReadPresented(rgba, w, h));
}

// A resolver that knows every name but the refused ones, and remembers what
// it was asked; the pointers it gives are never called.
std::set<std::string> refusedNames;
std::vector<std::string> askedNames;

void NeverCalled() {}

GLFunctions::Proc FakeResolve(const char* name)
{
    askedNames.push_back(name);
    return refusedNames.count(name) ? nullptr : &NeverCalled;
}

bool Asked(const std::string& name)
{
    return std::find(askedNames.begin(), askedNames.end(), name) != askedNames.end();
}

TEST(GLFunctionsLoad, PicksSpellingsAndNamesTheFirstMissingEntryPoint)
{
    const std::set<std::string> arbFbo = {"GL_ARB_framebuffer_object"};
    const std::set<std::string> extFbo = {"GL_EXT_framebuffer_object", "GL_EXT_packed_depth_stencil"};
    struct Case
    {
        int major, minor;
        std::set<std::string> extensions;
        std::set<std::string> refused;
        std::string why;           // empty: loads
        std::string askedFor;      // a spelling that must have been asked for
        std::string notAskedFor;   // one that must not
        bool queries;
        bool reset;
    } cases[] = {
        {2, 1, arbFbo, {}, "", "glBindFramebuffer", "glBindFramebufferEXT", true, false},
        {2, 1, extFbo, {}, "", "glBindFramebufferEXT", "glBindFramebuffer", true, false},
        {3, 0, {}, {"glBindFramebufferEXT"}, "", "glBindFramebuffer", "glGetGraphicsResetStatus", true, false},
        // The first missing in list order is the one named, however many.
        {3, 0, {}, {"glTexImage3D", "glUniform4fv"}, "нет функции OpenGL glUniform4fv", "glUniform4fv", "", true,
         false},
        {2, 1, extFbo, {"glRenderbufferStorageEXT"}, "нет функции OpenGL glRenderbufferStorageEXT", "", "", true,
         false},
        {2, 0, arbFbo, {}, "нужен OpenGL 2.1, драйвер даёт 2.0", "", "glBindFramebuffer", false, false},
        {2, 1, {"GL_EXT_framebuffer_object"}, {},
         "драйвер не поддерживает объекты кадрового буфера с упакованным буфером глубины и трафарета", "", "", false,
         false},
        // Optional ones: the alternate spelling stands in; without both the
        // device still comes up, only the capability goes.
        {3, 0, {}, {"glEndQuery"}, "", "glEndQueryARB", "glGenQueriesARB", true, false},
        {3, 0, {}, {"glEndQuery", "glEndQueryARB", "glGetFramebufferAttachmentParameteriv",
                    "glGetFramebufferAttachmentParameterivEXT", "glGenerateMipmap", "glGenerateMipmapEXT"},
         "", "", "", false, false},
        // Robustness: the extension list picks the spelling.
        {3, 0, {"GL_ARB_robustness"}, {}, "", "glGetGraphicsResetStatusARB", "glGetGraphicsResetStatus", true, true},
        {3, 0, {"GL_KHR_robustness"}, {}, "", "glGetGraphicsResetStatus", "glGetGraphicsResetStatusARB", true, true},
        {4, 5, {}, {"glGetGraphicsResetStatus"}, "", "glGetGraphicsResetStatus", "", true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " " << c.why << c.askedFor);
        refusedNames = c.refused;
        askedNames.clear();
        GLFunctions gl;
        std::string why;
        EXPECT_EQ(gl.Load(c.major, c.minor, c.extensions, &why, &FakeResolve), c.why.empty());
        EXPECT_EQ(why, c.why);
        EXPECT_TRUE(c.askedFor.empty() || Asked(c.askedFor));
        EXPECT_TRUE(c.notAskedFor.empty() || !Asked(c.notAskedFor));
        if (!c.why.empty())
            continue;
        EXPECT_EQ(gl.separateReadDraw, c.extensions != extFbo);
        EXPECT_EQ(gl.HasQueries(), c.queries);
        EXPECT_EQ(gl.getGraphicsResetStatus != nullptr, c.reset);
        const bool framebufferExtrasGone = c.refused.count("glGenerateMipmap") != 0;
        EXPECT_EQ(gl.getFramebufferAttachmentParameteriv == nullptr, framebufferExtrasGone);
        EXPECT_EQ(gl.generateMipmap == nullptr, framebufferExtrasGone);
    }
}

// Window devices: a bare X window of our own on whatever $DISPLAY is (the
// test run uses Xvfb).
class GLDeviceWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        display = XOpenDisplay(nullptr);
        if (!display)
            GTEST_SKIP() << "no X display reachable";
        const int screen = DefaultScreen(display);
        window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kWindowWidth, kWindowHeight, 0,
                                     BlackPixel(display, screen), BlackPixel(display, screen));
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        XEvent event;
        do
            XWindowEvent(display, window, StructureNotifyMask, &event);
        while (event.type != MapNotify);
    }

    void TearDown() override
    {
        if (!display)
            return;
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }

    static constexpr int kWindowWidth = 64;
    static constexpr int kWindowHeight = 48;
    Display* display = nullptr;
    Window window = 0;
};

// The renderer's window comes from the device module: an id nobody made
// fails with the base's two lines and leaves no window; the fixture's own
// window is drawn into at its size, as the daemon's is.
TEST_F(GLDeviceWindow, RendererOpensItsWindowThroughTheDeviceModule)
{
    std::string why;
    EXPECT_EQ(GLDevice::Create(display, 0, 32, 24, &why), nullptr);   // a display but no window
    EXPECT_FALSE(why.empty());
    Renderer::SetHeadless(false);
    RegisterEngineClasses();
    ASSERT_EQ(InitializeEngine(), 0);
    ASSERT_EQ(CreateRenderer(String("OpenGL")), 0);
    Renderer* renderer = GetRenderer();
    const int32_t mode = renderer->GetDesktopMode();
    {
        LogCapture capture;
        EXPECT_EQ(renderer->OpenWindow(mode, String("t"), window + 0x1000, 0, 0, 32, 24), 1);
        ASSERT_EQ(capture.Lines().size(), 2u);
        EXPECT_EQ(capture.Lines()[0].text, "Создание окна неудачно.");
        EXPECT_FALSE(renderer->HasWindow());
    }
    EXPECT_EQ(renderer->OpenWindow(mode, String("t"), window, 0, 0, 32, 24), 0);
    EXPECT_TRUE(renderer->HasWindow());
    EXPECT_EQ(renderer->GetWidth(), kWindowWidth);
    EXPECT_EQ(renderer->GetHeight(), kWindowHeight);
    EXPECT_EQ(renderer->CloseWindow(), 0);
    EXPECT_FALSE(renderer->HasWindow());
    DestroyRenderer();
    TerminateEngine();
}

} // namespace
