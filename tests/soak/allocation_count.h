// Counts the allocations made by the code linked into this binary: the designer's
// own code and the test's. The binary is linked with --wrap for the allocation
// functions, which redirects only the references its own objects make; the shared
// libraries (Mesa, the toolkit, the C and C++ runtimes) still call the allocator
// directly and are not counted.
#pragma once

// Counts from now on, adding to what was counted before.
void startCountingAllocations();
void stopCountingAllocations();
long countedAllocations();
