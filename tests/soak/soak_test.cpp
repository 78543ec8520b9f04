// Ten thousand frames of the real designer with the idle sway on and random input:
// once warmed up, its resident memory stays where it is, and its own code allocates
// nothing, neither in a frame nor in any handler.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "app/menu.h"
#include "interact/interact.h"
#include "render/frame.h"
#include "soak/allocation_count.h"
#include "state/state.h"
#include "support/harness.h"
#include "support/menu_recorder.h"
#include "support/random_input.h"

namespace {

constexpr int soakFrames = 10000;
constexpr int warmUpFrames = 1000;
constexpr int stretchFrames = 1000;  // resident memory is compared over two such stretches
constexpr unsigned soakSeed = 5061u;

// What may still come and go once warmed up. The software GL driver maps a block of
// a megabyte (1 MiB + 8 KiB) for a while now and then, at times for thousands of
// frames; the C library's allocator trims and regrows its heap; library code is read
// in the first time a path needs it. 1.5 MiB lets that through, yet a leak of 230
// bytes a frame would pass it over the 7,000 frames or more between the two stretches
// compared; the designer's own code is held to no allocation at all.
constexpr long residentTolerance = 1536 * 1024;

// Key, Menu, Press, Release, Drag, Reshape, Ticks: what a user does at the window.
// The window system alone reshapes it, and the real timer chain ticks the sway.
constexpr InputMix userInput = {6, 3, 1, 1, 3, 0, 0};

// The resident set from the kernel's own count, read without allocating anything.
long residentBytes()
{
    char text[128] = {};
    const int file = open("/proc/self/statm", O_RDONLY);
    if (file < 0) return -1;
    const ssize_t length = read(file, text, sizeof text - 1);
    close(file);
    if (length <= 0) return -1;
    // Total pages first, then the resident ones.
    char* afterTotal = nullptr;
    std::strtol(text, &afterTotal, 10);
    return std::strtol(afterTotal, nullptr, 10) * sysconf(_SC_PAGESIZE);
}

// The least resident set seen over a stretch of frames: it looks past a buffer held
// only for part of the stretch, while what stays for good raises even the least.
class LeastResident {
public:
    void sample()
    {
        const long bytes = residentBytes();
        if (least < 0 || bytes < least) least = bytes;
    }
    long bytes() const { return least; }

private:
    long least = -1;
};

// Every choice the menus offer but "Toggle idle", so that the sway stays on.
std::vector<MenuChoice> choicesKeepingIdleOn()
{
    std::vector<MenuChoice> choices = offeredChoices(recordMenus(buildMenus));
    choices.erase(std::remove_if(choices.begin(), choices.end(),
                                 [](const MenuChoice& c) { return c.handler == topMenu && c.value == ToggleIdle; }),
                  choices.end());
    return choices;
}

// The code linked into this binary is what the count sees: these must all count,
// or the zero the soak expects would mean nothing.
TEST(AllocationCount, SeesEveryAllocationOfTheCodeLinkedHere)
{
    const long before = countedAllocations();
    startCountingAllocations();
    int* volatile single = new int(5);
    delete single;
    void* volatile block = std::malloc(16);
    std::free(block);
    std::vector<int> values(4);
    int* volatile element = values.data();
    stopCountingAllocations();
    EXPECT_NE(element, nullptr);
    EXPECT_EQ(countedAllocations() - before, 3);
}

class Soak : public DesignerTest {};

TEST_F(Soak, TenThousandFramesWithIdleOnNeitherGrowNorAllocate)
{
    RandomInput input(soakSeed, choicesKeepingIdleOn(), userInput);
    topMenu(ToggleIdle);
    ASSERT_EQ(idleEnabled, 1);
    float phases[pieceCount][sideCount][axisCount];
    std::memcpy(phases, motionPhase, sizeof phases);

    const long startResident = residentBytes();
    LeastResident warm;
    LeastResident end;
    int swayingFrames = 0;
    const long swapsBefore = bufferSwaps();
    const long allocationsBefore = countedAllocations();
    startCountingAllocations();
    for (int frame = 0; frame < soakFrames; ++frame) {
        if (frame >= warmUpFrames && frame < warmUpFrames + stretchFrames) warm.sample();
        if (frame >= soakFrames - stretchFrames) end.sample();
        for (int events = input.below(3); events > 0; --events) input.feedOne();
        // The event loop draws the frame the hands asked for, and runs the real timer
        // chain, which ticks the sway, whenever its 20 ms are up.
        pumpEvents();
        if (std::memcmp(phases, motionPhase, sizeof phases) != 0) {
            std::memcpy(phases, motionPhase, sizeof phases);
            ++swayingFrames;
        }
    }
    stopCountingAllocations();

    std::cout << "resident memory: " << startResident / 1024 << " KiB at the start, at least " << warm.bytes() / 1024
              << " KiB over frames " << warmUpFrames << " to " << warmUpFrames + stretchFrames - 1 << ", at least "
              << end.bytes() / 1024 << " KiB over frames " << soakFrames - stretchFrames << " to " << soakFrames - 1
              << " (" << (end.bytes() - warm.bytes()) / 1024 << " KiB more); the sway moved on " << swayingFrames
              << " frames\n";
    EXPECT_EQ(bufferSwaps() - swapsBefore, soakFrames) << "not one frame drawn per turn of the event loop";
    EXPECT_EQ(countedAllocations() - allocationsBefore, 0) << "the designer's own code allocated";
    ASSERT_GT(warm.bytes(), 0) << "no resident set from /proc/self/statm";
    EXPECT_LE(end.bytes() - warm.bytes(), residentTolerance) << "the resident set grew after the warm-up";
    EXPECT_GT(swayingFrames, 0) << "the idle sway never ran";
}

}  // namespace
