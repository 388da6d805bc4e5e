#include "engine/render/gl/GLRenderer.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include "engine/image/Image.h"
#include "engine/image/VolumeImage.h"
#include "engine/core/Vector2.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/RenderTextureController.h"
#include "engine/render/Texture.h"
#include "engine/render/VolumeTexture.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLFunctions.h"
#include "support/HeadlessRenderer.h"
#include "support/LogCapture.h"

namespace
{

// glMultiTexCoord3f, fetched: the Linux ABI promises no GL 1.3 symbols.
using MultiTexCoord3f = void(APIENTRYP)(GLenum unit, GLfloat s, GLfloat t, GLfloat r);

// A flat image whose pixels are given as RGB triples row by row, top first.
Ptr<Image> RgbImage(uint32_t width, uint32_t height, const std::vector<Rgb>& texels)
{
    Ptr<Image> image = new Image(String("pixels"), Image::kPixel24, width, height);
    for (size_t i = 0; i < texels.size(); ++i)
    {
        image->GetData()[i * 3] = static_cast<uint8_t>(texels[i].r);
        image->GetData()[i * 3 + 1] = static_cast<uint8_t>(texels[i].g);
        image->GetData()[i * 3 + 2] = static_cast<uint8_t>(texels[i].b);
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

// +x, -x, +y, -y, +z, -z
const Rgb kFaceColours[6] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
const float kFaceDirections[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};

// The OpenGL renderer open headless, with helpers that draw screen-aligned
// quads straight through GL so that what is checked is the texture side
// alone: its uploads, bindings, sampler state and targets.
class GLTexturesTest : public HeadlessRendererTest
{
protected:
    void SetUp() override
    {
        OpenRenderer("textures");
        if (!Opened())
            return;
        multiTexCoord3f = reinterpret_cast<MultiTexCoord3f>(eglGetProcAddress("glMultiTexCoord3f"));
        ASSERT_NE(multiTexCoord3f, nullptr);
    }

    const GLFunctions& Gl() const { return renderer->GetDevice()->Functions(); }

    // Sampler state for one stage the way a pass sets it.
    void Sample(uint32_t stage, AddressMode address, TextureFilter filter, const Vector4& border = Vector4(0, 1, 0, 1))
    {
        state = new RenderStateBlock(String("sampling"));
        state->cullEnabled = false;
        state->depthEnabled = false;
        RenderStateBlock::TextureStage& s = state->stages[stage];
        s.addressU = s.addressV = s.addressW = address;
        s.minFilter = s.magFilter = filter;
        s.borderColour = border;
        s.combine = StageCombine::Modulate;
        ASSERT_EQ(renderer->ApplyStateBlock(state.Get()), 0);
    }

    // Identity transforms, no depth, blending or lighting: a quad in clip
    // coordinates lands where it is given, in the vertex colour white.
    void PlainState()
    {
        for (GLenum unit = 0; unit < 8; ++unit)
        {
            Gl().activeTexture(GL_TEXTURE0 + unit);
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            glDisable(GL_TEXTURE_GEN_S);
            glDisable(GL_TEXTURE_GEN_T);
            glDisable(GL_TEXTURE_GEN_R);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        }
        Gl().activeTexture(GL_TEXTURE0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glColor4f(1, 1, 1, 1);
    }

    // A quad over clip x0..x1 (left to right), y0..y1 (top to bottom) whose
    // coordinates on unit run from (u0, v0) at the top left to (u1, v1) at
    // the bottom right, with a third coordinate r throughout.
    void Quad(GLenum unit, float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
              float r = 0.0f)
    {
        glBegin(GL_QUADS);
        multiTexCoord3f(GL_TEXTURE0 + unit, u0, v0, r);
        glVertex2f(x0, y0);
        multiTexCoord3f(GL_TEXTURE0 + unit, u1, v0, r);
        glVertex2f(x1, y0);
        multiTexCoord3f(GL_TEXTURE0 + unit, u1, v1, r);
        glVertex2f(x1, y1);
        multiTexCoord3f(GL_TEXTURE0 + unit, u0, v1, r);
        glVertex2f(x0, y1);
        glEnd();
    }

    // What unit 0 has bound for a target, and whether the target is on.
    GLint BoundOnUnit(GLenum unit, GLenum binding, GLenum target, bool& enabled) const
    {
        GLint name = 0;
        Gl().activeTexture(GL_TEXTURE0 + unit);
        glGetIntegerv(binding, &name);
        enabled = glIsEnabled(target) == GL_TRUE;
        Gl().activeTexture(GL_TEXTURE0);
        return name;
    }

    // The RGBA bytes of level 0 of a 2D texture or a cube face (face
    // target), read straight from the texture, top row (v = 0) first.
    std::vector<uint8_t> TexturePixels(GLenum bindingTarget, GLenum imageTarget, GLuint name, int columns, int rows)
    {
        std::vector<uint8_t> rgba(static_cast<size_t>(columns) * static_cast<size_t>(rows) * 4);
        glBindTexture(bindingTarget, name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(imageTarget, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        glBindTexture(bindingTarget, 0);
        return rgba;
    }

    Ptr<RenderStateBlock> state;
    MultiTexCoord3f multiTexCoord3f = nullptr;
};

} // namespace

TEST_F(GLTexturesTest, CubeCoordinatesPickTheFaceInDeviceOrder)
{
    Ptr<VolumeImage> faces = SolidSlices(std::vector<Rgb>(std::begin(kFaceColours), std::end(kFaceColours)));
    Ptr<CubeTexture> cube = new CubeTexture(String("sky"));
    ASSERT_EQ(cube->SetImage(faces.Get()), 0);
    Begin();
    Sample(0, AddressMode::Clamp, TextureFilter::Nearest);
    ASSERT_EQ(renderer->SetTexture(0, cube.Get()), 0);
    bool enabled = false;
    EXPECT_NE(BoundOnUnit(0, GL_TEXTURE_BINDING_CUBE_MAP, GL_TEXTURE_CUBE_MAP, enabled), 0);
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    PlainState();
    // Six quads in a 3 x 2 grid, one direction each.
    for (int face = 0; face < 6; ++face)
    {
        const float x0 = -1.0f + static_cast<float>(face % 3) * (2.0f / 3.0f);
        const float y0 = 1.0f - static_cast<float>(face / 3);
        const float(&d)[3] = kFaceDirections[face];
        Quad(0, x0, y0, x0 + 2.0f / 3.0f, y0 - 1.0f, d[0], d[1], d[0], d[1], d[2]);
    }
    End();
    EXPECT_EQ(cube->GetMipLevels(), 2u); // 2 x 2 faces: the full chain
    for (int face = 0; face < 6; ++face)
    {
        const float cx = -1.0f + (static_cast<float>(face % 3) + 0.5f) * (2.0f / 3.0f);
        const float cy = 0.5f - static_cast<float>(face / 3);
        const Rgb got = AtClip(cx, cy);
        EXPECT_TRUE(Near(got, kFaceColours[face], 0)) << "face " << face << " got " << got;
    }
}

TEST_F(GLTexturesTest, VolumeCoordinatePicksTheSlice)
{
    const std::vector<Rgb> colours = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {90, 90, 90}};
    Ptr<VolumeTexture> volume = new VolumeTexture(String("fog"));
    ASSERT_EQ(volume->SetImage(SolidSlices(colours).Get()), 0);
    Begin();
    Sample(0, AddressMode::Clamp, TextureFilter::Nearest);
    ASSERT_EQ(renderer->SetTexture(0, volume.Get()), 0);
    bool enabled = false;
    EXPECT_NE(BoundOnUnit(0, GL_TEXTURE_BINDING_3D, GL_TEXTURE_3D, enabled), 0);
    EXPECT_TRUE(enabled);
    PlainState();
    for (int slice = 0; slice < 4; ++slice)
    {
        const float x0 = -1.0f + static_cast<float>(slice) * 0.5f;
        const float r = (static_cast<float>(slice) + 0.5f) / 4.0f;
        Quad(0, x0, 1, x0 + 0.5f, -1, 0.25f, 0.25f, 0.75f, 0.75f, r);
    }
    End();
    EXPECT_EQ(volume->GetMipLevels(), 3u); // 2 x 2 x 4 halves down to 1 x 1 x 1
    for (int slice = 0; slice < 4; ++slice)
    {
        const Rgb got = AtClip(-0.75f + static_cast<float>(slice) * 0.5f, 0.0f);
        EXPECT_TRUE(Near(got, colours[static_cast<size_t>(slice)], 0)) << "slice " << slice << " got " << got;
    }
}

TEST_F(GLTexturesTest, MipChainAndCompressedUploadReportWhatTheDeviceMade)
{
    Begin();
    // A full chain when asked for 0 levels; the request kept otherwise.
    Ptr<Texture> wide = new Texture(String("wide"));
    ASSERT_EQ(wide->SetImage(RgbImage(16, 4, std::vector<Rgb>(64, Rgb{10, 20, 30})).Get()), 0);
    ASSERT_EQ(wide->GetMipLevels(), 0u);
    ASSERT_EQ(renderer->SetTexture(0, wide.Get()), 0);
    EXPECT_EQ(wide->GetMipLevels(), 5u);
    EXPECT_FALSE(wide->IsChanged());
    Ptr<Texture> shortChain = new Texture(String("short"));
    ASSERT_EQ(shortChain->SetImage(RgbImage(16, 4, std::vector<Rgb>(64, Rgb{10, 20, 30})).Get()), 0);
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
    ASSERT_EQ(packed->SetImage(RgbImage(8, 8, std::vector<Rgb>(64, solid)).Get()), 0);
    packed->SetCompress(true);
    Sample(0, AddressMode::Wrap, TextureFilter::LinearMipLinear);
    ASSERT_EQ(renderer->SetTexture(0, packed.Get()), 0);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_COMPRESSED_RGB_S3TC_DXT1_EXT);
    EXPECT_EQ(packed->GetMipLevels(), 4u);
    PlainState();
    Quad(0, -1, 1, 1, -1, 0, 0, 1, 1);
    End();
    // Five and six bits per channel: within a step of the 5-6-5 grid.
    const Rgb got = AtClip(0.0f, 0.0f);
    EXPECT_TRUE(Near(got, solid, 8)) << got;
}

TEST_F(GLTexturesTest, UnusableImageIsReportedOnceAndLeavesTheStageUnbound)
{
    Ptr<Texture> empty = new Texture(String("nothing"));
    Ptr<Image> deep = new Image(String("deep"), Image::kPixel64, 2, 2);
    Ptr<Texture> unsupported = new Texture(String("deep"));
    ASSERT_EQ(unsupported->SetImage(deep.Get()), 0);
    Begin();
    LogCapture capture;
    for (Texture* texture : {empty.Get(), unsupported.Get()})
    {
        EXPECT_EQ(renderer->SetTexture(0, texture), 1);
        bool enabled = true;
        EXPECT_EQ(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled), 0);
        EXPECT_FALSE(enabled);
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
    ASSERT_EQ(texture->SetImage(RgbImage(2, 2, std::vector<Rgb>(4, Rgb{1, 2, 3})).Get()), 0);
    ASSERT_EQ(renderer->SetTexture(0, texture.Get()), 0);
    bool enabled = false;
    const GLuint first = static_cast<GLuint>(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled));
    ASSERT_NE(first, 0u);
    EXPECT_EQ(texture->GetDeviceRenderer(), renderer);

    // A new image drops the old copy; the next bind makes another.
    ASSERT_EQ(texture->SetImage(RgbImage(2, 2, std::vector<Rgb>(4, Rgb{4, 5, 6})).Get()), 0);
    EXPECT_EQ(texture->GetDeviceHandle(), nullptr);
    EXPECT_FALSE(glIsTexture(first));
    EXPECT_EQ(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled), 0);
    EXPECT_FALSE(enabled);
    ASSERT_EQ(renderer->SetTexture(0, texture.Get()), 0);
    const GLuint second = static_cast<GLuint>(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled));
    ASSERT_NE(second, 0u);

