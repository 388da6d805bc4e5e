#include "platform/Resources.h"

#include <cstring>

namespace platform
{

bool FindResource(const char* type, int32_t number, const unsigned char** data, size_t* size)
{
    if (!type || !data || !size)
        return false;
    for (unsigned i = 0; i < kResourceCount; ++i)
    {
        const ResourceEntry& entry = kResourceTable[i];
        if (entry.number == number && std::strcmp(entry.type, type) == 0)
        {
            *data = entry.begin;
            *size = static_cast<size_t>(entry.end - entry.begin);
            return true;
        }
    }
    return false;
}

} // namespace platform
