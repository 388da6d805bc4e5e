#include "engine/render/Technique.h"

void Technique::MarkChanged()
{
    for (uint32_t i = 0; i < passes.Count(); ++i)
        passes[i]->MarkChanged();
}

bool Technique::Holds(const Object* other) const
{
    for (uint32_t i = 0; i < passes.Count(); ++i)
        if (passes[i].Get() == other || passes[i]->Holds(other))
            return true;
    return false;
}

int32_t Technique::AddPass(Pass* pass)
{
    if (!pass)
        return 3;
    passes.Append(Ptr<Pass>(pass));
    return 0;
}
