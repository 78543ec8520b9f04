// Input handlers. They change only the designer state; the display callback draws.
#pragma once

// Orbit camera: a press records where a drag starts, each drag event turns the eye.
constexpr float cameraPitchLimit = 1.396f;      // radians: about 80 degrees above or below the figure
constexpr float cameraFullTurn = 6.282f;  // radians: the yaw wraps by this once past half of it
void mouse(int button, int state, int x, int y);
void motion(int x, int y);

// Posing the chosen joint and mixing the user-defined paint.
constexpr float jointHalfTurn = 180.0f;  // degrees: a key wraps an angle by a full turn only beyond this
void keyboard(unsigned char key, int x, int y);

// The idle sway, ticking every 20 ms whether or not it is switched on.
constexpr unsigned int idleTickMilliseconds = 20;
constexpr double swingScale = 0.2;  // degrees per tick at the fastest point of a swing
constexpr double phaseStep = 0.03;  // radians per tick
constexpr float swingEnd = 6.282f;  // one full sine, out and back
// How far one swing lifts an angle at the most: the ticks of its rising half sine, each
// moving it by at most swingScale times the sine, and one tick more for where they fall.
constexpr double swingRise = swingScale * (2.0 / phaseStep + 1.0);
// The furthest a swaying joint's angle goes: a key may hold it at a half turn while a
// negative swing holds it back, leaving it a swing beyond once that swing ends, and the
// next swing adds another; the last degree covers what each swing's rounding leaves behind.
constexpr double swayReach = jointHalfTurn + 2.0 * swingRise + 1.0;
void idleTimer(int value);
