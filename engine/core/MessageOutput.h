#pragma once
#include <cstdint>

#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"

// Somewhere log messages go. The log functions format a message once and hand
// the text to every registered output.
class MessageOutput : public RefCounted, public Named
{
public:
    explicit MessageOutput(const String& name) : Named(name) {}

    // level: 0 information, 1 warning, 2 error, 3 critical; any other value
    // is passed on unchanged.
    virtual void Output(int32_t level, const String& text) = 0;
};
