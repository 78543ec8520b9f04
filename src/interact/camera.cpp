#include <GL/freeglut.h>

#include <cmath>

#include "interact/interact.h"
#include "state/state.h"

namespace {

constexpr double dragTurn = 3.141;      // radians turned by a drag across the whole window
constexpr float yawLimit = cameraFullTurn / 2;  // the yaw wraps once it passes this either way

// A window with no width (or no height) has no scale for a drag along it:
// that axis stays where it is rather than taking a division by zero.
float turned(float angle, double pixels, int windowSize)
{
    if (windowSize <= 0) return angle;
    return static_cast<float>(angle + pixels / windowSize * dragTurn);
}

// The pointer's travel along one axis. A drag far outside the window reports
// positions so far apart that their difference would overflow an int.
double travel(int to, int from)
{
    return static_cast<double>(to) - from;
}

void clampPitch()
{
    if (cameraPitch > cameraPitchLimit) {
        cameraPitch = cameraPitchLimit;
    } else if (cameraPitch < -cameraPitchLimit) {
        cameraPitch = -cameraPitchLimit;
    }
}

// One wrap per event, so a huge jump of the pointer may leave the yaw outside the range.
void wrapYaw()
{
    if (cameraYaw > yawLimit) {
        cameraYaw -= cameraFullTurn;
    } else if (cameraYaw < -yawLimit) {
        cameraYaw += cameraFullTurn;
    }
}

// The start yaw puts the eye on the +z axis.
void placeEye()
{
    const double horizontal = std::cos(cameraPitch) * orbitRadius;
    cameraEye.x = static_cast<float>(std::cos(cameraYaw) * horizontal);
    cameraEye.y = static_cast<float>(std::sin(cameraPitch) * orbitRadius);
    cameraEye.z = static_cast<float>(std::cos(cameraStartYaw - cameraYaw) * horizontal);
}

}  // namespace

// Any button that reaches here starts (or restarts) a drag; the right one carries the menu.
void mouse(int, int state, int x, int y)
{
    if (state != GLUT_DOWN) return;
    lastMouseX = x;
    lastMouseY = y;
}

// Down raises the eye, right swings it towards the figure's right (negative x).
void motion(int x, int y)
{
    cameraPitch = turned(cameraPitch, travel(y, lastMouseY), windowHeight);
    cameraYaw = turned(cameraYaw, travel(x, lastMouseX), windowWidth);
    clampPitch();
    wrapYaw();
    placeEye();
    lastMouseX = x;
    lastMouseY = y;
    glutPostRedisplay();
}
