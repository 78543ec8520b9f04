// The right-button pop-up menu: pieces, paints, weapons, side and idle.
#pragma once

// Builds the whole tree and attaches its top menu to the right mouse button.
void buildMenus();
