#include "engine/render/LightSlot.h"

#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/Light.h"

LightSlot::LightSlot() = default;

LightSlot::~LightSlot() = default;

int32_t LightSlot::Set(const Object& owner, Light* newLight)
{
    if (newLight && (static_cast<const Object*>(newLight) == &owner || newLight->Holds(&owner)))
    {
        LogError("Источник света уже содержит этот эффект. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 3;
    }
    light = newLight;
    return 0;
}

bool LightSlot::Holds(const Object* other) const
{
    return light && (static_cast<const Object*>(light.Get()) == other || light->Holds(other));
}

int32_t LightSlot::Save(Stream& stream, const Object& owner)
{
    if (stream.WriteLink(light.Get()) != 0)
    {
        LogError("Невозможно сохранить источник света. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 1;
    }
    return 0;
}

int32_t LightSlot::Load(Stream& stream, const Object& owner)
{
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить источник света. ID[%d] Имя[%s]", owner.GetID(), owner.GetName().CStr());
        return 1;
    }
    if (link && !link->IsDerived(Light::TYPE))
    {
        LogWarning("Ссылка на источник света указывает на объект другого класса. ID[%d] Имя[%s]", owner.GetID(),
                   owner.GetName().CStr());
        link = nullptr;
    }
    return Set(owner, static_cast<Light*>(link)) == 0 ? 0 : 1;
}
