#include "engine/render/gl/GLRenderer.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include "engine/EngineClasses.h"
#include "engine/codecs/Image.h"
#include "engine/codecs/VolumeImage.h"
#include "engine/core/Vector2.h"
#include "engine/core/EngineStartup.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/RenderCubeTextureController.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/RenderTextureController.h"
#include "engine/render/Texture.h"
#include "engine/render/VolumeTexture.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLFunctions.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/HeadlessGl.h"
#include "support/LogCapture.h"

namespace
{

// glMultiTexCoord3f, fetched: the Linux ABI promises no GL 1.3 symbols.
using MultiTexCoord3f = void(APIENTRYP)(GLenum unit, GLfloat s, GLfloat t, GLfloat r);

struct Rgb
{
    int r, g, b;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

bool Near(const Rgb& a, const Rgb& b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

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
class GLTexturesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        if (!HeadlessOpenGL(why))
            GTEST_SKIP() << "no headless OpenGL here: " << why;
        Renderer::SetHeadless(true);
        RegisterEngineClasses();
        ASSERT_EQ(InitializeEngine(), 0);
        started = true;
        ASSERT_EQ(CreateRenderer(String("OpenGL")), 0);
        renderer = static_cast<GLRenderer*>(GetRenderer());
        ASSERT_EQ(renderer->OpenWindow(renderer->GetDesktopMode(), String("textures"), 0, 0, 0, 640, 480), 0);
        multiTexCoord3f = reinterpret_cast<MultiTexCoord3f>(eglGetProcAddress("glMultiTexCoord3f"));
        ASSERT_NE(multiTexCoord3f, nullptr);
    }

    void TearDown() override
    {
        if (!started)
            return;
        DestroyRenderer();
        TerminateEngine();
    }

    const GLFunctions& Gl() const { return renderer->GetDevice()->Functions(); }

    void Begin(const Vector4& clear = Vector4(0, 0, 0, 1))
    {
        ASSERT_EQ(renderer->Clear(3, clear, 1.0f, 0), 0);
        ASSERT_EQ(renderer->BeginFrame(), 0);
    }

    void End()
    {
        ASSERT_EQ(renderer->EndFrame(), 0);
        ASSERT_TRUE(renderer->GetDevice()->ReadBackBuffer(pixels, width, height));
    }