    // Destroyed while bound: the copy goes with it.
    texture = nullptr;
    EXPECT_FALSE(glIsTexture(second));
    EXPECT_EQ(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled), 0);

    // A target's copy goes the same way.
    Ptr<Texture> target = new Texture(String("target"));
    ASSERT_EQ(renderer->SetRenderTarget(target.Get()), 0);
    ASSERT_EQ(renderer->SetRenderTarget(nullptr), 0);
    ASSERT_EQ(renderer->SetTexture(0, target.Get()), 0);
    const GLuint drawn = static_cast<GLuint>(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled));
    ASSERT_NE(drawn, 0u);
    target = nullptr;
    EXPECT_FALSE(glIsTexture(drawn));
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
    bool enabled = false;
    const GLint name = BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled);
    ASSERT_NE(name, 0);

    // Pushing it lets go of the stage that showed it; binding it again
    // while it is drawn into does nothing.
    ASSERT_EQ(renderer->SetRenderTarget(target.Get()), 0);
    EXPECT_EQ(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled), 0);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(renderer->SetTexture(0, target.Get()), 0);
    EXPECT_EQ(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled), 0);
    EXPECT_FALSE(enabled);
    ASSERT_EQ(renderer->SetRenderTarget(nullptr), 0);
    ASSERT_EQ(renderer->SetTexture(0, target.Get()), 0);
    EXPECT_EQ(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled), name);
    EXPECT_TRUE(enabled);
    End();
}

