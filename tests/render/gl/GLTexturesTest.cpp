// The OpenGL renderer's device objects: textures (uploads, bindings,
// sampler state, targets) and occlusion queries, with its capability lines.
#include "engine/render/gl/GLRenderer.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/image/VolumeImage.h"
#include "engine/core/Vector2.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/OcclusionQuery.h"
#include "engine/render/VolumeTexture.h"
#include "engine/render/gl/GLFunctions.h"
#include "render/gl/GLRendererRig.h"
#include "support/LogCapture.h"
#include "support/ScopedEnvironment.h"

namespace
{

// A solid RGB image.
Ptr<Image> SolidImage(uint32_t width, uint32_t height, const Rgb& colour)
{
    Ptr<Image> image = new Image(String("pixels"), Image::kPixel24, width, height);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
    {
        image->GetData()[i * 3] = static_cast<uint8_t>(colour.r);
        image->GetData()[i * 3 + 1] = static_cast<uint8_t>(colour.g);
        image->GetData()[i * 3 + 2] = static_cast<uint8_t>(colour.b);
    }
    return image;
}

// A stack of solid 2 x 2 RGB slices, one colour each.
Ptr<VolumeImage> SolidSlices(const std::vector<Rgb>& colours)
{
    Ptr<VolumeImage> image =
        new VolumeImage(String("slices"), Image::kPixel24, 2, 2, static_cast<uint32_t>(colours.size()));
    uint8_t* out = image->GetData();
    for (const Rgb& c : colours)
        for (int texel = 0; texel < 4; ++texel)
        {
            *out++ = static_cast<uint8_t>(c.r);
            *out++ = static_cast<uint8_t>(c.g);
            *out++ = static_cast<uint8_t>(c.b);
        }
    return image;
}

// What a unit has bound for a target, and whether the target is on.
struct Binding
{
    GLint name = 0;
    bool enabled = false;
    bool operator==(const Binding&) const = default;
};

// The framebuffer, viewport and depth bias that pushing and popping
// targets leave behind.
struct TargetState
{
    GLint framebuffer = 0;
    std::array<GLint, 4> viewport{};
    GLfloat biasUnits = 0.0f;
    GLfloat biasFactor = 0.0f;
    bool biased = false;
    bool operator==(const TargetState&) const = default;
};

TargetState ReadTargetState()
{
    TargetState s;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &s.framebuffer);
    glGetIntegerv(GL_VIEWPORT, s.viewport.data());
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &s.biasUnits);
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &s.biasFactor);
    s.biased = glIsEnabled(GL_POLYGON_OFFSET_FILL) == GL_TRUE;
    return s;
}

class GLTexturesTest : public GLRendererRig
{
protected:
    void SetUp() override
    {
        GLRendererRig::SetUp();
        if (!Opened())
            return;
        width = renderer->GetWidth();
        height = renderer->GetHeight();
        state->depthEnabled = true; // so that query counts see what is hidden
        state->depthWrite = true;
    }

    // A rectangle of whole pixels from the bottom-left corner (x, y) drawn
    // inside a query; its samples.
    uint32_t Count(OcclusionQuery* query, int x, int y, int w, int h, float z)
    {
        auto cx = [this](int px) { return 2.0f * static_cast<float>(px) / static_cast<float>(width) - 1.0f; };
        auto cy = [this](int py) { return 2.0f * static_cast<float>(py) / static_cast<float>(height) - 1.0f; };
        EXPECT_EQ(renderer->BeginQuery(query), 0);
        Draw(Rectangle(cx(x), cy(y), cx(x + w), cy(y + h), Vector4(1, 1, 1, 1), z), false);
        EXPECT_EQ(renderer->EndQuery(query), 0);
        return query->GetVisibleSamples();
    }

    Binding Bound(GLenum binding = GL_TEXTURE_BINDING_2D, GLenum target = GL_TEXTURE_2D) const
    {
        Binding b;
        glGetIntegerv(binding, &b.name);
        b.enabled = glIsEnabled(target) == GL_TRUE;
        return b;
    }
};

