// The post-render effects drawn by the OpenGL renderer (headless) at
// 1024 x 768: the letterbox band, the bloom's formula on a uniform picture,
// and a picture that goes through the bloom's textures unchanged.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/render/Bloom5PostRenderEffect.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "support/GoldenImage.h"

using namespace golden;

namespace
{

// Counts how often the scene under an effect is walked; its bound sits in
// front of the eye.
class CountingNode : public Node
{
public:
    void Draw(Renderer&) override { ++draws; }
    void UpdateWorldBound() override
    {
        auto* sphere = static_cast<SphereBoundingVolume*>(GetWorldBound());
        sphere->SetCenter(Vector3(0, 0, 20));
        sphere->SetRadius(1);
    }
    int draws = 0;
};

class PostRenderPixelTest : public GoldenImageRig
{
protected:
    void SetUp() override
    {
        OpenRenderer("post", 1024, 768);
        if (!Opened())
            return;
        camera = new Camera(String("eye"));
        camera->SetNearDistance(0.5f);
        camera->SetFarDistance(200.0f);
    }

    // A root with effect over a wall filling the view: colour on the left
    // half, below it green in the top-right quarter and blue in the
    // bottom-right, so a flip or a shift shows.
    Ptr<SceneNode> Scene(SceneNodeEffect* effect, const Vector4& colour, bool uniform)
    {
        Ptr<SceneNode> root = new SceneNode(String("root"), 4, 2);
        root->AttachChild(MakeRectangle("left", -100, 100, uniform ? 100 : 0, -100, 20, colour).Get());
        if (!uniform)
        {
            root->AttachChild(MakeRectangle("top right", 0, 100, 100, 0, 20, Vector4(0, 0.6f, 0.2f, 1)).Get());
            root->AttachChild(MakeRectangle("bottom right", 0, 0, 100, -100, 20, Vector4(0.2f, 0, 1, 1)).Get());
        }
        if (effect)
            root->AddEffect(effect);
        return root;
    }

    std::vector<uint8_t> Picture() const { return pixels; }
};

TEST_F(PostRenderPixelTest, UniformColourTakesTheBloomFormula)
{
    if (!Opened())
        GTEST_SKIP();
    // Colours of whole 8-bit steps, so the screen texture holds them as they
    // are.
    const Colour s{102 / 255.0f, 153 / 255.0f, 51 / 255.0f};
    struct Case
    {
        const char* name;
        Colour scene;
        float threshold, luminanceWeight, bloomWeight, sceneWeight;
        Vector4 tint;
    } const cases[] = {
        {"bright enough", s, 0.3f, 0.5f, 0.25f, 0.5f, {1.0f, 0.8f, 0.6f, 1.0f}},
        {"too dark", s, 0.6f, 0.5f, 0.25f, 0.5f, {1.0f, 0.8f, 0.6f, 1.0f}},
        {"pure blue", {0, 0, 1}, 0.15f, 1.0f, 0.0f, 0.0f, {1.0f, 1.0f, 1.0f, 1.0f}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect(String("bloom"));
        bloom->SetWeights(c.threshold, c.luminanceWeight, 1.0f, c.bloomWeight, c.sceneWeight);
        bloom->SetTint(c.tint);
        Ptr<SceneNode> root = Scene(bloom.Get(), Vector4(c.scene.r, c.scene.g, c.scene.b, 1), true);
        DrawFrame(root.Get());
        const float luminance = c.scene.r * 0.299f + c.scene.g * 0.587f + c.scene.b * 0.184f;
        const float a = luminance >= c.threshold ? std::min(1.0f, luminance) : 0.0f;
        const Colour tint = ColourOf(c.tint);
        const Colour want = c.scene * c.sceneWeight + (c.scene * c.bloomWeight + Colour{a, a, a} * c.luminanceWeight) * tint;
        ExpectNear(At(512, 384), Stored(want), 2, "middle");
        ExpectNear(At(3, 3), Stored(want), 2, "corner");
    }
}

TEST_F(PostRenderPixelTest, PictureComesThroughUnchangedAndBandsAreBlack)
{
    if (!Opened())
        GTEST_SKIP();
    // The reference: the same scene without an effect, and in the band.
    DrawFrame(Scene(nullptr, Vector4(0.9f, 0.3f, 0.1f, 1), false).Get());
    const std::vector<uint8_t> plain = Picture();
    Ptr<PostRenderEffect> band = new PostRenderEffect(String("band"));
    band->SetFilm(true);
    DrawFrame(Scene(band.Get(), Vector4(0.9f, 0.3f, 0.1f, 1), false).Get());
    const std::vector<uint8_t> banded = Picture();
    EXPECT_EQ(renderer->GetWidth(), 1024);
    EXPECT_EQ(renderer->GetHeight(), 768);

    for (bool film : {false, true})
    {
        SCOPED_TRACE(film ? "letterboxed" : "full");
        Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect(String("bloom"));
        bloom->SetWeights(0.0f, 0.0f, 1.0f, 0.0f, 1.0f);
        bloom->SetFilm(film);
        Ptr<SceneNode> root = Scene(bloom.Get(), Vector4(0.9f, 0.3f, 0.1f, 1), false);
        DrawFrame(root.Get());
        const std::vector<uint8_t>& want = film ? banded : plain;
        int worst = 0;
        for (size_t i = 0; i < pixels.size(); ++i)
            if (i % 4 != 3)
                worst = std::max(worst, std::abs(int(pixels[i]) - int(want[i])));
        EXPECT_LE(worst, 1);
        ASSERT_NE(bloom->GetDownsampleTexture(), nullptr);
        EXPECT_EQ(bloom->GetDownsampleTexture()->GetImage()->GetWidth(), 256u);
        EXPECT_EQ(bloom->GetDownsampleTexture()->GetImage()->GetHeight(), film ? 144u : 192u);
    }
    // Bands: rows 0-95 and 672-767 stay the clear colour.
    const Rgb black{0, 0, 0};
    for (int row : {0, 95, 672, 767})
        ExpectNear(At(100, row), black, 0, "band");
    for (int row : {96, 671})
        EXPECT_FALSE(Near(At(100, row), black, 0)) << row;
    const Rgb full = Rgb{plain[0], plain[1], plain[2]};
    EXPECT_FALSE(Near(full, black, 0));
}

TEST_F(PostRenderPixelTest, OneTraversalPerFrameForEachEffect)
{
    if (!Opened())
        GTEST_SKIP();
    Ptr<SceneNodeEffect> effects[] = {new PostRenderEffect(), new Bloom5PostRenderEffect(), new ShadowmapEffect()};
    for (const Ptr<SceneNodeEffect>& effect : effects)
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        Ptr<CountingNode> counted = new CountingNode();
        root->AttachChild(counted.Get());
        root->AddEffect(effect.Get());
        DrawFrame(root.Get());
        EXPECT_EQ(counted->draws, 1) << effect->GetRtti().GetName().CStr();
    }
}

} // namespace
