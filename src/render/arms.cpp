#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

void drawShoulderPad(int) {}
void drawArmSegment(int, int) {}
void drawHand(int) {}
