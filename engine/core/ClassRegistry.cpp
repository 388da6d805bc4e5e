#include "engine/core/ClassRegistry.h"

#include "engine/core/HashMap.h"

namespace
{

HashMap<String, ClassFactory>& Factories()
{
    static HashMap<String, ClassFactory> factories;
    return factories;
}

} // namespace

bool RegisterClassFactory(const String& typeName, ClassFactory factory)
{
    return Factories().Insert(typeName, factory);
}

void UnregisterClassFactory(const String& typeName)
{
    Factories().Remove(typeName);
}

ClassFactory FindClassFactory(const String& typeName)
{
    ClassFactory* found = Factories().Find(typeName);
    return found ? *found : nullptr;
}

uint32_t GetClassFactoryCount()
{
    return Factories().Count();
}
