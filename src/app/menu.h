// The right-button pop-up menu: pieces, paints, weapons, side and idle.
#pragma once

// Builds the whole tree and attaches its top menu to the right mouse button.
void buildMenus();

// The values of the top menu's own entries.
enum TopMenuChoice : int { ChooseRightSide = 0, ChooseLeftSide = 1, ToggleIdle = 2 };

// One handler per menu; each takes the value of the chosen entry and only
// changes the designer state (the window redraws continuously).
void topMenu(int value);
void piecesMenu(int value);
void colorsMenu(int value);
void mainColorMenu(int value);
void trimColorMenu(int value);
void shoulderColorMenu(int value);
void metalColorMenu(int value);
void weaponColorMenu(int value);
void eyeColorMenu(int value);
void weaponsMenu(int value);
void rightWeaponMenu(int value);
void leftWeaponMenu(int value);
