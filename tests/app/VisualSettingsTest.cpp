// The visual settings on a loaded scene: shadows go without device shadow
// maps or with the setting off, bloom gives way to a plain post-render
// effect, and film follows widescreen either way.
#include <gtest/gtest.h>

#include "app/VernaliaScreensaver.h"
#include "engine/render/Bloom5PostRenderEffect.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/scene/SceneNode.h"

namespace
{

TEST(VisualSettings, RemoveReplaceAndSetFilm)
{
    const struct
    {
        bool shadowMaps, shadows, bloom, widescreen;
        bool keepsShadows, keepsBloom;
    } cases[] = {
        {true, true, true, true, true, true},
        {false, true, true, false, false, true},
        {true, false, false, true, false, false},
        {true, true, false, false, true, false},
    };
    for (const auto& c : cases)
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        Ptr<SceneNode> ground = new SceneNode(String("ground"));
        root->AttachChild(ground.Get());
        Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect(String("bloom"));
        bloom->SetFilm(!c.widescreen); // stored the other way
        root->AddEffect(bloom.Get());
        ground->AddEffect(new ShadowmapEffect(String("shadows")));

        VernaliaScreensaver::ApplyVisualSettings(*root, c.shadowMaps, c.shadows, c.bloom, c.widescreen);
        const int row = static_cast<int>(&c - cases);
        EXPECT_EQ(ground->GetEffectCount(), c.keepsShadows ? 1u : 0u) << row;
        ASSERT_EQ(root->GetEffectCount(), 1u) << row;
        auto* post = static_cast<PostRenderEffect*>(root->GetEffect(0));
        EXPECT_EQ(post->IsExactly(Bloom5PostRenderEffect::TYPE), c.keepsBloom) << row;
        EXPECT_TRUE(post->IsDerived(PostRenderEffect::TYPE)) << row;
        EXPECT_TRUE(post->GetName().IsEmpty() || c.keepsBloom) << row;
        EXPECT_EQ(post->GetFilm(), c.widescreen) << row;
    }
}

} // namespace