TEST_F(GLTexturesTest, TargetStackRestoresFramebufferViewportAndBias)
{
    Ptr<Texture> colour = new Texture(String("colour"));
    ASSERT_EQ(colour->SetImage(new Image(String("size"), Image::kPixel32, 64, 32)), 0);
    Ptr<Texture> depth = new Texture(String("depth"));
    ASSERT_EQ(depth->SetImage(new Image(String("size"), Image::kPixel32, 64, 32)), 0);
    Begin();
    GLint backBuffer = 0, outer[4] = {}, now[4] = {};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &backBuffer);
    EXPECT_EQ(static_cast<GLuint>(backBuffer), renderer->GetDevice()->BackBufferFramebuffer());
    glGetIntegerv(GL_VIEWPORT, outer);

    ASSERT_EQ(renderer->SetRenderTarget(colour.Get()), 0);
    GLint colourBuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &colourBuffer);
    EXPECT_NE(colourBuffer, backBuffer);
    glGetIntegerv(GL_VIEWPORT, now);
    EXPECT_EQ(now[2], 64);
    EXPECT_EQ(now[3], 32);
    // Viewports count rows from the top of the picture: a target's rows
    // already run that way, the back buffer's (below) the other.
    ASSERT_EQ(renderer->SetViewport(Vector2(8.4f, 4.0f), Vector2(16.0f, 7.6f)), 0);
    glGetIntegerv(GL_VIEWPORT, now);
    EXPECT_EQ(now[0], 8);
    EXPECT_EQ(now[1], 4);
    EXPECT_EQ(now[2], 16);
    EXPECT_EQ(now[3], 8);
    ASSERT_EQ(renderer->SetViewport(Vector2(0.0f, 0.0f), Vector2(64.0f, 32.0f)), 0);

    ASSERT_EQ(renderer->SetDepthRenderTarget(depth.Get(), 100.0f, 2.0f), 0);
    GLfloat units = 0, factor = 0;
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    EXPECT_EQ(units, 100.0f);
    EXPECT_EQ(factor, 2.0f);
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    EXPECT_EQ(Gl().checkFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    // The colour picture stays the one below.
    renderer->Clear(3, Vector4(1, 0, 0, 1), 1.0f, 0);

    ASSERT_EQ(renderer->SetDepthRenderTarget(nullptr, 0.0f, 0.0f), 0);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    EXPECT_EQ(units, 0.0f);
    EXPECT_EQ(factor, 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    GLint restored = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &restored);
    EXPECT_EQ(restored, colourBuffer);

    ASSERT_EQ(renderer->SetRenderTarget(nullptr), 0);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &restored);
    EXPECT_EQ(restored, backBuffer);
    glGetIntegerv(GL_VIEWPORT, now);
    EXPECT_EQ(std::memcmp(now, outer, sizeof(now)), 0);
    ASSERT_EQ(renderer->SetViewport(Vector2(8.0f, 4.0f), Vector2(16.0f, 8.0f)), 0);
    glGetIntegerv(GL_VIEWPORT, now);
    EXPECT_EQ(now[1], renderer->GetDevice()->Height() - 12);
    EXPECT_EQ(renderer->SetViewport(Vector2(0.0f, 0.0f), Vector2(-1.0f, 8.0f)), 3);
    glViewport(outer[0], outer[1], outer[2], outer[3]);

    ASSERT_EQ(renderer->SetTexture(0, colour.Get()), 0);
    bool enabled = false;
    const GLuint name = static_cast<GLuint>(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled));
    const std::vector<uint8_t> cleared = TexturePixels(GL_TEXTURE_2D, GL_TEXTURE_2D, name, 64, 32);
    EXPECT_EQ(cleared[0], 255);
    EXPECT_EQ(cleared[1], 0);

    // One pop too many is refused and changes nothing.
    LogCapture capture;
    EXPECT_EQ(renderer->SetRenderTarget(nullptr), 3);
    EXPECT_EQ(capture.Lines().size(), 1u);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &restored);
    EXPECT_EQ(restored, backBuffer);
    End();
}

