// Random input for the designer's own handlers: every key code, every value its
// menus offer, presses and releases of every button, drags inside the window and
// far outside it, reshapes down to nothing and back, and bursts of idle ticks.
// Seeded, so that a run repeats event for event; nothing here allocates once built.
#pragma once

#include <GL/freeglut.h>

#include <array>
#include <climits>
#include <ostream>
#include <random>
#include <utility>
#include <vector>

#include "app/menu.h"
#include "interact/interact.h"
#include "render/frame.h"
#include "state/state.h"
#include "support/menu_recorder.h"

enum class InputKind { Key, Menu, Press, Release, Drag, Reshape, Ticks };
constexpr int inputKindCount = 7;

// One value that a menu entry hands to its menu's handler.
struct MenuChoice {
    void (*handler)(int) = nullptr;
    int value = 0;
};

// Every choice the built menus offer, submenus left out: only these values ever reach a handler.
inline std::vector<MenuChoice> offeredChoices(const MenuTree& tree)
{
    std::vector<MenuChoice> choices;
    for (const BuiltMenu& menu : tree.menus) {
        for (const MenuEntry& entry : menu.entries) {
            if (!entry.isSubmenu) choices.push_back({menu.handler, entry.value});
        }
    }
    return choices;
}

// The last event fed, enough to say what happened when a check fails.
struct InputEvent {
    InputKind kind = InputKind::Key;
    int a = 0;  // key code, menu choice index, button, x, width or tick count
    int b = 0;  // x, menu value, button state, y or height
    int c = 0;  // y
};

inline std::ostream& operator<<(std::ostream& out, const InputEvent& e)
{
    switch (e.kind) {
    case InputKind::Key: return out << "key " << e.a << " at " << e.b << ", " << e.c;
    case InputKind::Menu: return out << "menu choice " << e.a << " with value " << e.b;
    case InputKind::Press: return out << "press of button " << e.a << " at " << e.b << ", " << e.c;
    case InputKind::Release: return out << "release of button " << e.a << " at " << e.b << ", " << e.c;
    case InputKind::Drag: return out << "drag to " << e.b << ", " << e.c;
    case InputKind::Reshape: return out << "reshape to " << e.a << " by " << e.b;
    case InputKind::Ticks: return out << e.a << " idle ticks";
    }
    return out;
}

// How often each InputKind comes, in the order of the enumeration.
using InputMix = std::array<double, inputKindCount>;

class RandomInput {
public:
    RandomInput(unsigned seed, std::vector<MenuChoice> choices, const InputMix& mix)
        : random(seed), menuChoices(std::move(choices)), kinds(mix.begin(), mix.end())
    {
    }

    // Feeds one event to the handler that takes it.
    void feedOne()
    {
        last = InputEvent{};
        last.kind = static_cast<InputKind>(kinds(random));
        switch (last.kind) {
        case InputKind::Key: feedKey(); break;
        case InputKind::Menu: feedMenu(); break;
        case InputKind::Press: feedButton(GLUT_DOWN); break;
        case InputKind::Release: feedButton(GLUT_UP); break;
        case InputKind::Drag: feedDrag(); break;
        case InputKind::Reshape: feedReshape(); break;
        case InputKind::Ticks: feedTicks(); break;
        }
    }

    const InputEvent& lastEvent() const { return last; }
    long ticksFed() const { return ticks; }

    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random); }
    int within(int lowest, int highest) { return std::uniform_int_distribution<int>(lowest, highest)(random); }

private:
    // Pointer positions: mostly inside the window, often just outside it, sometimes at
    // the X protocol's 16-bit limits, and now and then at the very ends of an int.
    int coordinate(int windowSize)
    {
        switch (below(8)) {
        case 0: return within(-5000, 5000);
        case 1: return within(-32768, 32767);
        case 2: return below(2) == 0 ? -32768 : 32767;
        case 3: return below(2) == 0 ? INT_MIN : INT_MAX;
        default: return below(windowSize > 0 ? windowSize : initialWindowSize);
        }
    }

    // Window sides: zero often, else anything from one pixel to far beyond any screen,
    // and a negative size now and then.
    int windowSide()
    {
        switch (below(6)) {
        case 0: return 0;
        case 1: return within(-100, -1);
        case 2: return within(1, 16);
        case 3: return within(2000, 100000);
        default: return within(100, 2000);
        }
    }

    void feedKey()
    {
        last.a = below(256);
        last.b = coordinate(windowWidth);
        last.c = coordinate(windowHeight);
        keyboard(static_cast<unsigned char>(last.a), last.b, last.c);
    }

    void feedMenu()
    {
        last.a = below(static_cast<int>(menuChoices.size()));
        const MenuChoice& choice = menuChoices[static_cast<std::size_t>(last.a)];
        last.b = choice.value;
        choice.handler(choice.value);
    }

    void feedButton(int state)
    {
        last.a = below(3);
        last.b = coordinate(windowWidth);
        last.c = coordinate(windowHeight);
        mouse(last.a, state, last.b, last.c);
    }

    void feedDrag()
    {
        last.b = coordinate(windowWidth);
        last.c = coordinate(windowHeight);
        motion(last.b, last.c);
    }

    void feedReshape()
    {
        last.a = windowSide();
        last.b = windowSide();
        reshape(last.a, last.b);
    }

    void feedTicks()
    {
        last.a = within(1, 16);
        for (int i = 0; i < last.a; ++i) idleTimer(1);
        ticks += last.a;
    }

    std::mt19937 random;
    std::vector<MenuChoice> menuChoices;
    std::discrete_distribution<int> kinds;
    InputEvent last;
    long ticks = 0;
};
