#include "engine/scene/ScreensaverController.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/AnimationController.h"
#include "engine/scene/Camera.h"
#include "engine/scene/TargetCameraController.h"

QRE_IMPLEMENT_CLASS(ScreensaverController, Controller)

namespace
{

// The fewest bytes a stored set takes: a null camera link and two doubles.
constexpr uint64_t kStoredSetBytes = 4 + 8 + 8;

bool UsableDuration(double seconds)
{
    return seconds > 0.0 && std::isfinite(seconds);
}

// The first AnimationController in object's list (the most recently
// attached), or null.
AnimationController* FirstAnimationController(const Object& object)
{
    for (uint32_t i = 0; i < object.GetControllerCount(); ++i)
    {
        Controller* controller = object.GetController(i);
        if (controller && controller->IsDerived(AnimationController::TYPE))
            return static_cast<AnimationController*>(controller);
    }
    return nullptr;
}

} // namespace

ScreensaverController::ScreensaverController(const String& name) : Controller(name)
{
}

ScreensaverController::~ScreensaverController() = default;

void ScreensaverController::FindSetControllers(CameraSet& set)
{
    set.cameraController = nullptr;
    set.targetController = nullptr;
    Camera* camera = set.camera.Get();
    if (!camera)
        return;
    AnimationController* cameraTrack = nullptr;
    AnimationController* targetTrack = nullptr;
    // List order, most recently attached first: the camera's track is the
    // last animation controller there, and of several look-at controllers
    // with animated subjects the last one wins.
    for (uint32_t i = 0; i < camera->GetControllerCount(); ++i)
    {
        Controller* controller = camera->GetController(i);
        if (!controller)
            continue;
        if (controller->IsDerived(AnimationController::TYPE))
            cameraTrack = static_cast<AnimationController*>(controller);
        else if (controller->IsDerived(TargetCameraController::TYPE))
            if (Node* subject = static_cast<TargetCameraController*>(controller)->GetTargetNode())
                if (AnimationController* found = FirstAnimationController(*subject))
                    targetTrack = found;
    }
    // A track that holds this director would keep both alive for good.
    if (cameraTrack && !cameraTrack->Holds(this))
        set.cameraController = cameraTrack;
    if (targetTrack && !targetTrack->Holds(this))
        set.targetController = targetTrack;
}

