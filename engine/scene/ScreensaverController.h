#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Controller.h"
#include "engine/core/Ptr.h"

class AnimationController;
class Camera;

// The show's director: it cuts between camera sets in random order, each for
// the length of its camera's animation, and makes the set's camera the
// renderer's current camera. The application reads the current set's times
// to fade the picture in after a cut and out before the next.
class ScreensaverController : public Controller
{
    QRE_DECLARE_CLASS

public:
    // currentSet before any set has been chosen
    static constexpr uint32_t kNoSet = 0xFFFFFFFFu;

    // One shot: a camera and how long it lasts. The two animation
    // controllers are found from the camera when the set is added (not
    // stored): the camera's own track and the track of the subject its
    // look-at controller follows; the shorter of their periods is the
    // set's duration.
    struct CameraSet
    {
        Ptr<Camera> camera;
        Ptr<AnimationController> cameraController;
        Ptr<AnimationController> targetController;
        double fadeStart = 0.0; // seconds into the set where the fade-in starts
        double duration = 1.0;  // seconds; always finite and above 0
    };

    // What the picture's fade reads; current is false while no set is
    // chosen (no sets: no fade).
    struct FadeTimes
    {
        bool current = false;
        double fadeStart = 0.0;
        double duration = 1.0;
        double elapsed = 0.0;
    };

    explicit ScreensaverController(const String& name = String());
    ~ScreensaverController() override;

    // While active with a set chosen: time adds to the elapsed time; once
    // it reaches the set's duration the next set is chosen, the remainder
    // carried into it, and the new set's controllers are wound back so that
    // their own update this frame leaves them exactly that far into their
    // tracks. A time that is not finite changes nothing.
    int32_t Update(double time) override;

    // Chooses the next set and starts it from 0 s.
    void Reset() override;

    // Chooses the next set at random, never one of the last n / 2 chosen
    // (at least the last one, which with up to three sets may still come
    // again), restarts its controllers, takes its duration from their
    // periods, logs the choice and makes its camera current. Nothing
    // without sets.
    void ChooseNextSet();

    // Appends a set and finds its controllers from the camera as it stands.
    // A fadeStart that is not finite becomes 0, a duration that is not
    // finite and above 0 becomes 1. 0; 2 out of memory; 3 when the camera
    // holds this controller (the two would keep each other alive).
    int32_t AddSet(Camera* camera, double fadeStart, double duration);
    uint32_t GetSetCount() const { return sets.Count(); }
    const CameraSet* GetSet(uint32_t index) const { return index < sets.Count() ? &sets[index] : nullptr; }
    uint32_t GetCurrentSet() const { return currentSet; }
    double GetElapsed() const { return elapsed; }

    // The current set's fade start and duration and the time elapsed in it.
    FadeTimes GetFadeTimes() const;

    // While false, sets are still chosen and logged but no camera is made
    // current (a run pinned to one camera).
    bool IsSwitchingCameras() const { return switchingCameras; }
    void SetSwitchingCameras(bool on) { switchingCameras = on; }

    bool Holds(const Object* other) const override;

    // streaming: set count, each set's camera (a link), fadeStart and
    // duration; loading ends by choosing the first set
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    void FindSetControllers(CameraSet& set);

    Array<CameraSet> sets{1, 1};
    uint32_t currentSet = kNoSet;
    double elapsed = 0.0;
    // The most recent choices, oldest first; n / 2 long (at least 1) once a
    // set has been chosen.
    Array<uint32_t> history{1, 1};
    bool switchingCameras = true;
};
