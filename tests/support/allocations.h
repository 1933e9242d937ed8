#pragma once
// Counts the heap allocations (malloc, calloc, realloc, and so operator new
// and Qt's containers) that the calling thread makes while a Count lives.
// Under a sanitizer, which owns the allocator, nothing is counted.

namespace testing_support {

// Whether this build counts at all.
bool allocationsCounted();

class AllocationCount {
public:
    AllocationCount();
    ~AllocationCount();
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;

    long made() const;

private:
    long start_;
};

}  // namespace testing_support
