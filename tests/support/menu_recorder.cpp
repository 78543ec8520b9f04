#include "support/menu_recorder.h"

#include <GL/freeglut.h>

extern "C" {
int __real_glutCreateMenu(void (*handler)(int));
void __real_glutAddMenuEntry(const char* label, int value);
void __real_glutAddSubMenu(const char* label, int submenu);
void __real_glutAttachMenu(int button);
}

namespace {

bool recordingMenus = false;
MenuTree tree;

// The menu the toolkit adds entries to at this moment.
BuiltMenu* currentMenu()
{
    const int id = glutGetMenu();
    for (BuiltMenu& menu : tree.menus) {
        if (menu.id == id) return &menu;
    }
    return nullptr;
}

void addEntry(const char* label, int value, bool isSubmenu)
{
    if (!recordingMenus) return;
    BuiltMenu* menu = currentMenu();
    if (menu != nullptr) menu->entries.push_back({label, value, isSubmenu});
}

}  // namespace

extern "C" {

int __wrap_glutCreateMenu(void (*handler)(int))
{
    const int id = __real_glutCreateMenu(handler);
    if (recordingMenus) tree.menus.push_back({id, handler, {}});
    return id;
}

void __wrap_glutAddMenuEntry(const char* label, int value)
{
    __real_glutAddMenuEntry(label, value);
    addEntry(label, value, false);
}

void __wrap_glutAddSubMenu(const char* label, int submenu)
{
    __real_glutAddSubMenu(label, submenu);
    addEntry(label, submenu, true);
}

void __wrap_glutAttachMenu(int button)
{
    __real_glutAttachMenu(button);
    if (recordingMenus) tree.attachments.push_back({glutGetMenu(), button});
}

}  // extern "C"

const BuiltMenu* MenuTree::find(int id) const
{
    for (const BuiltMenu& menu : menus) {
        if (menu.id == id) return &menu;
    }
    return nullptr;
}

MenuTree recordMenus(const std::function<void()>& building)
{
    tree = MenuTree{};
    recordingMenus = true;
    building();
    recordingMenus = false;
    return std::move(tree);
}
