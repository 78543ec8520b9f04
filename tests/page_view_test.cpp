// The page's comparison of the designer's state with the one its last frame was drawn from,
// by which it draws a frame only when the picture can differ. (The copy kept for the tab, which
// reads and writes the same walk, is tested in the browser.)
#include <gtest/gtest.h>

#include <limits>

#include "state/state.h"
#include "web/design/design.h"

namespace {

class PageView : public testing::Test {
protected:
    void SetUp() override
    {
        assignInitialState();
        designDrawn();
    }
};

// Each row changes one thing the picture is drawn from.
TEST_F(PageView, AFrameIsNeededOnlyWhenWhatThePictureShowsChanged)
{
    EXPECT_EQ(designDiffersFromDrawn(), 0);
    struct Change {
        const char* what;
        void (*make)();
        void (*undo)();
    };
    const Change changes[] = {
        {"a paint", [] { trimPaint = 7; }, [] { trimPaint = 3; }},
        {"a weapon", [] { weaponBySide[LeftSide] = KnifeUp; }, [] { weaponBySide[LeftSide] = BoltPistol; }},
        {"a joint", [] { jointAngles[Foot][RightSide].y = 5.0f; }, [] { jointAngles[Foot][RightSide].y = 0.0f; }},
        {"the mixed paint", [] { customGreen = 0.05f; }, [] { customGreen = 0.0f; }},
        {"the camera", [] { cameraEye.x = 0.5f; }, [] { cameraEye.x = 0.0f; }},
        {"the window", [] { windowHeight = 300; }, [] { windowHeight = initialWindowSize; }},
        {"idle", [] { idleEnabled = 1; }, [] { idleEnabled = 0; }},
    };
    for (const Change& change : changes) {
        change.make();
        EXPECT_EQ(designDiffersFromDrawn(), 1) << change.what;
        change.undo();
        EXPECT_EQ(designDiffersFromDrawn(), 0) << change.what << " undone";
    }
}

// When in doubt, draw: a value that is not a number equals nothing, not even itself.
TEST_F(PageView, AValueThatIsNotANumberAlwaysDraws)
{
    jointAngles[Head][RightSide].x = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(designDiffersFromDrawn(), 1);
    designDrawn();
    EXPECT_EQ(designDiffersFromDrawn(), 1);
}

}  // namespace
