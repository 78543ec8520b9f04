#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

void drawUpperLeg() {}
void drawLowerLeg() {}
void drawFoot() {}
