#pragma once
#include <cstdint>

#include "engine/core/String.h"

class Module;

// The process-wide table of modules by name. Started and stopped by the
// engine start-up lists; every module of this program is built in and
// registers itself during post-initialisation.
class ModuleManager
{
public:
    static int32_t Initialize();
    static int32_t Terminate();

    // Takes a reference. 3 null, 1 name taken (the first module stays).
    static int32_t RegisterModule(Module* module);

    // The registered module of that name, or null; holds nothing.
    static Module* FindModule(const String& name);

    // A registered module, else a module loaded from a library file; the
    // result is registered and held by the manager. 0, 1, 2 or 3.
    static int32_t LoadModule(const String& name, Module** place);

    static uint32_t GetModuleCount();
};
