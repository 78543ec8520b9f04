#include "app/menu.h"

#include <GL/freeglut.h>

#include "state/state.h"

void buildMenus() {}
