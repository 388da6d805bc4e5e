#pragma once

// While one of these lives, every `new (std::nothrow)` of the test program
// returns null, so the out-of-memory branches run without exhausting the
// machine. Throwing allocations (the log's own strings, the capture) go on
// as usual.
class FailingAllocation
{
public:
    FailingAllocation();
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
};
