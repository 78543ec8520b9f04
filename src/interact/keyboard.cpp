#include "interact/interact.h"
#include "state/state.h"

void keyboard(unsigned char, int, int) {}