    // Sampler state for one stage the way a pass sets it.
    void Sample(uint32_t stage, int32_t address, int32_t filter, const Vector4& border = Vector4(0, 1, 0, 1))
    {
        state = new RenderStateBlock(String("sampling"));
        state->cullEnabled = false;
        state->depthEnabled = false;
        RenderStateBlock::TextureStage& s = state->stages[stage];
        s.addressU = s.addressV = s.addressW = address;
        s.minFilter = s.magFilter = filter;
        s.borderColour = border;
        s.combine = 2;
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

    // A quad over the given clip rectangle with one 3-component coordinate.
    void DirectionQuad(float x0, float y0, float x1, float y1, const float (&direction)[3])
    {
        glBegin(GL_QUADS);
        const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (const auto& corner : corners)
        {
            multiTexCoord3f(GL_TEXTURE0, direction[0], direction[1], direction[2]);
            glVertex2f(corner[0], corner[1]);
        }
        glEnd();
    }

    // Read back after End: pixel (x, y) with row 0 at the top.
    Rgb At(int x, int y) const
    {
        const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
        return {pixels[at], pixels[at + 1], pixels[at + 2]};
    }

    // The pixel whose centre is nearest to clip point (cx, cy).
    Rgb AtClip(float cx, float cy) const
    {
        const int x = static_cast<int>((cx + 1.0f) * 0.5f * static_cast<float>(width));
        const int y = static_cast<int>((1.0f - cy) * 0.5f * static_cast<float>(height));
        return At(x < width ? x : width - 1, y < height ? y : height - 1);
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

    // A square facing the origin across the given axis at a distance, in
    // one colour, with culling off.
    Ptr<Triangles> Wall(const float (&axis)[3], float distance, float half, const Vector4& colour)
    {
        // Two directions across the axis.
        const Vector3 n(axis[0], axis[1], axis[2]);
        const Vector3 a = std::fabs(n.x) > 0.5f ? Vector3(0, 1, 0) : Vector3(1, 0, 0);
        const Vector3 b(n.y * a.z - n.z * a.y, n.z * a.x - n.x * a.z, n.x * a.y - n.y * a.x);
        const Vector3 c(n.x * distance, n.y * distance, n.z * distance);
        auto corner = [&](float s, float t) {
            return Vector3(c.x + (a.x * s + b.x * t) * half, c.y + (a.y * s + b.y * t) * half,
                           c.z + (a.z * s + b.z * t) * half);
        };
        Ptr<Triangles> node = new Triangles(String("wall"));
        node->SetVertices(new Vector3Buffer(4, new Vector3[4]{corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1)}));
        node->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
        Ptr<ColorEffect> effect = new ColorEffect(String("colour"));
        effect->SetColor(colour);
        effect->SetCullEnabled(false);
        node->SetEffect(effect.Get());
        node->UpdateModelBound();
        node->UpdateTree(0.0);
        return node;
    }

    bool started = false;
    GLRenderer* renderer = nullptr;
    Ptr<RenderStateBlock> state;
    MultiTexCoord3f multiTexCoord3f = nullptr;
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
};

// The texel an address mode picks for coordinate u on a 2-texel axis, or -1
// for the border colour.
int TexelFor(int32_t address, float u)
{
    switch (address)
    {
    case 0:
        return u < 0.5f ? 0 : 1;
    case 2:
        return u < 0.0f || u > 1.0f ? -1 : (u < 0.5f ? 0 : 1);
    default:
        return (u - std::floor(u)) < 0.5f ? 0 : 1;
    }
}

} // namespace

TEST_F(GLTexturesTest, AddressModesClampWrapAndBorderOnTheFirstAndSecondStage)
{
    // 2 x 2: red, green / blue, white.
    const std::vector<Rgb> texels = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    Ptr<Texture> texture = new Texture(String("checker"));
    ASSERT_EQ(texture->SetImage(RgbImage(2, 2, texels).Get()), 0);
    const Vector4 border(0.2f, 0.4f, 0.6f, 1.0f);
    const Rgb packedBorder{51, 102, 153};
    // Texel centres of the periods left of, inside and right of 0..1.
    const float samples[6] = {-0.75f, -0.25f, 0.25f, 0.75f, 1.25f, 1.75f};

    for (uint32_t stage : {0u, 1u})
        for (int32_t address : {0, 1, 2})
        {
            Begin();
            Sample(stage, address, 0, border);
            ASSERT_EQ(renderer->SetTexture(stage == 0 ? 1 : 0, nullptr), 0);
            ASSERT_EQ(renderer->SetTexture(stage, texture.Get()), 0);
            PlainState();
            Quad(stage, -1, 1, 1, -1, -1.0f, -1.0f, 2.0f, 2.0f); // u, v run -1..2 over the screen
            ASSERT_EQ(renderer->SetTexture(stage, nullptr), 0);
            End();
            for (float v : samples)
                for (float u : samples)
                {
                    const int column = TexelFor(address, u);
                    const int row = TexelFor(address, v);
                    const Rgb want = column < 0 || row < 0 ? packedBorder : texels[static_cast<size_t>(row * 2 + column)];
                    const Rgb got = AtClip((u + 1.0f) / 3.0f * 2.0f - 1.0f, 1.0f - (v + 1.0f) / 3.0f * 2.0f);
                    EXPECT_TRUE(Near(got, want, 0)) << "stage " << stage << " address " << address << " at (" << u
                                                    << ", " << v << "): got " << got << " want " << want;
                }
        }
}

TEST_F(GLTexturesTest, CubeCoordinatesPickTheFaceInDeviceOrder)
{
    Ptr<VolumeImage> faces = SolidSlices(std::vector<Rgb>(std::begin(kFaceColours), std::end(kFaceColours)));
    Ptr<CubeTexture> cube = new CubeTexture(String("sky"));
    ASSERT_EQ(cube->SetImage(faces.Get()), 0);
    Begin();
    Sample(0, 0, 0);
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
        DirectionQuad(x0, y0, x0 + 2.0f / 3.0f, y0 - 1.0f, kFaceDirections[face]);
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
    Sample(0, 0, 0);
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
    Sample(0, 1, 5);
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

TEST_F(GLTexturesTest, RenderedPictureLandsTopRowAtVZero)
{
    // The controller's camera looks along +z from the origin; a red wall
    // over the upper half of its view, the clear colour blue below.
    Ptr<Texture> target = new Texture(String("mirror"));
    ASSERT_EQ(target->SetImage(new Image(String("size"), Image::kPixel32, 64, 64)), 0);
    Ptr<RenderTextureController> controller = new RenderTextureController(String("mirror"));
    target->SetController(controller.Get());
    Ptr<Camera> eye = new Camera(String("eye"));
    ASSERT_EQ(controller->SetCamera(eye.Get()), 0);
    Ptr<Triangles> upper = new Triangles(String("upper"));
    upper->SetVertices(new Vector3Buffer(4, new Vector3[4]{Vector3(-100, 0, 5), Vector3(100, 0, 5), Vector3(100, 100, 5),
                                                           Vector3(-100, 100, 5)}));
    upper->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
    Ptr<ColorEffect> red = new ColorEffect(String("red"));
    red->SetColor(Vector4(1, 0, 0, 1));
    red->SetCullEnabled(false);
    upper->SetEffect(red.Get());
    upper->UpdateModelBound();
    upper->UpdateTree(0.0);
    controller->AddNode(upper.Get());

    renderer->QueuePreRender(controller.Get());
    Begin(Vector4(0, 0, 1, 1));
    EXPECT_EQ(controller->GetRenderCount(), 1u);
    EXPECT_NE(renderer->GetCamera(), eye.Get()); // the frame's own camera is back

    // Straight from the texture: row 0 is v = 0.
    ASSERT_EQ(renderer->SetTexture(0, target.Get()), 0);
    bool enabled = false;
    const GLuint name = static_cast<GLuint>(BoundOnUnit(0, GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D, enabled));
    const std::vector<uint8_t> stored = TexturePixels(GL_TEXTURE_2D, GL_TEXTURE_2D, name, 64, 64);
    auto texel = [&](int x, int y) {
        const size_t at = (static_cast<size_t>(y) * 64 + static_cast<size_t>(x)) * 4;
        return Rgb{stored[at], stored[at + 1], stored[at + 2]};
    };
    EXPECT_TRUE(Near(texel(32, 8), Rgb{255, 0, 0}, 0)) << texel(32, 8);
    EXPECT_TRUE(Near(texel(32, 56), Rgb{0, 0, 255}, 0)) << texel(32, 56);

    // And sampled onto the screen through the stage.
    Sample(0, 0, 0);
    ASSERT_EQ(renderer->SetTexture(0, target.Get()), 0);
    PlainState();
    Quad(0, -1, 1, 1, -1, 0, 0, 1, 1);
    End();
    EXPECT_TRUE(Near(AtClip(0.0f, 0.75f), Rgb{255, 0, 0}, 0)) << AtClip(0.0f, 0.75f);
    EXPECT_TRUE(Near(AtClip(0.0f, -0.75f), Rgb{0, 0, 255}, 0)) << AtClip(0.0f, -0.75f);
}

TEST_F(GLTexturesTest, CubeTargetFacesSeeAlongTheirAxes)
{
    Ptr<CubeTexture> target = new CubeTexture(String("env"));
    ASSERT_EQ(target->SetImage(new VolumeImage(String("size"), Image::kPixel32, 32, 32, 6)), 0);
    Ptr<RenderCubeTextureController> controller = new RenderCubeTextureController(String("env"));
    target->SetController(controller.Get());
    std::vector<Ptr<Triangles>> walls;
    for (int face = 0; face < 6; ++face)
    {
        const Rgb& c = kFaceColours[face];
        walls.push_back(Wall(kFaceDirections[face], 5.0f, 6.0f,
                             Vector4(static_cast<float>(c.r) / 255.0f, static_cast<float>(c.g) / 255.0f,
                                     static_cast<float>(c.b) / 255.0f, 1.0f)));
        controller->AddNode(walls.back().Get());
    }
    renderer->QueuePreRender(controller.Get());
    Begin();
    EXPECT_EQ(controller->GetRenderCount(), 1u);
    EXPECT_EQ(renderer->GetCamera() == controller->GetCubeCamera(), false);

    ASSERT_EQ(renderer->SetTexture(0, target.Get()), 0);
    bool enabled = false;
    const GLuint name = static_cast<GLuint>(BoundOnUnit(0, GL_TEXTURE_BINDING_CUBE_MAP, GL_TEXTURE_CUBE_MAP, enabled));
    ASSERT_NE(name, 0u);
    for (GLenum face = 0; face < 6; ++face)
    {
        const std::vector<uint8_t> stored =
            TexturePixels(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, name, 32, 32);
        const size_t centre = (16 * 32 + 16) * 4;
        const Rgb got{stored[centre], stored[centre + 1], stored[centre + 2]};
        EXPECT_TRUE(Near(got, kFaceColours[face], 0)) << "face " << face << " got " << got;
    }
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
    ASSERT_EQ(renderer->OpenWindow(renderer->GetDesktopMode(), String("again"), 0, 0, 0, 640, 480), 0);
    renderer->QueuePreRender(controller.Get());
    Begin();
    End();
    EXPECT_EQ(controller->GetRenderCount(), 2u);
    EXPECT_NE(target->GetDeviceHandle(), nullptr);
}

