#include "interact/interact.h"
#include "state/state.h"

void mouse(int, int, int, int) {}
void motion(int, int) {}
