#include "app/menu.h"

#include <GL/freeglut.h>

#include <iterator>

#include "render/paint.h"
#include "state/state.h"

namespace {

struct MenuItem {
    const char* label;
    int value;
};

// Indexed by palette entry.
const char* const paintLabels[paintCount] = {
    "User defined",  "Blood Red",   "Ultramarines Blue", "Sunburst Yellow", "Brass",       "Gunmetal",
    "Bestial brown", "Chaos Black", "Skull White",       "Emerald Green",   "Lich Purple",
};

// Indexed by WeaponKind.
const char* const weaponLabels[] = {"No weapon", "Bolter", "Bolt pistol", "Knife facing up", "Knife facing down"};

struct PaintSlotMenu {
    const char* label;
    void (*handler)(int);
};

// In the order the "Colors" menu shows them.
const PaintSlotMenu paintSlotMenus[] = {
    {"Main Color", mainColorMenu},   {"Trim Color", trimColorMenu},     {"Shoulder Color", shoulderColorMenu},
    {"Metal Color", metalColorMenu}, {"Weapon Color", weaponColorMenu}, {"Eye color", eyeColorMenu},
};
constexpr int slotMenuCount = static_cast<int>(std::size(paintSlotMenus));

// As shown: the upper arm comes before the forearm.
const MenuItem pieceItems[] = {
    {"Head", Head},          {"Body", Body},          {"Upper arm", UpperArm}, {"Forearm", Forearm},
    {"Upper leg", UpperLeg}, {"Lower leg", LowerLeg}, {"Foot", Foot},
};

const MenuItem topItems[] = {
    {"Right side", ChooseRightSide},
    {"Left side", ChooseLeftSide},
    {"Toggle idle", ToggleIdle},
};

// A menu whose entries pass their own position as the value.
int createListMenu(void (*handler)(int), const char* const* labels, int count)
{
    const int menu = glutCreateMenu(handler);
    for (int value = 0; value < count; ++value) glutAddMenuEntry(labels[value], value);
    return menu;
}

// Every slot gets a paint list of its own.
void createPaintMenus(int* slotMenus)
{
    for (int i = 0; i < slotMenuCount; ++i) {
        slotMenus[i] = createListMenu(paintSlotMenus[i].handler, paintLabels, paintCount);
    }
}

int createWeaponsMenu()
{
    constexpr int weaponCount = static_cast<int>(std::size(weaponLabels));
    const int right = createListMenu(rightWeaponMenu, weaponLabels, weaponCount);
    const int left = createListMenu(leftWeaponMenu, weaponLabels, weaponCount);
    const int menu = glutCreateMenu(weaponsMenu);
    glutAddSubMenu("Left weapon", left);
    glutAddSubMenu("Right weapon", right);
    return menu;
}

int createColorsMenu(const int* slotMenus)
{
    const int menu = glutCreateMenu(colorsMenu);
    for (int i = 0; i < slotMenuCount; ++i) glutAddSubMenu(paintSlotMenus[i].label, slotMenus[i]);
    return menu;
}

int createPiecesMenu()
{
    const int menu = glutCreateMenu(piecesMenu);
    for (const MenuItem& item : pieceItems) glutAddMenuEntry(item.label, item.value);
    return menu;
}

void createTopMenu(int pieces, int colors, int weapons)
{
    glutCreateMenu(topMenu);
    glutAddSubMenu("Pieces", pieces);
    glutAddSubMenu("Colors", colors);
    glutAddSubMenu("Weapons", weapons);
    for (const MenuItem& item : topItems) glutAddMenuEntry(item.label, item.value);
}

}  // namespace

// A submenu must exist before its parent can hold it, so the tree is built from the leaves up.
void buildMenus()
{
    int slotMenus[slotMenuCount];
    createPaintMenus(slotMenus);
    const int weapons = createWeaponsMenu();
    const int colors = createColorsMenu(slotMenus);
    const int pieces = createPiecesMenu();
    createTopMenu(pieces, colors, weapons);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void topMenu(int value)
{
    switch (value) {
    case ChooseRightSide: selectedSide = RightSide; break;
    case ChooseLeftSide: selectedSide = LeftSide; break;
    case ToggleIdle: idleEnabled = (idleEnabled + 1) % 2; break;
    }
}

void piecesMenu(int value)
{
    selectedPiece = value;
    // The head and the body turn as one piece: only their right-side entry is drawn.
    if (value == Head || value == Body) selectedSide = RightSide;
}

// Holds only submenus.
void colorsMenu(int) {}

void mainColorMenu(int value)
{
    mainPaint = value;
}

void trimColorMenu(int value)
{
    trimPaint = value;
}

void shoulderColorMenu(int value)
{
    shoulderPaint = value;
}

void metalColorMenu(int value)
{
    metalPaint = value;
}

void weaponColorMenu(int value)
{
    weaponPaint = value;
}

void eyeColorMenu(int value)
{
    eyePaint = value;
}

// Holds only submenus.
void weaponsMenu(int) {}

void rightWeaponMenu(int value)
{
    weaponBySide[RightSide] = value;
}

void leftWeaponMenu(int value)
{
    weaponBySide[LeftSide] = value;
}