using GLRendererQueries = GLTexturesTest;

// Opens the renderer in the test itself, so the log of the opening is seen.
class GLRendererCapabilities : public HeadlessRendererTest
{
protected:
    void SetUp() override {}
};

} // namespace

// One frame: six cube tiles across the top half, each along one axis (+x,
// -x, +y, -y, +z, -z), show the faces in device order; four volume tiles
// across the bottom half show the slices their third coordinate picks.
TEST_F(GLTexturesTest, CubeAndVolumeCoordinatesPickTheFaceAndTheSlice)
{
    const std::vector<Rgb> tints = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
    const Vector3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    Ptr<CubeTexture> cube = new CubeTexture(String("sky"));
    ASSERT_EQ(cube->SetImage(SolidSlices(tints).Get()), 0);
    Ptr<VolumeTexture> volume = new VolumeTexture(String("fog"));
    ASSERT_EQ(volume->SetImage(SolidSlices({tints.begin(), tints.begin() + 4}).Get()), 0);
    Begin();
    ASSERT_EQ(renderer->SetTexture(0, cube.Get()), 0);
    const Binding cubeBound = Bound(GL_TEXTURE_BINDING_CUBE_MAP, GL_TEXTURE_CUBE_MAP);
    EXPECT_TRUE(cubeBound.name != 0 && cubeBound.enabled && !glIsEnabled(GL_TEXTURE_2D));
    for (int face = 0; face < 6; ++face)
    {
        Mesh tile = Rectangle(-1.0f + face / 3.0f, 0, -1.0f + (face + 1) / 3.0f, 1, Vector4(1, 1, 1, 1));
        const Vector3 d = directions[face];
        tile.uvs = new Vector3Buffer(4, new Vector3[4]{d, d, d, d});
        Draw(tile);
    }
    ASSERT_EQ(renderer->SetTexture(0, volume.Get()), 0);
    const Binding volumeBound = Bound(GL_TEXTURE_BINDING_3D, GL_TEXTURE_3D);
    EXPECT_TRUE(volumeBound.name != 0 && volumeBound.enabled && !glIsEnabled(GL_TEXTURE_CUBE_MAP));
    for (int slice = 0; slice < 4; ++slice)
    {
        const float r = (static_cast<float>(slice) + 0.5f) / 4.0f;
        Mesh tile = Rectangle(-1.0f + slice * 0.5f, -1, -0.5f + slice * 0.5f, 0, Vector4(1, 1, 1, 1));
        tile.uvs = new Vector3Buffer(4, new Vector3[4]{Vector3(0.25f, 0.25f, r), Vector3(0.75f, 0.25f, r),
                                                        Vector3(0.75f, 0.75f, r), Vector3(0.25f, 0.75f, r)});
        Draw(tile);
    }
    End();
    EXPECT_EQ(cube->GetMipLevels(), 2u);   // 2 x 2 faces: the full chain
    EXPECT_EQ(volume->GetMipLevels(), 3u); // 2 x 2 x 4 halves down to 1 x 1 x 1
    for (int face = 0; face < 6; ++face)
        ExpectNear(AtClip(-1.0f + (face + 0.5f) / 3.0f, 0.5f), tints[face], 0, "face " + std::to_string(face));
    for (int slice = 0; slice < 4; ++slice)
        ExpectNear(AtClip(-0.75f + slice * 0.5f, -0.5f), tints[slice], 0, "slice " + std::to_string(slice));
}

