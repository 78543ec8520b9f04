// The page's one reading of the designer's state: the walk that the copy kept for the tab is
// written from and read back into, and the comparison by which the page draws a frame only
// when the picture can differ from the last one drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "state/state.h"
#include "web/design.h"

namespace {

std::vector<double> walked()
{
    std::vector<double> values(designValueCount);
    readDesign(values.data());
    return values;
}

class PageView : public testing::Test {
protected:
    void SetUp() override
    {
        assignInitialState();
        designDrawn();
    }
};

TEST_F(PageView, EveryStartValueLiesWithinItsFieldAndReadsBackUnchanged)
{
    const std::vector<double> start = walked();
    int at = 0;
    for (const DesignField& field : designFields) {
        for (int i = 0; i < field.count; ++i, ++at) {
            EXPECT_GE(start[at], field.lowest) << field.name << " " << i;
            EXPECT_LE(start[at], field.highest) << field.name << " " << i;
        }
    }
    EXPECT_EQ(at, designValueCount);
    writeDesign(start.data());
    EXPECT_EQ(walked(), start);
}

TEST_F(PageView, WrittenValuesAreKeptWithinTheDesignersBounds)
{
    std::vector<double> values = walked();
    values[0] = 99;                                  // the main paint, beyond the palette
    values[designValueCount - 5] = 3 * 6.282 + 0.5;  // the yaw, three turns round
    values[designValueCount - 4] = -4;               // the pitch, below the eye's limit
    writeDesign(values.data());
    EXPECT_EQ(mainPaint, 10);
    EXPECT_NEAR(cameraYaw, 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(cameraPitch, -1.396f);
}

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
