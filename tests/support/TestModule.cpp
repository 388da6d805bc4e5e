// A loadable module for the dynamic module tests: the entry points every
// module has, plus one whose answer proves the call reached this library.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) int32_t Initialize()
{
    return 0;
}

extern "C" __attribute__((visibility("default"))) int32_t Shutdown()
{
    return 0;
}

extern "C" __attribute__((visibility("default"))) int32_t Answer()
{
    return 42;
}
