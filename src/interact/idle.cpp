#include <GL/freeglut.h>

#include "interact/interact.h"
#include "state/state.h"

void idleTimer(int)
{
    glutTimerFunc(idleTickMilliseconds, idleTimer, 1);
}