int32_t ScreensaverController::AddSet(Camera* camera, double fadeStart, double duration)
{
    if (camera && camera->Holds(this))
    {
        LogError("Камера сета удерживает контроллер скринсейвера. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    CameraSet set;
    set.camera = camera;
    set.fadeStart = std::isfinite(fadeStart) ? fadeStart : 0.0;
    set.duration = UsableDuration(duration) ? duration : 1.0;
    FindSetControllers(set);
    if (sets.Append(std::move(set)) != 0)
    {
        LogError("Недостаточно памяти для создания сета. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    return 0;
}

void ScreensaverController::ChooseNextSet()
{
    const uint32_t n = sets.Count();
    if (n == 0)
        return;
    const uint32_t historyLength = n / 2 > 1 ? n / 2 : 1;
    if (history.Count() != historyLength)
    {
        history.Clear();
        for (uint32_t i = 0; i < historyLength; ++i)
            history.Append(static_cast<uint32_t>(std::rand()) % n);
    }
    // historyLength < n from two sets on, so a free index always exists.
    uint32_t chosen = static_cast<uint32_t>(std::rand()) % n;
    if (historyLength > 1)
        while (history.Find(chosen) >= 0)
            chosen = static_cast<uint32_t>(std::rand()) % n;
    if (!history.IsEmpty())
        history.RemoveAt(0);
    history.Append(chosen);
    currentSet = chosen;

    // Periods that are not finite and above 0 are passed over; the stored
    // duration (always usable) stays when neither period is.
    CameraSet& set = sets[chosen];
    if (AnimationController* track = set.cameraController.Get())
    {
        track->Reset();
        if (track->HasUsablePeriod())
            set.duration = track->GetPeriod();
    }
    if (AnimationController* track = set.targetController.Get())
    {
        track->Reset();
        if (track->HasUsablePeriod() && track->GetPeriod() < set.duration)
            set.duration = track->GetPeriod();
    }
    LogInfo("Выбран сет [%u]: камера [%s], начало [%.3f], длительность [%.3f].", chosen,
            set.camera ? set.camera->GetName().CStr() : "", set.fadeStart, set.duration);

    Renderer* renderer = GetRenderer();
    if (switchingCameras && set.camera && renderer)
        renderer->SetCamera(set.camera.Get());
}

int32_t ScreensaverController::Update(double time)
{
    if (!IsActive() || currentSet >= sets.Count() || !std::isfinite(time))
        return 0;
    elapsed += time;
    const double duration = sets[currentSet].duration;
    if (elapsed < duration)
        return 0;
    elapsed -= duration;
    ChooseNextSet();
    // Reset put the tracks at 0; their update this frame adds time, of
    // which only elapsed belongs to the new set.
    const CameraSet& set = sets[currentSet];
    AnimationController* tracks[2] = {set.cameraController.Get(), set.targetController.Get()};
    if (tracks[1] == tracks[0])
        tracks[1] = nullptr;
    for (AnimationController* track : tracks)
        if (track && track->HasUsablePeriod())
            track->SetPhase(track->GetPhase() - (time - elapsed) / track->GetPeriod());
    return 0;
}

void ScreensaverController::Reset()
{
    ChooseNextSet();
    elapsed = 0.0;
}

ScreensaverController::FadeTimes ScreensaverController::GetFadeTimes() const
{
    FadeTimes times;
    if (currentSet >= sets.Count())
        return times;
    times.current = true;
    times.fadeStart = sets[currentSet].fadeStart;
    times.duration = sets[currentSet].duration;
    times.elapsed = elapsed;
    return times;
}

bool ScreensaverController::Holds(const Object* other) const
{
    if (Controller::Holds(other))
        return true;
    for (const CameraSet& set : sets)
    {
        const Object* held[3] = {set.camera.Get(), set.cameraController.Get(), set.targetController.Get()};
        for (const Object* object : held)
            if (object && (object == other || object->Holds(other)))
                return true;
    }
    return false;
}

int32_t ScreensaverController::Save(Stream& stream)
{
    if (Controller::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(static_cast<int32_t>(sets.Count())) != 0)
    {
        LogError("Невозможно сохранить количество сетов. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    for (const CameraSet& set : sets)
    {
        const char* failure = nullptr;
        if (stream.WriteLink(set.camera.Get()) != 0)
            failure = "Невозможно сохранить камеру сета контроллера скринсейвера.";
        else if (stream.WriteDouble(set.fadeStart) != 0 || stream.WriteDouble(set.duration) != 0)
            failure = "Невозможно сохранить данные сета контроллера скринсейвера.";
        if (failure)
        {
            LogError("%s", failure);
            LogError("Невозможно сохранить сет. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    return 0;
}

int32_t ScreensaverController::Load(Stream& stream)
{
    if (Controller::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t count = 0;
    if (stream.ReadInt32(count) != 0 || count < 0 ||
        !stream.CheckRemaining(static_cast<uint64_t>(count), kStoredSetBytes))
    {
        stream.Fail(1);
        LogError("Невозможно загрузить количество сетов. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    sets = Array<CameraSet>(static_cast<uint32_t>(count), 1);
    history.Clear();
    currentSet = kNoSet;
    elapsed = 0.0;
    if (sets.Capacity() < static_cast<uint32_t>(count))
    {
        LogError("Недостаточно памяти для создания сета. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        Object* link = nullptr;
        double fadeStart = 0.0;
        double duration = 1.0;
        const char* failure = nullptr;
        if (stream.ReadLink(link) != 0)
            failure = "Невозможно загрузить камеру сета контроллера скринсейвера.";
        else if (stream.ReadDouble(fadeStart) != 0 || stream.ReadDouble(duration) != 0)
            failure = "Невозможно загрузить данные сета контроллера скринсейвера.";
        if (failure)
        {
            LogError("%s", failure);
            LogError("Невозможно загрузить сет. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        // A link of another class, or a camera that holds this director,
        // counts as no camera: that set keeps whatever camera is current.
        Camera* camera = link && link->IsDerived(Camera::TYPE) ? static_cast<Camera*>(link) : nullptr;
        if (AddSet(camera && !camera->Holds(this) ? camera : nullptr, fadeStart, duration) != 0)
            return 2;
    }
    if (count == 0)
        LogWarning("Контроллер скринсейвера не содержит сетов. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    ChooseNextSet();
    return 0;
}
