#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "interact/interact.h"
#include "state/state.h"

namespace {

// The generator is never seeded: every run sways the same way.
constexpr int startOdds = 400;          // a still axis starts about one swing in 200 ticks
constexpr int xAxis = 0;
constexpr int yAxis = 1;

enum Swing : int { Still = 0, PositiveSwing = 1, NegativeSwing = 2 };

// The legs, feet and body stay put.
const int swayingPieces[] = {Head, Forearm, UpperArm};

void startSwing(int& state, float& phase, int swing)
{
    std::puts("Starting to move");
    std::fflush(stdout);
    state = swing;
    phase = 0.0f;
}

// A still axis may start a swing (the second draw only if the first started none),
// and a swing past its end comes to rest.
void settleAxis(int& state, float& phase)
{
    if (state == Still && std::rand() % startOdds == 0) startSwing(state, phase, PositiveSwing);
    if (state == Still && std::rand() % startOdds == 1) startSwing(state, phase, NegativeSwing);
    if (phase > swingEnd) {
        phase = 0.0f;
        state = Still;
    }
}

void swingAxis(float& angle, int state, float& phase)
{
    if (state == Still) return;
    const double change = std::sin(phase) * swingScale;
    angle = static_cast<float>(state == PositiveSwing ? angle + change : angle - change);
    phase = static_cast<float>(phase + phaseStep);
}

void swayJoint(int piece, int side)
{
    int* state = motionState[piece][side];
    float* phase = motionPhase[piece][side];
    settleAxis(state[xAxis], phase[xAxis]);
    settleAxis(state[yAxis], phase[yAxis]);
    Vector3& angles = jointAngles[piece][side];
    swingAxis(angles.x, state[xAxis], phase[xAxis]);
    swingAxis(angles.y, state[yAxis], phase[yAxis]);
}

}  // namespace

void idleTimer(int)
{
    if (idleEnabled != 0) {
        for (int piece : swayingPieces) {
            swayJoint(piece, RightSide);
            swayJoint(piece, LeftSide);
        }
        glutPostRedisplay();
    }
    glutTimerFunc(idleTickMilliseconds, idleTimer, 1);
}
