#pragma once
#include <cstdint>

#include "engine/files/Module.h"

// A module loaded from a shared library: its functions are the library's
// exported C symbols. Destroying it runs the library's "Shutdown", then
// unloads the library.
class DynamicModule : public Module
{
public:
    explicit DynamicModule(const String& name = String()) : Module(name) {}
    ~DynamicModule() override;

    // Loads the library at path (a system path) with every symbol bound now
    // and kept to itself. 0; 1 when it cannot be loaded or one is loaded
    // already. The caller logs the failure.
    int32_t Load(const String& path);

    bool IsLoaded() const { return library != nullptr; }

    // 0 found; 1 no such symbol; 3 null place or no library (all logged).
    int32_t GetFunction(ModuleFunction* place, const String& functionName) override;

private:
    void* library = nullptr; // owned handle of the loaded library
};
