#include "engine/render/Effect.h"

#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/Pass.h"
#include "engine/render/Renderer.h"
#include "engine/render/Technique.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Effect, Object)

Effect::Effect(const String& name) : Object(name)
{
}

Effect::~Effect()
{
    ClearTechniques();
}

void Effect::ClearTechniques()
{
    active = nullptr;
    techniques.Clear();
}

int32_t Effect::Update(double time)
{
    UpdateControllers(time);
    return 0;
}

uint32_t Effect::PassCount()
{
    if (!active)
    {
        Renderer* renderer = GetRenderer();
        if (!renderer)
            return 0;
        for (uint32_t i = 0; i < techniques.Count(); ++i)
        {
            if (techniques[i]->IsSupported(*renderer))
            {
                active = techniques[i].get();
                active->MarkChanged();
                break;
            }
        }
        if (!active)
            return 0;
    }
    return active->GetPassCount();
}

int32_t Effect::ApplyPass(uint32_t index)
{
    Renderer* renderer = GetRenderer();
    Pass* pass = active ? active->GetPass(index) : nullptr;
    if (!renderer || !pass)
        return 1;
    renderer->SetCurrentPass(pass);
    renderer->BeginPass(pass);
    return pass->Apply();
}

void Effect::MarkChanged()
{
    if (active)
        active->MarkChanged();
}

int32_t Effect::AddTechnique(std::unique_ptr<Technique> technique)
{
    if (!technique)
        return 3;
    if (techniques.Append(std::move(technique)) != 0)
    {
        LogError("Недостаточно памяти для добавления техники эффекта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    return 0;
}

bool Effect::Holds(const Object* other) const
{
    if (Object::Holds(other))
        return true;
    for (uint32_t i = 0; i < techniques.Count(); ++i)
        if (techniques[i]->Holds(other))
            return true;
    return false;
}
