#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

void drawWeapon(int) {}
void drawBolter() {}
void drawBoltPistol() {}
void drawKnife() {}
