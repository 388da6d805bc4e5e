#include "sound/SoundNodeAnimationController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/scene/BoolAnimation.h"
#include "sound/SoundManager.h"
#include "sound/SoundNode.h"
#include "sound/SoundNodeAnimation.h"

QRE_IMPLEMENT_CLASS(SoundNodeAnimationController, AnimationController)

bool SoundNodeAnimationController::SwitchValue() const
{
    bool on = true;
    for (uint32_t index = 0; index < GetStageCount(); ++index)
    {
        const BlendStage& stage = GetStage(index);
        // Only bool keys switch; the two kinds that hold them.
        const Animation* animation = stage.animation.Get();
        if (!animation || !(animation->IsDerived(SoundNodeAnimation::TYPE) ||
                            animation->IsDerived(BoolAnimation::TYPE)))
            continue;
        if (stage.index0 < animation->GetKeyCount())
            on = static_cast<const BoolAnimationKey&>(animation->GetKey(stage.index0)).value;
    }
    return on;
}

int32_t SoundNodeAnimationController::Update(double time)
{
    const int32_t result = AnimationController::Update(time);
    Object* target = GetTarget();
    if (!IsActive() || !target || !target->IsDerived(SoundNode::TYPE))
        return result;
    SoundNode& node = *static_cast<SoundNode*>(target);
    const uint32_t channel = node.GetChannel();
    const SoundFunctions& sound = SoundManager::Calls();
    if (!SwitchValue())
    {
        if (sound.ChannelIsActive(channel) == kAudioPlaying)
            sound.ChannelStop(channel);
        node.SetActive(false);
        sound.ChannelStop(channel);
        return result;
    }
    if (sound.ChannelIsActive(channel) != kAudioPlaying)
        sound.ChannelPlay(channel, 1);
    node.SetActive(true);
    sound.ChannelPlay(channel, 0);
    return result;
}
