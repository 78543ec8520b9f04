// Records the pop-up menus the designer builds, as the toolkit's current menu sees
// them, then lets every real call through, so the real menus exist as well.
// The test binaries are linked with --wrap for the menu calls.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct MenuEntry {
    std::string label;
    int value = 0;           // the value handed to the menu's handler, or the submenu's id
    bool isSubmenu = false;
};

struct BuiltMenu {
    int id = 0;  // the toolkit's menu id
    void (*handler)(int) = nullptr;
    std::vector<MenuEntry> entries;  // top to bottom, as shown
};

struct MenuAttachment {
    int menu = 0;
    int button = 0;
};

struct MenuTree {
    std::vector<BuiltMenu> menus;  // in the order they were created
    std::vector<MenuAttachment> attachments;
    const BuiltMenu* find(int id) const;  // nullptr for a menu not built here
};

// Runs the building and returns the menus it made. Calls outside it are let through unrecorded.
MenuTree recordMenus(const std::function<void()>& building);