TEST_F(GLTexturesTest, MipChainAndCompressedUploadReportWhatTheDeviceMade)
{
    Begin();
    // A full chain (the long side down to 1) when asked for more; the
    // request kept otherwise; 0 levels give the full chain (packed below).
    Ptr<Texture> wide = new Texture(String("wide"));
    ASSERT_EQ(wide->SetImage(SolidImage(16, 4, Rgb{10, 20, 30}).Get()), 0);
    wide->SetMipLevels(20);
    ASSERT_EQ(renderer->SetTexture(0, wide.Get()), 0);
    EXPECT_EQ(wide->GetMipLevels(), 5u);
    EXPECT_FALSE(wide->IsChanged());
    Ptr<Texture> shortChain = new Texture(String("short"));
    ASSERT_EQ(shortChain->SetImage(SolidImage(16, 4, Rgb{10, 20, 30}).Get()), 0);
    shortChain->SetMipLevels(2);
    ASSERT_EQ(renderer->SetTexture(0, shortChain.Get()), 0);
    EXPECT_EQ(shortChain->GetMipLevels(), 2u);
    GLint maxLevel = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, &maxLevel);
    EXPECT_EQ(maxLevel, 1);

    if (!renderer->GetDevice()->HasExtension("GL_EXT_texture_compression_s3tc"))
    {
        End();
        GTEST_SKIP() << "the device has no DXT1 storage";
    }
    const Rgb solid{200, 100, 50};
    Ptr<Texture> packed = new Texture(String("packed"));
    ASSERT_EQ(packed->SetImage(SolidImage(8, 8, solid).Get()), 0);
    packed->SetCompress(true);
    state->stages[0].minFilter = TextureFilter::LinearMipLinear;
    ASSERT_EQ(renderer->SetTexture(0, packed.Get()), 0);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_COMPRESSED_RGB_S3TC_DXT1_EXT);
    EXPECT_EQ(packed->GetMipLevels(), 4u);
    Draw(Rectangle(-1, -1, 1, 1, Vector4(1, 1, 1, 1)));
    End();
    // Five and six bits per channel: within a step of the 5-6-5 grid.
    ExpectNear(AtClip(0.0f, 0.0f), solid, 8, "compressed");
}

TEST_F(GLTexturesTest, UnusableImageIsReportedOnceAndLeavesTheStageUnbound)
{
    Ptr<Texture> empty = new Texture(String("nothing"));
    Ptr<Texture> unsupported = new Texture(String("deep"));
    ASSERT_EQ(unsupported->SetImage(new Image(String("deep"), Image::kPixel64, 2, 2)), 0);
    Begin();
    LogCapture capture;
    for (Texture* texture : {empty.Get(), unsupported.Get()})
    {
        EXPECT_EQ(renderer->SetTexture(0, texture), 1);
        EXPECT_EQ(Bound(), Binding{});
        EXPECT_EQ(renderer->SetTexture(0, texture), 1); // quietly, until the pixels change
    }
    EXPECT_EQ(capture.Lines().size(), 2u);
    EXPECT_TRUE(capture.Contains("Невозможно обновить изображение текстуры [nothing]."));
    EXPECT_TRUE(capture.Contains("Невозможно обновить изображение текстуры [deep]."));
    EXPECT_EQ(renderer->SetTexture(8, empty.Get()), 3);
    End();
}

TEST_F(GLTexturesTest, ReleasedTexturesLeaveNoDeviceCopy)
{
    Begin();
    Ptr<Texture> texture = new Texture(String("gone"));
    ASSERT_EQ(texture->SetImage(SolidImage(2, 2, Rgb{1, 2, 3}).Get()), 0);
    ASSERT_EQ(renderer->SetTexture(0, texture.Get()), 0);
    const GLuint first = static_cast<GLuint>(Bound().name);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(texture->GetDeviceRenderer(), renderer);

    // A new image drops the old copy and the old chain; the next bind makes
    // another of the new image's full chain.
    ASSERT_EQ(texture->GetMipLevels(), 2u);
    ASSERT_EQ(texture->SetImage(SolidImage(4, 4, Rgb{4, 5, 6}).Get()), 0);
    EXPECT_EQ(texture->GetDeviceHandle(), nullptr);
    EXPECT_TRUE(texture->IsChanged());
    EXPECT_FALSE(glIsTexture(first));
    EXPECT_EQ(Bound(), Binding{});
    ASSERT_EQ(renderer->SetTexture(0, texture.Get()), 0);
    const GLuint second = static_cast<GLuint>(Bound().name);
    ASSERT_NE(second, 0u);
    EXPECT_EQ(texture->GetMipLevels(), 3u);

    // Destroyed while bound: the copy goes with it.
    texture = nullptr;
    EXPECT_FALSE(glIsTexture(second));
    EXPECT_EQ(Bound().name, 0);
    End();
}

