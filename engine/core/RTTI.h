#pragma once
#include "engine/core/String.h"

// Run-time type of an engine class: its "QRE." type name (what scene files
// store) and a link to the base class's record.
class RTTI
{
public:
    RTTI(const char* name, const RTTI* base) : name(name), base(base) {}
    RTTI(const RTTI&) = delete;
    RTTI& operator=(const RTTI&) = delete;

    const String& GetName() const { return name; }
    const RTTI* GetBase() const { return base; }

    // The same class, not a subclass.
    bool IsExactly(const RTTI& other) const { return this == &other; }

    // This class is other or derives from it.
    bool IsDerived(const RTTI& other) const
    {
        for (const RTTI* type = this; type; type = type->base)
            if (type == &other)
                return true;
        return false;
    }

private:
    String name;
    const RTTI* base; // not owned: every record is static
};
