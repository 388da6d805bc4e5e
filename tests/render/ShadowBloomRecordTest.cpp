// The records of the shadow map and post-render classes: each survives a
// save, load and save byte for byte; a caster count beyond the bytes left is
// refused; the bloom texture size is sane whatever the scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/render/Bloom5PostRenderEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "scene/SceneTestSupport.h"
#include "support/Bytes.h"

namespace
{

class ShadowBloomRecordTest : public SceneTest
{
};

TEST_F(ShadowBloomRecordTest, RecordsRoundTripAndRefuseALongCasterList)
{
    Ptr<SceneNode> root = new SceneNode(String("root"), 4, 2);
    Ptr<Light> sun = new Light(String("sun"));
    Ptr<SceneNode> box = new SceneNode(String("box"));
    root->AttachChild(sun.Get());
    root->AttachChild(box.Get());
    Ptr<ShadowmapEffect> shadows = new ShadowmapEffect(String("shadows"));
    shadows->SetLight(sun.Get());
    shadows->SetShadowMap(new Texture(String("map")));
    shadows->SetShadowColour(Vector4(0.1f, 0.2f, 0.3f, 0.5f));
    shadows->SetFitToView(true);
    shadows->SetSecondFlag(true);
    shadows->SetBias(2.0f, 3.5f);
    shadows->SetRange(0.987f);
    shadows->AddCaster(box.Get()); // the effect's own node
    shadows->AddCaster(root.Get()); // above the effect's own node: held by nothing
    shadows->SetController(new RenderShadowmapEffectController(String("map drawing")));
    Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect(String("bloom"));
    bloom->SetWeights(0.15f, 0.5f, 1.5f, 0.75f, 0.9f);
    bloom->SetTint(Vector4(1.0f, 0.9f, 0.8f, 1.0f));
    bloom->SetScale(0.5f);
    bloom->SetFilm(true);
    Ptr<PostRenderEffect> plain = new PostRenderEffect(String("plain"));
    // One effect a node: a node's list is read back head first.
    box->AddEffect(shadows.Get());
    root->AddEffect(bloom.Get());
    sun->GetLocalTransform().SetTranslation(Vector3(1, 2, 3));
    Ptr<SceneNode> other = new SceneNode(String("other"));
    other->AddEffect(plain.Get());
    root->AttachChild(other.Get());

    const Bytes saved = Serialize(root.Get());
    Ptr<Object> loaded = Deserialize(saved);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), CanonicalLinks(saved));
    auto* again = static_cast<SceneNode*>(loaded.Get());
    auto* boxAgain = static_cast<SceneNode*>(again->GetChild(1));
    ASSERT_TRUE(boxAgain && boxAgain->GetEffect(0));
    auto* shadowsAgain = static_cast<ShadowmapEffect*>(boxAgain->GetEffect(0));
    ASSERT_TRUE(shadowsAgain->IsExactly(ShadowmapEffect::TYPE));
    EXPECT_EQ(shadowsAgain->GetCaster(1), again);
    EXPECT_TRUE(again->GetEffect(0)->IsExactly(Bloom5PostRenderEffect::TYPE));

    // The caster count follows the range.
    Bytes damaged = saved;
    uint8_t range[4];
    const float rangeValue = 0.987f;
    std::memcpy(range, &rangeValue, 4);
    auto at = std::search(damaged.begin(), damaged.end(), std::begin(range), std::end(range));
    ASSERT_NE(at, damaged.end());
    const uint32_t huge = 0x7FFFFFFF;
    std::memcpy(&*(at + 4), &huge, 4);
    EXPECT_FALSE(Deserialize(damaged));
}

TEST_F(ShadowBloomRecordTest, BloomTexturesAreAtLeastOneTexelAndAtMostTheLargest)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float scale;
        int32_t width, height;
    } const cases[] = {
        {0.25f, 256, 192}, {1.0f, 1024, 768}, {0.0f, 1, 1},    {-2.0f, 1, 1},
        {std::nanf(""), 1, 1}, {inf, 1, 1}, {100.0f, Bloom5PostRenderEffect::kLargestTexture, Bloom5PostRenderEffect::kLargestTexture},
        {0.0005f, 1, 1},
    };
    for (const Case& c : cases)
    {
        int32_t width = -1, height = -1;
        Bloom5PostRenderEffect::BloomSize(1024, 768, c.scale, width, height);
        EXPECT_EQ(width, c.width) << c.scale;
        EXPECT_EQ(height, c.height) << c.scale;
    }
}

} // namespace
