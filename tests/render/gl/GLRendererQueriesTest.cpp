#include "engine/render/gl/GLRenderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/image/Image.h"
#include "engine/render/OcclusionQuery.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLFunctions.h"
#include "support/HeadlessRenderer.h"
#include "support/LogCapture.h"

namespace
{

const Vector4 kBlack{0.0f, 0.0f, 0.0f, 1.0f};

// A running engine with the OpenGL renderer open headless; the tests draw
// with plain GL in clip space so that pixel counts are exact.
class GLRendererQueries : public HeadlessRendererTest
{
protected:
    void SetUp() override
    {
        OpenRenderer("queries");
        if (!Opened())
            return;
        width = renderer->GetWidth();
        height = renderer->GetHeight();
    }

    // Begins a frame and sets plain GL up for clip-space drawing with the
    // depth test on.
    void Begin()
    {
        HeadlessRendererTest::Begin(kBlack);
        renderer->GetDevice()->Functions().useProgram(0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_STENCIL_TEST);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glViewport(0, 0, width, height);
    }

    // A rectangle of whole pixels from the bottom-left corner (x, y) at a
    // depth in clip space (-1 near .. 1 far).
    void Rectangle(int x, int y, int w, int h, float z, float red, float green, float blue)
    {
        auto cx = [this](int px) { return 2.0f * static_cast<float>(px) / static_cast<float>(width) - 1.0f; };
        auto cy = [this](int py) { return 2.0f * static_cast<float>(py) / static_cast<float>(height) - 1.0f; };
        glColor3f(red, green, blue);
        glBegin(GL_QUADS);
        glVertex3f(cx(x), cy(y), z);
        glVertex3f(cx(x + w), cy(y), z);
        glVertex3f(cx(x + w), cy(y + h), z);
        glVertex3f(cx(x), cy(y + h), z);
        glEnd();
    }

    // The samples of one rectangle drawn inside a query.
    uint32_t Count(OcclusionQuery* query, int x, int y, int w, int h, float z)
    {
        EXPECT_EQ(renderer->BeginQuery(query), 0);
        Rectangle(x, y, w, h, z, 1.0f, 1.0f, 1.0f);
        EXPECT_EQ(renderer->EndQuery(query), 0);
        return query->GetVisibleSamples();
    }
};

// Opens the renderer in the test itself, so the log of the opening is seen.
class GLRendererCapabilities : public HeadlessRendererTest
{
protected:
    void SetUp() override {}
};

} // namespace

// Right after the driver line, one line per capability in a fixed order,
// each with its field's value; programs are never claimed beyond 2.0, DXT2
// and DXT4 never, and plain 8-bit colour targets (what every render to
// texture uses) always make their mip chains.
TEST_F(GLRendererCapabilities, LinesFollowTheDriverLineInOrderWithTheirValues)
{
    LogCapture log;
    OpenRenderer("caps");
    if (!Opened())
        return;
    const DeviceCaps& caps = renderer->GetCaps();
    EXPECT_GE(caps.simultaneousTextures, 1);
    EXPECT_LE(caps.simultaneousTextures, 8);
    EXPECT_TRUE(caps.targetMipAutogen[3]);
    EXPECT_EQ(caps.vertexShaderLevel, ShaderLevel::Model2);
    EXPECT_EQ(caps.pixelShaderLevel, ShaderLevel::Model2);
    auto flag = [](bool on) { return std::string(on ? "true]" : "false]"); };
    const bool s3tc = caps.compression[0];
    std::vector<std::string> want = {"Simultaneous Textures [" + std::to_string(caps.simultaneousTextures) + "]",
                                     "Max Active Lights [" + std::to_string(caps.maxLights) + "]",
                                     "Volume Textures [" + flag(caps.volumeTextures),
                                     "Cube Textures [" + flag(caps.cubeTextures),
                                     "Projected Textures [" + flag(caps.projectedTextures),
                                     "VERTEX SHADER " + std::to_string(ToInt(ShaderLevel::Model2)),
                                     "PIXEL SHADER " + std::to_string(ToInt(ShaderLevel::Model2)),
                                     "Point Sprites [" + flag(caps.pointSprites),
                                     "Occlusion Query [" + flag(caps.occlusionQueries),
                                     "Hardware Shadowmaps [" + flag(caps.hardwareShadowmaps),
                                     "A16B16G16R16F Textures [" + flag(caps.floatTextures64)};
    const char* formats[4] = {"A8", "A16B16G16R16", "R8G8B8", "R8G8B8A8"};
    for (int i = 0; i < 4; ++i)
        want.push_back(std::string(formats[i]) + " RenderTarget Textures MipMap Autogen support[" +
                       flag(caps.targetMipAutogen[i]));
    for (int i = 0; i < 4; ++i)
        want.push_back(std::string(formats[i]) + " CubeRenderTarget Textures MipMap Autogen support[" +
                       flag(caps.cubeTargetMipAutogen[i]));
    for (int i = 0; i < 5; ++i)
        want.push_back("DXT" + std::to_string(i + 1) + " texture compression support[" + flag(i % 2 == 0 && s3tc));

    std::vector<std::string> texts;
    for (const LogCapture::Line& line : log.Lines())
        texts.push_back(line.text);
    const auto driver = std::find_if(texts.begin(), texts.end(),
                                     [](const std::string& text) { return text.find("Driver [") != std::string::npos; });
    ASSERT_LE(want.size(), static_cast<size_t>(texts.end() - driver - 1)) << "no driver line, or lines missing";
    EXPECT_EQ(std::vector<std::string>(driver + 1, driver + 1 + static_cast<ptrdiff_t>(want.size())), want);
}

