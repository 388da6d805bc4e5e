#include "engine/render/LightList.h"

#include <utility>

#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/Light.h"

namespace
{
// The fewest bytes a stored link takes (a null link's -1).
constexpr uint64_t kLinkBytes = 4;

// Whether the light is the owner or holds it (a cycle the list refuses).
bool Closes(const Object& owner, const Light* light)
{
    return light && (static_cast<const Object*>(light) == &owner || light->Holds(&owner));
}
} // namespace

LightList::LightList() = default;

LightList::~LightList() = default;

int32_t LightList::Add(const Object& owner, Light* light)
{
    if (Closes(owner, light))
    {
        LogError("Источник света уже содержит этот эффект. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 3;
    }
    if (lights.Append(Ptr<Light>(light)) != 0)
    {
        LogError("Недостаточно памяти для списка источников света. Имя[%s] ID[%d]", owner.GetName().CStr(),
                 owner.GetID());
        return 2;
    }
    return 0;
}

void LightList::Clear()
{
    lights.Clear();
}

bool LightList::Holds(const Object* other) const
{
    for (uint32_t i = 0; i < lights.Count(); ++i)
        if (lights[i] && (static_cast<const Object*>(lights[i].Get()) == other || lights[i]->Holds(other)))
            return true;
    return false;
}

int32_t LightList::Save(Stream& stream) const
{
    if (stream.WriteUInt32(lights.Count()) != 0)
        return 1;
    for (uint32_t i = 0; i < lights.Count(); ++i)
        if (stream.WriteLink(lights[i].Get()) != 0)
            return 1;
    return 0;
}

int32_t LightList::Load(Stream& stream, const Object& owner)
{
    uint32_t count = 0;
    if (stream.ReadUInt32(count) != 0 || !stream.CheckRemaining(count, kLinkBytes))
    {
        LogError("Невозможно загрузить количество объектов.");
        return 1;
    }
    Array<Ptr<Light>> loaded(count > 0 ? count : 1, 4);
    for (uint32_t i = 0; i < count; ++i)
    {
        Object* link = nullptr;
        if (stream.ReadLink(link) != 0)
        {
            LogError("Невозможно загрузить объект [%d].", static_cast<int32_t>(i));
            return 1;
        }
        if (link && !link->IsDerived(Light::TYPE))
        {
            LogWarning("Ссылка на источник света указывает на объект другого класса. ID[%d] Имя[%s]", owner.GetID(),
                       owner.GetName().CStr());
            link = nullptr;
        }
        Light* light = static_cast<Light*>(link);
        if (Closes(owner, light))
        {
            LogError("Источник света уже содержит этот эффект. Имя[%s] ID[%d]", owner.GetName().CStr(),
                     owner.GetID());
            return 1;
        }
        if (loaded.Append(Ptr<Light>(light)) != 0)
        {
            LogError("Невозможно загрузить объект [%d].", static_cast<int32_t>(i));
            return 2;
        }
    }
    lights = std::move(loaded);
    return 0;
}
