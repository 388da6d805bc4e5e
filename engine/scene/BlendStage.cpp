#include "engine/scene/BlendStage.h"

#include <cmath>

#include "engine/core/Log.h"
#include "engine/core/Stream.h"

void BlendStage::Clear()
{
    animation = nullptr;
    weight = 1.0f;
    index0 = 0;
    index1 = 0;
    fraction = 0.0;
}

void BlendStage::Sample(double trackTime)
{
    const uint32_t count = animation ? animation->GetKeyCount() : 0;
    if (count == 0)
        return;
    // The first key after trackTime; a NaN time finds none at or before it.
    uint32_t low = 0, high = count;
    while (low < high)
    {
        const uint32_t middle = low + (high - low) / 2;
        if (animation->GetKeyTime(middle) <= trackTime)
            low = middle + 1;
        else
            high = middle;
    }
    index0 = low == 0 ? count - 1 : low - 1;
    index1 = index0 + 1 == count ? 0 : index0 + 1;
    const double time0 = animation->GetKeyTime(index0);
    double span = animation->GetKeyTime(index1) - time0;
    if (span < 0.0)
        span += 1.0;
    if (span == 0.0)
    {
        fraction = 0.0;
        return;
    }
    double along = trackTime - time0;
    if (along < 0.0)
        along += 1.0;
    // Keys outside [0, 1) or out of order can put the ratio anywhere, NaN
    // included; the blend only interpolates.
    const double ratio = along / span;
    fraction = ratio > 0.0 ? (ratio < 1.0 ? ratio : 1.0) : 0.0;
}

int32_t BlendStage::Save(Stream& stream) const
{
    if (stream.WriteLink(animation.Get()) != 0)
    {
        LogError("Невозможно сохранить анимацию стадии блендинга анимации.");
        return 1;
    }
    if (stream.WriteFloat(weight) != 0)
    {
        LogError("Невозможно сохранить данные стадии блендинга анимации.");
        return 1;
    }
    return 0;
}

int32_t BlendStage::Load(Stream& stream)
{
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить анимацию стадии блендинга анимации.");
        return 1;
    }
    // A link of another class counts as no animation.
    animation = link && link->IsDerived(Animation::TYPE) ? static_cast<Animation*>(link) : nullptr;
    if (stream.ReadFloat(weight) != 0 || !std::isfinite(weight))
    {
        LogError("Невозможно загрузить данные стадии блендинга анимации.");
        return 1;
    }
    return 0;
}
