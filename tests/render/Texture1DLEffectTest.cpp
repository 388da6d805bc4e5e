// Texture1DLEffect's record and its place in the reference graph; what it
// draws, under each technique, is proved by the pixel tests in gl/.
#include <gtest/gtest.h>

#include "engine/render/Texture1DLEffect.h"
#include "engine/scene/Light.h"
#include "scene/SceneTestSupport.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"

// Saved, loaded and saved again the record is the same, its light among
// it. Through the light the effect holds the light: a controller holding
// the effect may not go on that light, nor may a light holding the effect
// become its light.
TEST_F(SceneTest, Texture1DLEffectKeepsItsLightThroughAFileAndRefusesCycles)
{
    Ptr<Light> light = new Light(String("sun"));
    light->SetDiffuse(Vector4(0.4f, 0.5f, 0.6f, 1.0f));
    Ptr<Texture1DLEffect> effect = new Texture1DLEffect(String("lit"));
    ASSERT_EQ(effect->SetLight(light.Get()), 0);
    Ptr<Object> loaded = RoundTrip(effect.Get());
    ASSERT_TRUE(loaded && loaded->IsExactly(Texture1DLEffect::TYPE));
    ASSERT_NE(static_cast<Texture1DLEffect*>(loaded.Get())->GetLight(), nullptr);
    EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), CanonicalLinks(Serialize(effect.Get())));

    LogCapture log;
    Ptr<Controller> holdsEffect = new HoldingController(effect.Get());
    EXPECT_EQ(light->SetController(holdsEffect.Get()), 3);
    Ptr<Light> holder = new Light(String("holder"));
    ASSERT_EQ(holder->SetController(holdsEffect.Get()), 0);
    EXPECT_EQ(effect->SetLight(holder.Get()), 3);
    EXPECT_EQ(effect->GetLight(), light.Get());
    EXPECT_EQ(log.Lines().size(), 2u);
}
