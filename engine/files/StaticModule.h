#pragma once
#include "engine/core/HashMap.h"
#include "engine/files/Module.h"

// A module built into the executable: its functions are added by name at
// registration. Destroying it runs its "Shutdown".
class StaticModule : public Module
{
public:
    explicit StaticModule(const String& name = String()) : Module(name) {}
    ~StaticModule() override;

    // False when a function of that name is present already.
    bool AddFunction(const String& functionName, ModuleFunction function);

    int32_t GetFunction(ModuleFunction* place, const String& functionName) override;

private:
    HashMap<String, ModuleFunction> functions;
};
