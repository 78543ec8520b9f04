// The browser toolkit's header under the desktop's name: its standard calls, and the
// solids and menus that this folder supplies behind them.
#pragma once

#include <GL/glut.h>
