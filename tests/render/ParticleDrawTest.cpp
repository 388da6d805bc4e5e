// Sprites on the headless device: a particle drawn as a point sprite and as
// a quad covers the same square, and a flare lands where the projection
// puts it.
#include <climits>
#include <cmath>

#include "engine/render/SpriteEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Flare.h"
#include "engine/scene/PointEmitter.h"
#include "engine/scene/SpriteParticleSystem.h"
#include "support/HeadlessRenderer.h"

namespace
{
class ParticleDrawTest : public HeadlessRendererTest
{
protected:
    // The box of pixels brighter than half in red, inclusive.
    struct Box
    {
        int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    };

    Box Lit() const
    {
        Box box;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y).r > 127)
                {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                }
        return box;
    }

    // A camera 10 units before the origin, looking along +Z.
    Ptr<Camera> Eye()
    {
        Ptr<Camera> camera = new Camera(String("eye"));
        camera->GetLocalTransform().SetTranslation(Vector3(0.0f, 0.0f, -10.0f));
        camera->UpdateTree(0.0);
        renderer->SetCamera(camera.Get());
        return camera;
    }

    // One white particle of size 2 at the origin, drawn in a frame.
    Box DrawParticle(bool pointSprites)
    {
        DeviceCaps caps = renderer->GetCaps();
        caps.pointSprites = pointSprites;
        renderer->SetCapsForTest(caps);
        Ptr<SpriteParticleSystem> system = new SpriteParticleSystem(String("one"));
        static_cast<PointEmitter*>(system->GetEmitter())->SetAngles(0.0f, 0.0f);
        system->speed = 0.0f;
        system->burstCount = 1;
        system->startSize = system->endSize = 2.0f;
        system->endColor = Vector4(1.0f, 1.0f, 1.0f, 1.0f);
        system->SetMaxParticles(1);
        Begin();
        system->UpdateTree(0.1);
        EXPECT_EQ(system->GetPrimitiveType(), pointSprites ? PrimitiveType::PointList : PrimitiveType::TriangleList);
        system->Draw(*renderer);
        End();
        return Lit();
    }
};

// The quad's side is 2 / sqrt(2) units: P[1][1] x side / w x height / 2
// pixels, w the clip w of the origin, centred on the picture's centre.
TEST_F(ParticleDrawTest, OneParticleCoversTheSameSquareBothWays)
{
    if (!Opened())
        return;
    if (!renderer->GetCaps().pointSprites || renderer->GetCaps().vertexShaderLevel == ShaderLevel::None)
        GTEST_SKIP() << "no point sprites sized by programs here";
    Ptr<Camera> camera = Eye();
    const DeviceCaps caps = renderer->GetCaps();
    const Box quad = DrawParticle(false);
    const Box point = DrawParticle(true);
    renderer->SetCapsForTest(caps);

    const float w = camera->GetViewProjection().Transform(Vector4(0.0f, 0.0f, 0.0f, 1.0f)).w;
    const float side = camera->GetProjection().m[1][1] * (2.0f / std::sqrt(2.0f)) / w * height / 2.0f;
    const float left = width / 2.0f - side / 2.0f;
    const float top = height / 2.0f - side / 2.0f;
    for (const Box* box : {&quad, &point})
    {
        SCOPED_TRACE(box == &quad ? "quad" : "point");
        EXPECT_NEAR(box->left, left, 1.0f);
        EXPECT_NEAR(box->right + 1, left + side, 1.0f);
        EXPECT_NEAR(box->top, top, 1.0f);
        EXPECT_NEAR(box->bottom + 1, top + side, 1.0f);
    }
}

// A red flare off the centre: its pixel is red, the centre stays black.
TEST_F(ParticleDrawTest, AFlareLandsAtThePixelTheProjectionGives)
{
    if (!Opened())
        return;
    Ptr<Camera> camera = Eye();
    for (bool pointSprites : {false, true})
    {
        SCOPED_TRACE(pointSprites ? "point" : "quad");
        if (pointSprites && !renderer->GetCaps().pointSprites)
            continue;
        DeviceCaps caps = renderer->GetCaps();
        const DeviceCaps kept = caps;
        caps.pointSprites = pointSprites;
        renderer->SetCapsForTest(caps);
        Ptr<Flare> flare = new Flare(String("lantern"));
        ASSERT_EQ(flare->SetEffect(new SpriteEffect()), 0);
        flare->SetColor(Vector4(1.0f, 0.0f, 0.0f, 1.0f));
        flare->SetSize(0.5f);
        const Vector3 p(2.0f, 1.5f, 3.0f);
        flare->GetLocalTransform().SetTranslation(p);
        Begin();
        flare->UpdateTree(0.1);
        flare->Draw(*renderer);
        End();
        renderer->SetCapsForTest(kept);
        viewProjection = camera->GetViewProjection();
        int x = 0;
        int y = 0;
        ASSERT_TRUE(PixelOf(p, x, y));
        ExpectNear(At(x, y), Rgb{255, 0, 0}, 0, "the flare's pixel");
        ExpectNear(At(width / 2, height / 2), Rgb{0, 0, 0}, 0, "the centre");
        const Box box = Lit();
        EXPECT_LE(std::abs((box.left + box.right) / 2 - x), 1);
        EXPECT_LE(std::abs((box.top + box.bottom) / 2 - y), 1);
    }
}
} // namespace
