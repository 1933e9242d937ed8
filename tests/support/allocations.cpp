#include "tests/support/allocations.h"

#include <cstddef>

namespace {
// Constant-initialised, so reaching them allocates nothing itself.
thread_local long allocated = 0;
thread_local int counting = 0;
}  // namespace

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// glibc lets a program put its own malloc in front of its own.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);

void* malloc(std::size_t size)
{
    allocated += counting;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    allocated += counting;
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size)
{
    allocated += counting;
    return __libc_realloc(p, size);
}
}
namespace testing_support {
bool allocationsCounted() { return true; }
}  // namespace testing_support
#else
namespace testing_support {
bool allocationsCounted() { return false; }
}  // namespace testing_support
#endif

namespace testing_support {

AllocationCount::AllocationCount() : start_(allocated) { ++counting; }
AllocationCount::~AllocationCount() { --counting; }
long AllocationCount::made() const { return allocated - start_; }

}  // namespace testing_support
