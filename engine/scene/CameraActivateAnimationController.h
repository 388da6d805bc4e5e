#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/AnimationController.h"

// Switches a camera's shot on and off with the camera: while the camera is
// the renderer's current one its motion (and its target's) runs, and its
// own track, kept in step with the motion, switches further controllers on
// and off by bool keys (a light, a hidden box). When another camera takes
// over, the motion is reset and the switched controllers are parked at the
// start of their tracks, ready for the next time the shot comes round.
class CameraActivateAnimationController : public AnimationController
{
    QRE_DECLARE_CLASS

public:
    explicit CameraActivateAnimationController(const String& name = String()) : AnimationController(name) {}

    // Runs whether active or not: the camera being current decides. Needs
    // a camera target and a camera controller.
    int32_t Update(double time) override;

    // The camera's motion (held; null switches nothing), and its target's
    // (held; may be null). 3 for a controller that holds this one (logged).
    int32_t SetCameraControllers(AnimationController* camera, AnimationController* target);
    AnimationController* GetCameraController() const { return cameraController.Get(); }
    AnimationController* GetCameraTargetController() const { return cameraTargetController.Get(); }

    // Held; switched by the bool keys of this controller's stages. 0, 2 out
    // of memory, 3 null or one that holds this controller (logged).
    int32_t AddSwitchedController(Controller* controller);
    uint32_t GetSwitchedControllerCount() const { return switched.Count(); }
    Controller* GetSwitchedController(uint32_t index) const
    {
        return index < switched.Count() ? switched[index].Get() : nullptr;
    }

    bool Holds(const Object* other) const override;

    // streaming: the track's record, then the camera controller, the
    // target's controller, the switched count and the switched
    // controllers. A link of another class counts as missing; one that
    // would hold this controller fails the load.
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // True when holding controller would close a cycle of references.
    bool WouldCycle(const Controller* controller) const;
    // The switch value of the stages' bool keys at index0: 1 unless a stage
    // says otherwise, the last stage winning.
    bool SwitchValue() const;

    Ptr<AnimationController> cameraController;
    Ptr<AnimationController> cameraTargetController;
    Array<Ptr<Controller>> switched{1, 1};
};
