// The designer under test: the real start-up in one real window per test process,
// driven through its own callbacks on real Mesa.
#pragma once

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/geometry.h"
#include "support/recorder.h"

// Every test starts from the state that start-up leaves, with the palette as shipped.
class DesignerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Puts the designer back into its start-up state (state, palette, projection, matrices).
void resetDesigner();

// Lets the toolkit handle pending window-system events and callbacks, `rounds` times.
void pumpEvents(int rounds = 1);

// The camera's view matrix for the current cameraEye and cameraUp.
Matrix viewMatrix();

// One frame drawn by the real display callback, each primitive's matrix
// re-expressed in the figure's own frame (the camera's view taken out).
std::vector<Primitive> recordFigure();

// Drains the GL's error flags; empty when all is well.
std::vector<GLenum> glErrors();

// The parts of the GL's matrix state that a drawer must leave as it found them.
struct MatrixState {
    Matrix modelview;
    int modelviewDepth = 0;
    int projectionDepth = 0;
    int matrixMode = 0;
};
MatrixState matrixState();
bool operator==(const MatrixState& a, const MatrixState& b);

// The picture one frame of the real display callback presents.
Image presentFrame();