TEST_F(GLTexturesTest, TargetIsNotBoundWhileDrawnInto)
{
    Ptr<Texture> target = new Texture(String("mirror"));
    ASSERT_EQ(target->SetImage(new Image(String("size"), Image::kPixel32, 32, 16)), 0);
    Begin();
    ASSERT_EQ(renderer->SetRenderTarget(target.Get()), 0);
    ASSERT_EQ(renderer->SetRenderTarget(nullptr), 0);
    EXPECT_EQ(target->GetMipLevels(), 1u);
    ASSERT_EQ(renderer->SetTexture(0, target.Get()), 0);
    const GLint name = Bound().name;
    ASSERT_NE(name, 0);

    // Pushing it lets go of the stage that showed it; binding it again
    // while it is drawn into does nothing.
    ASSERT_EQ(renderer->SetRenderTarget(target.Get()), 0);
    EXPECT_EQ(Bound(), Binding{});
    EXPECT_EQ(renderer->SetTexture(0, target.Get()), 0);
    EXPECT_EQ(Bound(), Binding{});
    ASSERT_EQ(renderer->SetRenderTarget(nullptr), 0);
    ASSERT_EQ(renderer->SetTexture(0, target.Get()), 0);
    EXPECT_EQ(Bound(), (Binding{name, true}));

    // A lost device keeps nothing: the frame is refused and the copy goes.
    End();
    renderer->GetDevice()->ForceLoss();
    EXPECT_EQ(renderer->BeginFrame(), 1);
    EXPECT_EQ(target->GetDeviceHandle(), nullptr);
}

TEST_F(GLTexturesTest, TargetStackRestoresFramebufferViewportAndBias)
{
    Ptr<Texture> colour = new Texture(String("colour"));
    ASSERT_EQ(colour->SetImage(new Image(String("size"), Image::kPixel32, 64, 32)), 0);
    Ptr<Texture> depth = new Texture(String("depth"));
    ASSERT_EQ(depth->SetImage(new Image(String("size"), Image::kPixel32, 64, 32)), 0);
    Begin();
    const TargetState screen = ReadTargetState();
    EXPECT_EQ(static_cast<GLuint>(screen.framebuffer), renderer->GetDevice()->BackBufferFramebuffer());
    const int deviceHeight = renderer->GetDevice()->Height();

    ASSERT_EQ(renderer->SetRenderTarget(colour.Get()), 0);
    const TargetState drawn = ReadTargetState();
    EXPECT_NE(drawn.framebuffer, screen.framebuffer);
    EXPECT_EQ(drawn, (TargetState{drawn.framebuffer, {0, 0, 64, 32}}));
    // Viewports count rows from the top of the picture: a target's rows
    // already run that way, the back buffer's (below) the other.
    ASSERT_EQ(renderer->SetViewport(Vector2(8.4f, 4.0f), Vector2(16.0f, 7.6f)), 0);
    EXPECT_EQ(ReadTargetState(), (TargetState{drawn.framebuffer, {8, 4, 16, 8}}));
    ASSERT_EQ(renderer->SetViewport(Vector2(0.0f, 0.0f), Vector2(64.0f, 32.0f)), 0);

    ASSERT_EQ(renderer->SetDepthRenderTarget(depth.Get(), 100.0f, 2.0f), 0);
    const TargetState biased = ReadTargetState();
    EXPECT_EQ(biased, (TargetState{biased.framebuffer, {0, 0, 64, 32}, 100.0f, 2.0f, true}));
    EXPECT_TRUE(renderer->GetDevice()->Functions().checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE);
    // The colour picture stays the one below.
    renderer->Clear(3, Vector4(1, 0, 0, 1), 1.0f, 0);
    ASSERT_EQ(renderer->SetDepthRenderTarget(nullptr, 0.0f, 0.0f), 0);
    EXPECT_EQ(ReadTargetState(), drawn);
    ASSERT_EQ(renderer->SetRenderTarget(nullptr), 0);
    EXPECT_EQ(ReadTargetState(), screen);

    ASSERT_EQ(renderer->SetViewport(Vector2(8.0f, 4.0f), Vector2(16.0f, 8.0f)), 0);
    EXPECT_EQ(ReadTargetState().viewport, (std::array<GLint, 4>{8, deviceHeight - 12, 16, 8}));
    EXPECT_EQ(renderer->SetViewport(Vector2(0.0f, 0.0f), Vector2(-1.0f, 8.0f)), 3);
    glViewport(screen.viewport[0], screen.viewport[1], screen.viewport[2], screen.viewport[3]);

    // A target whose image has no rows takes the screen's size.
    Ptr<Texture> flat = new Texture(String("flat"));
    ASSERT_EQ(flat->SetImage(new Image(String("size"), Image::kPixel32, 32, 0)), 0);
    ASSERT_EQ(renderer->SetRenderTarget(flat.Get()), 0);
    EXPECT_EQ(ReadTargetState().viewport, (std::array<GLint, 4>{0, 0, renderer->GetDevice()->Width(), deviceHeight}));
    ASSERT_EQ(renderer->SetRenderTarget(nullptr), 0);

    ASSERT_EQ(renderer->SetTexture(0, colour.Get()), 0);
    std::vector<uint8_t> cleared(64 * 32 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, cleared.data());
    EXPECT_EQ(cleared[0], 255);
    EXPECT_EQ(cleared[1], 0);

    // One pop too many is refused and changes nothing.
    LogCapture capture;
    EXPECT_EQ(renderer->SetRenderTarget(nullptr), 3);
    EXPECT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(ReadTargetState(), screen);
    End();
}

