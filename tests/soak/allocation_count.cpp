#include "soak/allocation_count.h"

#include <cstddef>
#include <new>

namespace {

bool counting = false;
long allocations = 0;

void count()
{
    if (counting) ++allocations;
}

}  // namespace

void startCountingAllocations()
{
    counting = true;
}

void stopCountingAllocations()
{
    counting = false;
}

long countedAllocations()
{
    return allocations;
}

extern "C" {

void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t items, std::size_t size);
void* __real_realloc(void* block, std::size_t size);
void* __real_aligned_alloc(std::size_t alignment, std::size_t size);
int __real_posix_memalign(void** block, std::size_t alignment, std::size_t size);
void* __real__Znwm(std::size_t size);
void* __real__Znam(std::size_t size);
void* __real__ZnwmRKSt9nothrow_t(std::size_t size, const std::nothrow_t& tag);
void* __real__ZnamRKSt9nothrow_t(std::size_t size, const std::nothrow_t& tag);
void* __real__ZnwmSt11align_val_t(std::size_t size, std::align_val_t alignment);
void* __real__ZnamSt11align_val_t(std::size_t size, std::align_val_t alignment);

void* __wrap_malloc(std::size_t size)
{
    count();
    return __real_malloc(size);
}

void* __wrap_calloc(std::size_t items, std::size_t size)
{
    count();
    return __real_calloc(items, size);
}

void* __wrap_realloc(void* block, std::size_t size)
{
    count();
    return __real_realloc(block, size);
}

void* __wrap_aligned_alloc(std::size_t alignment, std::size_t size)
{
    count();
    return __real_aligned_alloc(alignment, size);
}

int __wrap_posix_memalign(void** block, std::size_t alignment, std::size_t size)
{
    count();
    return __real_posix_memalign(block, alignment, size);
}

void* __wrap__Znwm(std::size_t size)
{
    count();
    return __real__Znwm(size);
}

void* __wrap__Znam(std::size_t size)
{
    count();
    return __real__Znam(size);
}

void* __wrap__ZnwmRKSt9nothrow_t(std::size_t size, const std::nothrow_t& tag)
{
    count();
    return __real__ZnwmRKSt9nothrow_t(size, tag);
}

void* __wrap__ZnamRKSt9nothrow_t(std::size_t size, const std::nothrow_t& tag)
{
    count();
    return __real__ZnamRKSt9nothrow_t(size, tag);
}

void* __wrap__ZnwmSt11align_val_t(std::size_t size, std::align_val_t alignment)
{
    count();
    return __real__ZnwmSt11align_val_t(size, alignment);
}

void* __wrap__ZnamSt11align_val_t(std::size_t size, std::align_val_t alignment)
{
    count();
    return __real__ZnamSt11align_val_t(size, alignment);
}

}  // extern "C"