TEST_F(GLRendererQueries, CountsThePixelsOfAQuadAndNoneBehindANearerOne)
{
    ASSERT_TRUE(renderer->GetCaps().occlusionQueries) << "llvmpipe offers occlusion queries";
    Ptr<OcclusionQuery> query = new OcclusionQuery();
    Begin();

    EXPECT_EQ(Count(query.Get(), 10, 20, 64, 32, 0.5f), 64u * 32u);

    // A nearer rectangle hides a farther one of the same place entirely,
    // and all but the part outside it of a larger one.
    Rectangle(200, 100, 50, 40, -0.5f, 1.0f, 0.0f, 0.0f);
    EXPECT_EQ(Count(query.Get(), 200, 100, 50, 40, 0.0f), 0u);
    EXPECT_EQ(Count(query.Get(), 190, 100, 70, 40, 0.0f), 70u * 40u - 50u * 40u);
    // In front of it, everything counts again.
    EXPECT_EQ(Count(query.Get(), 200, 100, 50, 40, -0.9f), 50u * 40u);

    ASSERT_EQ(renderer->EndFrame(), 0);
}

TEST_F(GLRendererQueries, BeginAndEndOutOfOrderAreRefused)
{
    Ptr<OcclusionQuery> first = new OcclusionQuery();
    Ptr<OcclusionQuery> second = new OcclusionQuery();
    Begin();
    LogCapture log;

    EXPECT_EQ(renderer->BeginQuery(nullptr), 3);
    EXPECT_EQ(renderer->EndQuery(nullptr), 3);
    EXPECT_EQ(renderer->EndQuery(first.Get()), 1);
    EXPECT_EQ(log.Count("Запрос видимости не был начат."), 1u);

    ASSERT_EQ(renderer->BeginQuery(first.Get()), 0);
    EXPECT_EQ(renderer->BeginQuery(second.Get()), 1) << "one query at a time";
    EXPECT_EQ(renderer->EndQuery(second.Get()), 1);
    Rectangle(0, 0, 8, 8, 0.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(renderer->EndQuery(first.Get()), 0);
    EXPECT_EQ(first->GetVisibleSamples(), 64u);
    EXPECT_EQ(renderer->EndQuery(first.Get()), 1) << "ended already";
    ASSERT_EQ(renderer->EndFrame(), 0);
}

TEST_F(GLRendererQueries, DeviceCopyIsReusedAndLossOrShutdownClearsIt)
{
    Ptr<OcclusionQuery> query = new OcclusionQuery();
    EXPECT_EQ(query->GetDeviceHandle(), nullptr);
    const int32_t heldBefore = renderer->GetRefCount();
    Begin();
    ASSERT_EQ(Count(query.Get(), 0, 0, 4, 4, 0.0f), 16u);
    void* handle = query->GetDeviceHandle();
    EXPECT_NE(handle, nullptr);
    EXPECT_EQ(query->GetDeviceRenderer(), renderer);
    EXPECT_EQ(renderer->GetRefCount(), heldBefore + 1);
    ASSERT_EQ(Count(query.Get(), 0, 0, 5, 4, -0.5f), 20u);
    EXPECT_EQ(query->GetDeviceHandle(), handle) << "the copy is reused";
    ASSERT_EQ(renderer->EndFrame(), 0);

    // A shutdown in the middle of a query forgets it too.
    Begin();
    ASSERT_EQ(renderer->BeginQuery(query.Get()), 0);
    ASSERT_EQ(renderer->CloseWindow(), 0);
    EXPECT_EQ(query->GetDeviceHandle(), nullptr);
    EXPECT_EQ(query->GetDeviceRenderer(), nullptr);
    EXPECT_TRUE(query->IsChanged());
    EXPECT_EQ(renderer->BeginQuery(query.Get()), 1) << "no device";

    ASSERT_EQ(OpenWindow("again"), 0);
    Begin();
    EXPECT_EQ(Count(query.Get(), 0, 0, 6, 2, 0.0f), 12u);
    EXPECT_NE(query->GetDeviceHandle(), nullptr);

    // A lost device keeps nothing; the next frame does not start.
    ASSERT_EQ(renderer->EndFrame(), 0);
    renderer->GetDevice()->ForceLoss();
    EXPECT_EQ(renderer->BeginScene(), 1);
    EXPECT_EQ(query->GetDeviceHandle(), nullptr);
    EXPECT_EQ(query->GetDeviceRenderer(), nullptr);
}

TEST_F(GLRendererQueries, AQueryOutlivingTheRendererReleasesItLast)
{
    Ptr<OcclusionQuery> query = new OcclusionQuery();
    Begin();
    ASSERT_EQ(Count(query.Get(), 0, 0, 2, 2, 0.0f), 4u);
    ASSERT_EQ(renderer->EndFrame(), 0);

    // The global lets go first; the query's hold keeps the renderer (and
    // its device) until the query frees its copy.
    DestroyRenderer();
    EXPECT_EQ(GetRenderer(), nullptr);
    EXPECT_EQ(query->GetDeviceRenderer(), renderer);
    EXPECT_EQ(renderer->GetRefCount(), 1);
    query = nullptr;
    renderer = nullptr;
}

TEST_F(GLRendererQueries, CaptureWithoutAPlaceOrADeviceFails)
{
    LogCapture log;
    EXPECT_EQ(renderer->CaptureScreen(nullptr), 3);
    EXPECT_EQ(log.Lines().size(), 1u);

    ASSERT_EQ(renderer->CloseWindow(), 0);
    log.Clear();
    Image* taken = nullptr;
    EXPECT_EQ(renderer->CaptureScreen(&taken), 1);
    EXPECT_EQ(taken, nullptr);
    EXPECT_TRUE(log.Contains("Невозможно сделать снимок экрана: нет устройства."));
}