// queries and capabilities ------------------------------------------------------------

// Right after the driver line, one line per capability in a fixed order,
// as llvmpipe answers them: programs never beyond 2.0, DXT2 and DXT4 never.
// VERNALIA_SHADER_LEVELS=V,P replaces the detected levels, and the lines
// show the replacement; anything else is logged and the detected 1, 1 stay.
TEST_F(GLRendererCapabilities, ShaderLevelsFromTheEnvironmentReplaceTheDetectedOnes)
{
    struct Case
    {
        const char* value;
        ShaderLevel vertex, pixel;
        bool warned;
    };
    using enum ShaderLevel;
    const Case cases[] = {{"0,4", Model1, None, false}, {"2,0", Model3, Model1, false},
                          {"1,3", Model2, Model2, true},  {"4,4,4", Model2, Model2, true},
                          {"4;4", Model2, Model2, true},  {"", Model2, Model2, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string("value [") + c.value + "]");
        ScopedEnvironment levels("VERNALIA_SHADER_LEVELS", c.value);
        if (&c != cases)
            TearDown(); // the renderer of the case before
        LogCapture log;
        OpenRenderer("levels");
        if (!Opened())
            return;
        EXPECT_EQ(renderer->GetCaps().vertexShaderLevel, c.vertex);
        EXPECT_EQ(renderer->GetCaps().pixelShaderLevel, c.pixel);
        EXPECT_TRUE(log.Contains(("VERTEX SHADER " + std::to_string(ToInt(c.vertex))).c_str()));
        EXPECT_TRUE(log.Contains(("PIXEL SHADER " + std::to_string(ToInt(c.pixel))).c_str()));
        EXPECT_EQ(log.Count("VERNALIA_SHADER_LEVELS"), c.warned ? 1u : 0u);
    }
}

