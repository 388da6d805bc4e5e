#pragma once
#include <cstdint>
#include <map>

class OcclusionQuery;

// The device occlusion queries of the renderer, by the token kept in each
// query's handle slot. A token is never reused, so a query whose device
// object went with a loss or a Shutdown is simply made again on its next
// Begin. Internal to engine/render/gl.
class GLQueryTable
{
public:
    struct Entry
    {
        unsigned int name = 0;            // the GL query object
        OcclusionQuery* owner = nullptr;  // plain: the owner releases its entry as it goes
    };

    std::map<uintptr_t, Entry> queries;
    uintptr_t nextToken = 1;
    // The query between Begin and End (GL counts one at a time), or 0.
    uintptr_t activeToken = 0;
};
