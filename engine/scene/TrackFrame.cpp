#include "engine/scene/TrackFrame.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Log.h"
#include "engine/core/Stream.h"

double TrackFrame::LocalTime(double phase, bool leading) const
{
    const double length = end - start;
    double local = length != 0.0 ? ((phase - start) * speed + offset) / length : 0.0;
    if (!std::isfinite(local))
        return 0.0;
    if (mode == kOnce)
    {
        if (leading)
            return local >= 0.0 && local < 1.0 ? local : 0.0;
        return std::clamp(local, 0.0, 1.0);
    }
    // Whole passes stay doubles: no integer can overflow, and the parity of
    // a pass count beyond 2^53 is simply even.
    const double passes = std::floor(local);
    local -= passes;
    if (mode != kLoop && std::fmod(passes, 2.0) != 0.0)
        local = 1.0 - local;
    if (leading && local >= 1.0)
        local = 0.0;
    return local;
}

int32_t TrackFrame::Save(Stream& stream) const
{
    if (stream.WriteLink(animation.Get()) != 0)
    {
        LogError("Невозможно сохранить анимацию фрейма анимации.");
        return 1;
    }
    stream.WriteInt32(mode);
    stream.WriteDouble(start);
    stream.WriteDouble(end);
    stream.WriteDouble(speed);
    if (stream.WriteDouble(offset) != 0)
    {
        LogError("Невозможно сохранить данные стадии блендинга анимации.");
        return 1;
    }
    return 0;
}

int32_t TrackFrame::Load(Stream& stream)
{
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить анимацию фрейма анимации.");
        return 1;
    }
    // A link of another class counts as no animation.
    animation = link && link->IsDerived(Animation::TYPE) ? static_cast<Animation*>(link) : nullptr;
    stream.ReadInt32(mode);
    stream.ReadDouble(start);
    stream.ReadDouble(end);
    stream.ReadDouble(speed);
    if (stream.ReadDouble(offset) != 0 || !std::isfinite(start) || !std::isfinite(end) || !std::isfinite(speed) ||
        !std::isfinite(offset))
    {
        LogError("Невозможно загрузить данные стадии блендинга анимации.");
        return 1;
    }
    return 0;
}