TEST_F(GLRendererCapabilities, LinesFollowTheDriverLineInOrderWithTheirValues)
{
    LogCapture log;
    OpenRenderer("caps");
    if (!Opened())
        return;
    std::vector<std::string> want = {
        "Simultaneous Textures [8]", "Max Active Lights [8]", "Volume Textures [true]", "Cube Textures [true]",
        "Projected Textures [true]", "VERTEX SHADER 1", "PIXEL SHADER 1", "Point Sprites [true]",
        "Occlusion Query [true]", "Hardware Shadowmaps [true]", "A16B16G16R16F Textures [true]",
    };
    for (const char* kind : {" RenderTarget", " CubeRenderTarget"})
        for (const char* format : {"A8", "A16B16G16R16", "R8G8B8", "R8G8B8A8"})
            want.push_back(std::string(format) + kind + " Textures MipMap Autogen support[true]");
    for (int i = 1; i <= 5; ++i)
        want.push_back("DXT" + std::to_string(i) + " texture compression support[" + (i % 2 ? "true]" : "false]"));
    std::vector<std::string> texts;
    for (const LogCapture::Line& line : log.Lines())
        texts.push_back(line.text);
    const auto driver = std::find_if(texts.begin(), texts.end(),
                                     [](const std::string& t) { return t.find("Driver [") != std::string::npos; });
    ASSERT_NE(driver, texts.end()) << "no driver line";
    ASSERT_LE(want.size(), static_cast<size_t>(texts.end() - driver - 1)) << "lines missing";
    EXPECT_EQ(std::vector<std::string>(driver + 1, driver + 1 + static_cast<ptrdiff_t>(want.size())), want);
    // The fields say what the lines say.
    const DeviceCaps& caps = renderer->GetCaps();
    EXPECT_EQ(caps.vertexShaderLevel, ShaderLevel::Model2);
    EXPECT_EQ(caps.pixelShaderLevel, ShaderLevel::Model2);
    EXPECT_TRUE(caps.occlusionQueries && caps.targetMipAutogen[3] && caps.compression[4] && !caps.compression[3]);
    EXPECT_EQ(caps.programTextures, 8) << "llvmpipe's image units, as many as the engine has stages";
}

TEST_F(GLRendererQueries, CountsThePixelsOfAQuadAndNoneBehindANearerOne)
{
    ASSERT_TRUE(renderer->GetCaps().occlusionQueries) << "llvmpipe offers occlusion queries";
    Ptr<OcclusionQuery> query = new OcclusionQuery();
    Begin();

    EXPECT_EQ(Count(query.Get(), 10, 20, 64, 32, 0.75f), 64u * 32u);

    // A nearer rectangle hides a farther one of the same place entirely,
    // and of a larger one all but what lies outside it.
    EXPECT_EQ(Count(query.Get(), 200, 100, 50, 40, 0.25f), 50u * 40u);
    EXPECT_EQ(Count(query.Get(), 200, 100, 50, 40, 0.5f), 0u);
    EXPECT_EQ(Count(query.Get(), 190, 100, 70, 40, 0.5f), 70u * 40u - 50u * 40u);
    // In front of it, everything counts again.
    EXPECT_EQ(Count(query.Get(), 200, 100, 50, 40, 0.05f), 50u * 40u);

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
    Draw(Rectangle(-1, -1, -1 + 16.0f / static_cast<float>(width), -1 + 16.0f / static_cast<float>(height),
                   Vector4(1, 1, 1, 1)),
         false);
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
    ASSERT_EQ(Count(query.Get(), 0, 0, 4, 4, 0.5f), 16u);
    void* handle = query->GetDeviceHandle();
    EXPECT_NE(handle, nullptr);
    EXPECT_EQ(query->GetDeviceRenderer(), renderer);
    EXPECT_EQ(renderer->GetRefCount(), heldBefore + 1);
    ASSERT_EQ(Count(query.Get(), 0, 0, 5, 4, 0.25f), 20u);
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
    EXPECT_EQ(Count(query.Get(), 0, 0, 6, 2, 0.5f), 12u);
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
    ASSERT_EQ(Count(query.Get(), 0, 0, 2, 2, 0.5f), 4u);
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