TEST_F(GLTexturesTest, NonContinuousTargetRendersOnceAndAgainAfterLoss)
{
    Ptr<Texture> target = new Texture(String("once"));
    ASSERT_EQ(target->SetImage(new Image(String("size"), Image::kPixel32, 16, 16)), 0);
    Ptr<RenderTextureController> controller = new RenderTextureController(String("once"));
    controller->SetContinuous(false);
    target->SetController(controller.Get());

    for (int frame = 0; frame < 2; ++frame)
    {
        renderer->QueuePreRender(controller.Get());
        Begin();
        End();
    }
    EXPECT_EQ(controller->GetRenderCount(), 1u);
    EXPECT_NE(target->GetDeviceHandle(), nullptr);

    // A lost device keeps nothing: the frame is refused and the target's
    // copy is gone, so the next device draws it again.
    renderer->GetDevice()->ForceLoss();
    renderer->QueuePreRender(controller.Get());
    EXPECT_EQ(renderer->BeginFrame(), 1);
    EXPECT_EQ(target->GetDeviceHandle(), nullptr);
    EXPECT_EQ(controller->GetRenderCount(), 1u);
    ASSERT_EQ(renderer->CloseWindow(), 0);
    ASSERT_EQ(OpenWindow("again"), 0);
    renderer->QueuePreRender(controller.Get());
    Begin();
    End();
    EXPECT_EQ(controller->GetRenderCount(), 2u);
    EXPECT_NE(target->GetDeviceHandle(), nullptr);
}

