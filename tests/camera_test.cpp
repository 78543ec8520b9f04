// Dragging with a button held orbits the eye round the figure at distance 6.
#include <cmath>

#include "interact/interact.h"
#include "render/frame.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

double eyeDistance()
{
    return std::sqrt(cameraEye.x * cameraEye.x + cameraEye.y * cameraEye.y + cameraEye.z * cameraEye.z);
}

void expectEye(double x, double y, double z, double tolerance = 1e-3)
{
    EXPECT_NEAR(cameraEye.x, x, tolerance);
    EXPECT_NEAR(cameraEye.y, y, tolerance);
    EXPECT_NEAR(cameraEye.z, z, tolerance);
}

void drag(int fromX, int fromY, int toX, int toY)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, fromX, fromY);
    motion(toX, toY);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, toX, toY);
}

class Orbit : public DesignerTest {};

TEST_F(Orbit, PressAndReleaseWithoutMovingChangeNothing)
{
    const long redisplays = redisplayRequests();
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 123, 456);
    EXPECT_EQ(lastMouseX, 123);
    EXPECT_EQ(lastMouseY, 456);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 500, 20);
    EXPECT_EQ(lastMouseX, 123) << "a release must not record its position";
    EXPECT_EQ(cameraYaw, 1.5705f);
    EXPECT_EQ(cameraPitch, 0.0f);
    expectEye(0.0, 0.0, 6.0, 0.0);
    EXPECT_EQ(redisplayRequests(), redisplays) << "the mouse callback requests no redisplay";
}

TEST_F(Orbit, DiagonalDragRaisesTheEyeAndSwingsItToTheFiguresRight)
{
    const long redisplays = redisplayRequests();
    drag(350, 350, 420, 420);
    EXPECT_NEAR(cameraPitch, 0.3141, 1e-6);
    EXPECT_NEAR(cameraYaw, 1.8846, 1e-6);
    expectEye(-1.7615, 1.8538, 5.4273);
    EXPECT_NEAR(eyeDistance(), 6.0, 1e-3);
    EXPECT_EQ(lastMouseX, 420);
    EXPECT_EQ(lastMouseY, 420);
    EXPECT_EQ(redisplayRequests(), redisplays + 1);
}

// However the width is cut into events, half a turn takes the eye behind the figure.
TEST_F(Orbit, FullWidthDragLooksFromBehind)
{
    for (int events : {1, 7, 70}) {
        resetDesigner();
        mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 300);
        for (int i = 1; i <= events; ++i) motion(700 * i / events, 300);
        EXPECT_NEAR(cameraYaw, -1.5705, 1e-5) << events << " events";
        EXPECT_EQ(cameraPitch, 0.0f);
        // Off the axis by 6 cos(1.5705), since 1.5705 falls just short of a quarter turn.
        expectEye(0.0, 0.0, -6.0, 3e-3);
    }
}

TEST_F(Orbit, YawWrapsOnceWhenItPassesHalfATurn)
{
    cameraYaw = 3.2f;
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
    motion(10, 10);
    EXPECT_NEAR(cameraYaw, 3.2 - 6.282, 1e-6);

    // 2000 pixels of a 700-pixel window is worth 8.97 radians: one wrap leaves it out of range.
    resetDesigner();
    drag(0, 0, 2000, 0);
    EXPECT_NEAR(cameraYaw, 1.5705 + 2000.0 / 700.0 * 3.141 - 6.282, 1e-5);
    EXPECT_GT(cameraYaw, 3.141f);
    EXPECT_NEAR(eyeDistance(), 6.0, 1e-3);
    // Dragging back by a little brings it into range with a second wrap.
    drag(0, 0, -10, 0);
    EXPECT_LT(std::fabs(cameraYaw), 3.141f);
}

TEST_F(Orbit, PitchStopsNearlyOverheadAndUnderfoot)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 350, 0);
    motion(350, 600);
    EXPECT_EQ(cameraPitch, 1.396f);
    EXPECT_NEAR(cameraEye.y, 5.909, 1e-3);
    EXPECT_NEAR(std::hypot(cameraEye.x, cameraEye.z), 1.043, 1e-3);
    motion(350, 5000);
    EXPECT_EQ(cameraPitch, 1.396f) << "more downward movement changes nothing";
    // The clamp acts on the stored pitch, so the first move back up lowers the eye at once.
    motion(350, 4930);
    EXPECT_NEAR(cameraPitch, 1.396 - 0.3141, 1e-5);

    drag(0, 5000, 0, -5000);
    EXPECT_EQ(cameraPitch, -1.396f);
    EXPECT_NEAR(cameraEye.y, -5.909, 1e-3);
}

TEST_F(Orbit, APressDuringADragRestartsItFromTheNewPosition)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    motion(170, 100);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 600, 600);
    motion(600, 600);
    EXPECT_NEAR(cameraYaw, 1.5705 + 0.3141, 1e-5) << "the second press must not count as movement";
    EXPECT_EQ(cameraPitch, 0.0f);
}

// Positions outside the window, negative ones included, are used as they come.
TEST_F(Orbit, DragOutsideTheWindowKeepsTurning)
{
    drag(10, 10, -60, -60);
    EXPECT_NEAR(cameraYaw, 1.5705 - 0.3141, 1e-5);
    EXPECT_NEAR(cameraPitch, -0.3141, 1e-5);
    EXPECT_LT(cameraEye.y, 0.0f) << "dragging up lowers the eye";
    EXPECT_NEAR(eyeDistance(), 6.0, 1e-3);
}

// A minimised window reports a zero side: the drag along it turns nothing, the other
// axis still turns, and nothing in the camera ever becomes NaN or infinite.
TEST_F(Orbit, ZeroSizedWindowKeepsTheCameraFinite)
{
    reshape(0, 700);
    drag(100, 100, 170, 170);
    EXPECT_EQ(cameraYaw, 1.5705f);
    EXPECT_NEAR(cameraPitch, 0.3141, 1e-5);

    reshape(700, 0);
    drag(100, 100, 170, 170);
    EXPECT_NEAR(cameraYaw, 1.8846, 1e-5);
    EXPECT_NEAR(cameraPitch, 0.3141, 1e-5);

    reshape(0, 0);
    drag(100, 100, 100, 100);
    drag(100, 100, -400, 900);
    for (float value : {cameraYaw, cameraPitch, cameraEye.x, cameraEye.y, cameraEye.z}) {
        EXPECT_TRUE(std::isfinite(value));
    }
    EXPECT_NEAR(eyeDistance(), 6.0, 1e-3);

    reshape(700, 700);
    drag(350, 350, 420, 350);
    EXPECT_NEAR(cameraYaw, 1.8846 + 0.3141, 1e-5) << "the camera turns again once the window has an area";
}

}  // namespace
