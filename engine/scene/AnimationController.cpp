#include "engine/scene/AnimationController.h"

#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/Animation.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(AnimationController, Controller)

AnimationController::AnimationController(const String& name) : Controller(name)
{
}

AnimationController::~AnimationController() = default;

bool AnimationController::HasUsablePeriod() const
{
    return std::isfinite(period) && period > 0.0;
}

void AnimationController::SetPhase(double value)
{
    if (std::isfinite(value))
        phase = value;
}

void AnimationController::Reset()
{
    ClearStages();
    phase = 0.0;
}

void AnimationController::ClearStages()
{
    for (BlendStage& stage : stages)
        stage.Clear();
}

bool AnimationController::WouldCycle(const Animation* animation) const
{
    return animation && animation->Holds(this);
}

void AnimationController::SetStage(Animation* animation, uint32_t index, float weight)
{
    if (index >= kMaxStages)
    {
        LogWarning("Номер стадии блендинга слишком велик [%u]. Имя[%s] ID[%d]", index, GetName().CStr(), GetID());
        return;
    }
    if (WouldCycle(animation))
    {
        LogWarning("Анимация уже владеет контроллером, установка замкнула бы цикл ссылок. Имя[%s] ID[%d]",
                   GetName().CStr(), GetID());
        return;
    }
    while (stages.Count() <= index)
    {
        if (stages.Append(BlendStage()) != 0)
        {
            LogError("Недостаточно памяти для создания стадии блендинга. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return;
        }
    }
    stages[index].animation = animation;
    stages[index].weight = std::isfinite(weight) ? weight : 0.0f;
}

void AnimationController::SetStageByName(const String& name, uint32_t index, float weight)
{
    SetStage(nullptr, index, weight);
    if (index >= stages.Count())
        return;
    Animation* found = nullptr;
    for (const Ptr<Animation>& animation : animations)
        if (animation->GetName() == name)
            found = animation.Get();
    stages[index].animation = found;
}

void AnimationController::SetStageWeight(uint32_t index, float weight)
{
    if (index < stages.Count())
        stages[index].weight = std::isfinite(weight) ? weight : 0.0f;
}

int32_t AnimationController::AddAnimation(Animation* animation)
{
    if (!animation || WouldCycle(animation))
    {
        LogWarning("Анимация отсутствует или владеет контроллером. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    if (animations.Append(Ptr<Animation>(animation)) != 0)
    {
        LogError("Недостаточно памяти для добавления анимации. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    return 0;
}

int32_t AnimationController::AddFrame(Animation* animation, double start, double end, int32_t mode, double speed,
                                      double offset)
{
    if (WouldCycle(animation) || !std::isfinite(start) || !std::isfinite(end) || !std::isfinite(speed) ||
        !std::isfinite(offset))
    {
        LogWarning("Неверный фрейм анимаций. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    TrackFrame frame;
    frame.animation = animation;
    frame.start = start;
    frame.end = end;
    frame.mode = mode;
    frame.speed = speed;
    frame.offset = offset;
    if (frames.Append(std::move(frame)) != 0)
    {
        LogError("Недостаточно памяти для добавления фрейма анимаций. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    return 0;
}

void AnimationController::Advance(double time)
{
    if (!HasUsablePeriod())
        return;
    const double next = phase + time / period;
    if (!std::isfinite(next))
        return;
    // x - floor(x) is exact for x >= 1, so the result stays below 1.
    phase = next >= 1.0 ? next - std::floor(next) : next;
}

void AnimationController::Blend()
{
    const TrackFrame* first = nullptr;
    const TrackFrame* second = nullptr;
    for (const TrackFrame& frame : frames)
    {
        if (frame.start <= phase && phase <= frame.end)
        {
            if (!first)
                first = &frame;
            else
            {
                second = &frame;
                break;
            }
        }
    }
    if (first && (stages.Count() < 1 || stages[0].animation.Get() != first->animation.Get()))
        SetStage(first->animation.Get(), 0, 1.0f);
    if (second && (stages.Count() < 2 || stages[1].animation.Get() != second->animation.Get()))
        SetStage(second->animation.Get(), 1, 1.0f);

    if (!second)
    {
        // Between stretches stage 0 holds its last animation and pose.
        if (stages.Count() >= 2 && stages[1].animation)
        {
            SetStage(nullptr, 1, 0.0f);
            SetStageWeight(0, 1.0f);
        }
    }
    else if (stages.Count() >= 2)
    {
        // The later stretch fades in across the overlap; an overlap of zero
        // length hands over at once.
        double later = 0.5;
        if (second->start > first->start && second->end > first->end)
        {
            const double overlap = first->end - second->start;
            later = overlap > 0.0 ? (phase - second->start) / overlap : 1.0;
            stages[1].weight = static_cast<float>(later);
            stages[0].weight = static_cast<float>(1.0 - later);
        }
        else if (first->start > second->start && first->end > second->end)
        {
            const double overlap = second->end - first->start;
            later = overlap > 0.0 ? (phase - first->start) / overlap : 1.0;
            stages[0].weight = static_cast<float>(later);
            stages[1].weight = static_cast<float>(1.0 - later);
        }
        else
        {
            stages[0].weight = 0.5f;
            stages[1].weight = 0.5f;
        }
    }

    if (first && stages.Count() >= 1)
        stages[0].Sample(first->LocalTime(phase, true));
    if (second && stages.Count() >= 2)
        stages[1].Sample(second->LocalTime(phase, false));
}

int32_t AnimationController::Update(double time)
{
    if (!IsActive())
        return 0;
    Advance(time);
    Blend();
    return 0;
}

bool AnimationController::Holds(const Object* other) const
{
    if (Controller::Holds(other))
        return true;
    auto holds = [other](const Animation* animation) {
        return animation && (animation == other || animation->Holds(other));
    };
    for (const Ptr<Animation>& animation : animations)
        if (holds(animation.Get()))
            return true;
    for (const TrackFrame& frame : frames)
        if (holds(frame.animation.Get()))
            return true;
    for (const BlendStage& stage : stages)
        if (holds(stage.animation.Get()))
            return true;
    return false;
}

int32_t AnimationController::Save(Stream& stream)
{
    if (Controller::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(static_cast<int32_t>(animations.Count())) != 0)
    {
        LogError("Невозможно сохранить количество анимаций. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    for (const Ptr<Animation>& animation : animations)
    {
        if (stream.WriteLink(animation.Get()) != 0)
        {
            LogError("Невозможно сохранить анимацию. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    if (stream.WriteInt32(static_cast<int32_t>(frames.Count())) != 0)
    {
        LogError("Невозможно сохранить количество фреймов анимаций. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    for (const TrackFrame& frame : frames)
    {
        if (frame.Save(stream) != 0)
        {
            LogError("Невозможно сохранить фрейм анимаций. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    if (stream.WriteDouble(period) != 0)
    {
        LogError("Невозможно сохранить период трэка. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t AnimationController::Load(Stream& stream)
{
    if (Controller::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t count = 0;
    if (stream.ReadInt32(count) != 0 || count < 0 || !stream.CheckRemaining(static_cast<uint32_t>(count), 4))
    {
        LogError("Невозможно загрузить количество анимаций. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    animations = Array<Ptr<Animation>>(static_cast<uint32_t>(count), 1);
    for (int32_t i = 0; i < count; ++i)
    {
        Object* link = nullptr;
        const bool read = stream.ReadLink(link) == 0;
        // A link of another class counts as missing; one that holds this
        // controller would keep both alive for ever.
        Animation* animation = link && link->IsDerived(Animation::TYPE) ? static_cast<Animation*>(link) : nullptr;
        if (!read || WouldCycle(animation) || (animation && animations.Append(Ptr<Animation>(animation)) != 0))
        {
            LogError("Невозможно загрузить анимацию. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            stream.Fail(1);
            return 1;
        }
    }
    if (stream.ReadInt32(count) != 0 || count < 0 ||
        !stream.CheckRemaining(static_cast<uint32_t>(count), TrackFrame::kRecordSize))
    {
        LogError("Невозможно загрузить количество фреймов анимаций. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    frames = Array<TrackFrame>(static_cast<uint32_t>(count), 1);
    for (int32_t i = 0; i < count; ++i)
    {
        TrackFrame frame;
        if (frame.Load(stream) != 0 || WouldCycle(frame.animation.Get()) || frames.Append(std::move(frame)) != 0)
        {
            LogError("Невозможно загрузить фрейм анимаций. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            stream.Fail(1);
            return 1;
        }
    }
    if (stream.ReadDouble(period) != 0)
    {
        LogError("Невозможно загрузить период трэка. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    if (!HasUsablePeriod())
        LogWarning("Неверный период трэка [%f]. Имя[%s] ID[%d]", period, GetName().CStr(), GetID());
    return 0;
}
