// Input handlers. They change only the designer state; the display callback draws.
#pragma once

// Orbit camera: a press records where a drag starts, each drag event turns the eye.
void mouse(int button, int state, int x, int y);
void motion(int x, int y);

// Posing the chosen joint and mixing the user-defined paint.
void keyboard(unsigned char key, int x, int y);

// The idle sway, ticking every 20 ms whether or not it is switched on.
constexpr unsigned int idleTickMilliseconds = 20;
void idleTimer(int value);
