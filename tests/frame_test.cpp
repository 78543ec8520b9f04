// The window, the light, the projection and the frame, read back from the real GL.
#include <cmath>

#include "render/frame.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

Matrix projectionMatrix()
{
    float values[16];
    glGetFloatv(GL_PROJECTION_MATRIX, values);
    return Matrix::fromFloats(values);
}

std::array<float, 4> lightParameter(GLenum parameter)
{
    std::array<float, 4> values{};
    glGetLightfv(GL_LIGHT0, parameter, values.data());
    return values;
}

void expectFour(const std::array<float, 4>& actual, const float* expected)
{
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(actual[i], expected[i]) << "component " << i;
}

// The vertical and horizontal half-angle cotangents that gluPerspective puts on the diagonal.
void expectPerspective(const Matrix& p, double aspect)
{
    const double f = 1.0 / std::tan(40.0 * M_PI / 180.0);
    EXPECT_NEAR(p.at(1, 1), f, 1e-5) << "vertical field of view is not 80 degrees";
    EXPECT_NEAR(p.at(0, 0), f / aspect, 1e-5) << "aspect is not " << aspect;
    // Depth maps near 1 and far 10 to -1 and +1.
    EXPECT_NEAR(p.at(2, 2), -(10.0 + 1.0) / (10.0 - 1.0), 1e-5);
    EXPECT_NEAR(p.at(2, 3), -2.0 * 10.0 * 1.0 / (10.0 - 1.0), 1e-5);
    EXPECT_NEAR(p.at(3, 2), -1.0, 1e-6);
}

class Window : public DesignerTest {};

TEST_F(Window, IsDoubleBufferedRgbWithDepthAt700By700)
{
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 700);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 700);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_RGBA), 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 4.0f) << "the background is not white";
    EXPECT_NE(quadric, nullptr);
}

class Lighting : public DesignerTest {};

TEST_F(Lighting, OneDirectionalLightFromAboveTheViewer)
{
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint shading = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    EXPECT_EQ(shading, GL_SMOOTH);
    const float diffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
    const float specular[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    const float ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    expectFour(lightParameter(GL_DIFFUSE), diffuse);
    expectFour(lightParameter(GL_SPECULAR), specular);
    expectFour(lightParameter(GL_AMBIENT), ambient);
}

// The GL keeps the position in eye space; given under the identity it reads back unchanged,
// and a frame gives it again before the look-at, however the camera has orbited.
TEST_F(Lighting, PositionStaysInEyeSpaceWhateverTheCamera)
{
    const float eyeSpace[4] = {0.0f, 0.5f, 1.0f, 0.0f};
    expectFour(lightParameter(GL_POSITION), eyeSpace);
    cameraEye = {4.0f, 3.0f, -2.0f};
    display();
    expectFour(lightParameter(GL_POSITION), eyeSpace);
}

class Projection : public DesignerTest {};

TEST_F(Projection, StartsWithAspectOneAndKeepsFieldOfViewOnResize)
{
    expectPerspective(projectionMatrix(), 1.0);
    reshape(1400, 700);
    EXPECT_EQ(windowWidth, 1400);
    EXPECT_EQ(windowHeight, 700);
    expectPerspective(projectionMatrix(), 2.0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1400);
    EXPECT_EQ(viewport[3], 700);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

// A window with no area has no aspect: the last good projection stays, and a
// later real size takes over again.
TEST_F(Projection, ZeroSizedWindowKeepsTheLastGoodProjection)
{
    reshape(1400, 700);
    const Matrix good = projectionMatrix();
    for (auto size : {std::array<int, 2>{700, 0}, {0, 700}, {0, 0}, {-5, -5}}) {
        reshape(size[0], size[1]);
        EXPECT_TRUE(nearlyEqual(projectionMatrix(), good)) << size[0] << " by " << size[1];
        EXPECT_GE(windowWidth, 0);
        EXPECT_GE(windowHeight, 0);
        display();
        EXPECT_TRUE(glErrors().empty()) << size[0] << " by " << size[1];
    }
    reshape(700, 700);
    expectPerspective(projectionMatrix(), 1.0);
}

class Frame : public DesignerTest {};

TEST_F(Frame, ClearsToWhite)
{
    const Image frame = presentFrame();
    ASSERT_EQ(frame.width, 700);
    ASSERT_EQ(frame.height, 700);
    for (auto corner : {std::array<int, 2>{0, 0}, {699, 0}, {0, 699}, {699, 699}}) {
        EXPECT_EQ(frame.pixel(corner[0], corner[1]), (std::array<int, 3>{255, 255, 255}))
            << "at " << corner[0] << ", " << corner[1];
    }
}

TEST_F(Frame, LeavesTheMatricesAsItFoundThemAndRaisesNoError)
{
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.25f, -1.0f, 3.0f);
    const MatrixState before = matrixState();
    display();
    EXPECT_TRUE(matrixState() == before);
    EXPECT_TRUE(glErrors().empty());
}

}  // namespace
