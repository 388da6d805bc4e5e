#pragma once
#include "engine/core/String.h"

// A name for things that are not Objects (outputs, modules, codecs, handlers);
// log lines print it.
class Named
{
public:
    explicit Named(const String& name = String()) : name(name) {}
    virtual ~Named() = default;

    virtual void SetName(const String& newName) { name = newName; }
    const String& GetName() const { return name; }

private:
    String name;
};
