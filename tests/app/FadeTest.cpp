// The black fade between the show's camera sets: its timing, and what the
// show's Render draws with it over a finished frame.
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "app/VernaliaScreensaver.h"
#include "support/HeadlessRenderer.h"

namespace
{

// Above 1 (full black) before fadeStart, 1 to 0 over the second after it,
// 0 until the last second, then up to 1 at the end and beyond; the end wins
// where the two seconds meet, even at exactly one second before it; a NaN
// time is outside both seconds.
TEST(FadeAlpha, FollowsTheCameraSetsTiming)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        double elapsed, fadeStart, duration, alpha;
    } cases[] = {{1.0, 3.0, 10.0, 3.0}, {3.25, 3.0, 10.0, 0.75}, {4.5, 3.0, 10.0, 0.0}, {9.75, 3.0, 10.0, 0.75},
                 {10.5, 3.0, 10.0, 1.5}, {1.0, 0.0, 1.5, 0.5},   {1.0, 0.5, 2.0, 0.0},  {nan, 3.0, 10.0, 0.0},
                 {3.25, 3.0, nan, 0.75}};
    for (const auto& c : cases)
        EXPECT_EQ(VernaliaScreensaver::FadeAlpha(c.elapsed, c.fadeStart, c.duration), c.alpha) << c.elapsed;
}

struct FadeApp : VernaliaScreensaver
{
    using VernaliaScreensaver::VernaliaScreensaver;
    using ScreensaverApp::overlayQuad;
};

using FadeTest = HeadlessRendererTest;

// Over a frame of one colour the fade leaves colour x (1 - alpha) in every
// corner, a new alpha each frame on the same quad; the scene's camera and
// the quad's own effect come back after it.
TEST_F(FadeTest, FadeDarkensTheWholeFrameByItsAlphaEveryFrame)
{
    FadeApp app(String("vernalia /s"), Automation());
    ASSERT_EQ(app.CreateVisualData(), 0);
    Ptr<GeometryNodeEffect> normal = new ColorEffect(String("normal"));
    app.overlayQuad->SetEffect(normal.Get());
    Ptr<Camera> sceneCamera = new Camera(String("scene"));
    renderer->SetCamera(sceneCamera.Get());

    const Vector4 clear(0.8f, 0.6f, 0.4f, 1.0f);
    for (const auto& [elapsed, kept] : {std::pair{11.75, 0.25f}, {2.5, 0.5f}, {1.0, 0.0f}, {6.0, 1.0f}})
    {
        Begin(clear);
        ASSERT_EQ(app.DrawFade(VernaliaScreensaver::FadeAlpha(elapsed, 2.0, 12.0)), 0);
        End();
        EXPECT_EQ(renderer->GetCamera(), sceneCamera.Get());
        EXPECT_EQ(app.overlayQuad->GetEffect(), normal.Get());
        const Rgb want = Stored(Packed(clear.x) * kept, Packed(clear.y) * kept, Packed(clear.z) * kept);
        for (const auto& [x, y] : {std::pair{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}})
            ExpectNear(At(x, y), want, 2, "elapsed " + std::to_string(elapsed) + " at x " + std::to_string(x));
    }
    EXPECT_EQ(app.DeleteVisualData(), 0);
    EXPECT_EQ(app.overlayQuad.Get(), nullptr);
}

} // namespace
