#include "support/FailingAllocation.h"

#include <atomic>
#include <cstddef>
#include <new>

namespace
{

// Set while a FailingAllocation lives.
std::atomic<bool> failing{false};

} // namespace

FailingAllocation::FailingAllocation() { failing = true; }
FailingAllocation::~FailingAllocation() { failing = false; }

// The replaceable nothrow forms: the library's own behaviour (the throwing
// form, its failure turned into null) unless a FailingAllocation lives.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (failing)
        return nullptr;
    try
    {
        return ::operator new(size);
    }
    catch (...)
    {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (failing)
        return nullptr;
    try
    {
        return ::operator new[](size);
    }
    catch (...)
    {
        return nullptr;
    }
}
