#pragma once
#include <cstdint>

#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"

// Every module entry point takes no argument and returns a result code; a
// few ("CreateCodec", "CreateRenderer") take a place for what they create and
// are cast back by their callers.
using ModuleFunction = int32_t (*)();

// A named table of functions: built into the executable or loaded from a
// library. Codecs and the renderer come out of modules.
class Module : public RefCounted, public Named
{
public:
    explicit Module(const String& name = String()) : Named(name) {}

    // 0 found, 1 no such function (logged), 3 null place (logged).
    virtual int32_t GetFunction(ModuleFunction* place, const String& functionName) = 0;

    // Casts a looked-up entry point to its real signature.
    template <typename Function>
    int32_t GetFunctionAs(Function* place, const String& functionName)
    {
        ModuleFunction found = nullptr;
        int32_t result = GetFunction(place ? &found : nullptr, functionName);
        if (result == 0)
            *place = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found)); // void(*)() is the generic function pointer
        return result;
    }
};
