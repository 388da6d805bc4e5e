#pragma once
#include <cstdint>

#include "engine/core/String.h"

class Object;

// Creates an object of one class: 0 created (count 0, the caller takes the
// references), 1 the class is abstract, 2 out of memory.
using ClassFactory = int32_t (*)(Object** place);

// The map from type name to factory that lets a scene file name the classes
// it holds. Exact names: length and bytes, case matters.
bool RegisterClassFactory(const String& typeName, ClassFactory factory);
void UnregisterClassFactory(const String& typeName);
ClassFactory FindClassFactory(const String& typeName);
uint32_t GetClassFactoryCount();
