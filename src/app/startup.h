// The start-up sequence: window, callbacks, pipeline, quadric, state and menus.
#pragma once

constexpr const char* windowTitle = "Korvath Designer";

// Everything main does before it hands control to the toolkit's event loop.
void startUp(int* argc, char** argv);
