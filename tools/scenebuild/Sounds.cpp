#include "tools/scenebuild/Sounds.h"

#include "engine/scene/BoolAnimationKey.h"
#include "engine/scene/SceneNode.h"
#include "sound/SoundNode.h"
#include "sound/SoundNode2.h"
#include "sound/SoundNodeAnimation.h"
#include "sound/SoundNodeAnimationController.h"

namespace
{

// A looping sound heard alike wherever the camera is. The volume is far
// above 100, as the show's records have it; it plays at 100.
Ptr<SoundNode> Ambient(const char* name, const char* file)
{
    Ptr<SoundNode> node = new SoundNode(String(name));
    node->SetFileName(String(file));
    node->SetLoop(true);
    node->SetMinDistance(10.0f);
    node->SetReserved(1.0f);
    node->SetVolume(255);
    return node;
}

} // namespace

void AddSounds(SceneNode& root)
{
    root.AttachChild(Ambient("Music", "vernalia.ogg").Get());
    root.AttachChild(Ambient("Birds", "birds.ogg").Get());

    // Full within 8 m; with the show's roll-off a camera 15 m away hears
    // it some 20 dB down, a bird across the meadow.
    Ptr<SoundNode2> cuckoo = new SoundNode2(String("Cuckoo"));
    cuckoo->SetFileNames(String("cuckoo1.ogg"), String("cuckoo2.ogg"));
    cuckoo->Set3D(true);
    cuckoo->SetMinDistance(8.0f);
    cuckoo->SetVolume(90);
    cuckoo->SetTiming(3.5f, 1.5f);
    cuckoo->GetLocalTransform().SetTranslation(Vector3(-10, 5, 12));
    root.AttachChild(cuckoo.Get());

    // The brook runs by the tube; it falls quiet for a stretch of each
    // minute, as if the wind took it.
    Ptr<SoundNode> brook = new SoundNode(String("Brook"));
    brook->SetFileName(String("brook.ogg"));
    brook->Set3D(true);
    brook->SetLoop(true);
    brook->SetMinDistance(5.0f);
    brook->SetReserved(1.0f);
    brook->SetVolume(80);
    brook->GetLocalTransform().SetTranslation(Vector3(7, 0, 5));
    Ptr<SoundNodeAnimation> flowing = new SoundNodeAnimation(String("BrookFlow"));
    flowing->AddKey(BoolAnimationKey(0.0, true));
    flowing->AddKey(BoolAnimationKey(0.6, false));
    flowing->AddKey(BoolAnimationKey(0.75, true));
    Ptr<SoundNodeAnimationController> tap = new SoundNodeAnimationController(String("BrookSwitch"));
    tap->SetPeriod(60.0);
    tap->AddAnimation(flowing.Get());
    tap->AddFrame(flowing.Get(), 0.0, 1.0);
    brook->SetController(tap.Get());
    root.AttachChild(brook.Get());
}
