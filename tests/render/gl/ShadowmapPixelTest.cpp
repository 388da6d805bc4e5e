// Shadow maps drawn by the OpenGL renderer (headless): a wall facing the eye
// receives the shadow of a square, lit from behind the eye's left at 45
// degrees, so the shadow falls 10 units right of the square on a wall 10
// units behind it. Expected colours come from the blend: lit stays as drawn,
// shadowed becomes dst x (1 - a) + rgb x a of the shadow colour.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/Quaternion.h"
#include "engine/core/Stream.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/scene/SceneNode.h"
#include "support/GoldenImage.h"

using namespace golden;

namespace
{

class ShadowmapPixelTest : public GoldenImageRig
{
protected:
    // The wall at z = 20 in wallColour, the square (2 x 2, centred at
    // (casterX, 0, casterZ)) in grey, both under a node carrying the
    // effect with its controller; the light travels along (1, 0, 1).
    void Build(float casterX, float casterZ, bool oneSample)
    {
        root = new SceneNode(String("root"), 4, 2);
        effect = new ShadowmapEffect(String("shadows"));
        light = new Light(String("sun"));
        light->SetLightType(Light::kDirectional);
        light->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.78539816f));
        root->AttachChild(light.Get());
        Ptr<Triangles> wall = MakeRectangle("wall", -30, 30, 30, -30, 20, wallColour);
        Ptr<Triangles> square =
            MakeRectangle("square", casterX - 1, 1, casterX + 1, -1, casterZ, Vector4(0.5f, 0.5f, 0.5f, 1));
        root->AttachChild(wall.Get());
        root->AttachChild(square.Get());
        effect->SetLight(light.Get());
        effect->SetFitToView(true);
        effect->SetBias(0.0f, 3.0f);
        effect->SetShadowColour(Vector4(0.0f, 0.0f, 0.0f, 0.5f));
        effect->SetSecondFlag(oneSample);
        effect->AddCaster(square.Get());
        effect->SetController(new RenderShadowmapEffectController(String("map")));
        root->AddEffect(effect.Get());
    }

    // Two frames: the first queues the controller, the second draws with
    // the map it filled.
    void Draw()
    {
        DrawFrame(root.Get());
        DrawFrame(root.Get());
    }

    Vector4 wallColour{0.8f, 0.6f, 0.4f, 1.0f};
    Ptr<SceneNode> root;
    Ptr<ShadowmapEffect> effect;
    Ptr<Light> light;
};

TEST_F(ShadowmapPixelTest, LitStaysShadowedTakesHalfTheShadowColour)
{
    if (!Opened())
        GTEST_SKIP();
    const Rgb lit = Stored(ColourOf(wallColour));
    const Rgb shadowed = Stored(Mix(Colour{0, 0, 0}, ColourOf(wallColour), 0.5f));
    // casterX, casterZ: in view at z = 10, or behind the eye (z = -1, out
    // of the view volume) on the same ray from the light.
    struct Case
    {
        const char* name;
        float casterX, casterZ;
        bool oneSample;
    };
    const Case cases[] = {
        {"in view, five lookups", -1, 10, false},
        {"in view, one lookup", -1, 10, true},
        {"behind the eye", -12, -1, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Build(c.casterX, c.casterZ, c.oneSample);
        Draw();
        // The shadow's middle: the square's centre carried to z = 20.
        const float shadowX = c.casterX + (20 - c.casterZ);
        ExpectNear(AtPoint(Vector3(shadowX, 0, 20)), shadowed, 1, "shadowed");
        ExpectNear(AtPoint(Vector3(shadowX, 3, 20)), lit, 1, "above the shadow");
        ExpectNear(AtPoint(Vector3(-6, -4, 20)), lit, 1, "far from it");
    }
    // Each effect its own map.
    Ptr<ShadowmapEffect> other = new ShadowmapEffect();
    ASSERT_NE(other->EnsureShadowMap(), nullptr);
    ASSERT_NE(effect->GetShadowMap(), nullptr);
    EXPECT_EQ(std::strncmp(effect->GetShadowMap()->GetName().CStr(), "Shadowmap ", 10), 0);
    EXPECT_NE(effect->GetShadowMap()->GetName(), other->GetShadowMap()->GetName());
    EXPECT_FALSE(renderer->shadowPass);
}

} // namespace
