#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

void drawTorso() {}
void drawBackpack() {}
void drawBackpackFitting(int) {}
void drawHead() {}
void drawEye(int) {}
