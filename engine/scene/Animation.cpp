#include "engine/scene/Animation.h"

#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Animation, Object)

Animation::Animation(const String& name) : Object(name)
{
}

Animation::~Animation() = default;

std::unique_ptr<AnimationKey> Animation::CreateKey() const
{
    return std::unique_ptr<AnimationKey>(new (std::nothrow) AnimationKey());
}

int32_t Animation::AddKey(double time)
{
    std::unique_ptr<AnimationKey> key = CreateKey();
    if (!key)
    {
        LogError("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 2;
    }
    key->time = time;
    return AppendKey(std::move(key));
}

int32_t Animation::AppendKey(std::unique_ptr<AnimationKey> key)
{
    if (!std::isfinite(key->time))
    {
        LogWarning("Неверное время кифрейма [%f]. Имя[%s] ID[%d]", key->time, GetName().CStr(), GetID());
        return 3;
    }
    if (keys.Append(std::move(key)) != 0)
    {
        LogError("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 2;
    }
    return 0;
}

int32_t Animation::Save(Stream& stream)
{
    if (Object::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(static_cast<int32_t>(keys.Count())) != 0)
    {
        LogError("Невозможно сохранить количество кифреймов анимации. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    for (const std::unique_ptr<AnimationKey>& key : keys)
    {
        if (key->Save(stream) != 0)
        {
            LogError("Невозможно сохранить кифрейм анимации. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    return 0;
}

int32_t Animation::Load(Stream& stream)
{
    if (Object::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t count = 0;
    if (stream.ReadInt32(count) != 0 || count < 0 ||
        !stream.CheckRemaining(static_cast<uint32_t>(count), GetKeyRecordSize()))
    {
        LogError("Невозможно загрузить количество кифреймов анимации. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    keys = Array<std::unique_ptr<AnimationKey>>(static_cast<uint32_t>(count), 1);
    bool descending = false;
    for (int32_t i = 0; i < count; ++i)
    {
        std::unique_ptr<AnimationKey> key = CreateKey();
        if (!key)
        {
            LogError("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 2;
        }
        if (key->Load(stream) != 0)
        {
            LogError("Невозможно загрузить кифрейм анимации. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        descending = descending || (i > 0 && key->time < keys[keys.Count() - 1]->time);
        if (keys.Append(std::move(key)) != 0)
        {
            LogError("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 2;
        }
    }
    // Sampling still finds a key in range; the motion is the file's own.
    if (descending)
        LogWarning("Время кифреймов анимации убывает. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 0;
}
