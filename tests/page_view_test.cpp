// The page's comparison of the designer's state with the one its last frame was drawn from,
// by which it draws a frame only when the picture can differ, and the layout by which the page
// finds each value it says in words. (The copy kept for the tab, which reads and writes the
// same walk, is tested in the browser.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "render/paint.h"
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

// The number after "name": in the layout's text, from `from` on; NaN where it is not there.
double layoutNumber(const std::string& layout, const std::string& name, std::size_t from = 0)
{
    const std::size_t at = layout.find("\"" + name + "\":", from);
    if (at == std::string::npos) return std::numeric_limits<double>::quiet_NaN();
    return std::strtod(layout.c_str() + at + name.size() + 3, nullptr);
}

// Where the layout says the walk holds the field of this name.
int fieldAt(const std::string& layout, const std::string& name)
{
    const std::size_t field = layout.find("\"" + name + "\":{");
    if (field == std::string::npos) return -1;
    return static_cast<int>(layoutNumber(layout, "at", field));
}

// Each row sets one value the page says, and finds it where the layout names it.
TEST(DesignLayout, EachNameLeadsToItsValueInTheWalk)
{
    assignInitialState();
    const std::string layout = designLayout();
    ASSERT_EQ(layout.back(), '}') << "the layout is cut short: " << layout;
    EXPECT_EQ(layoutNumber(layout, "values"), designValueCount);
    EXPECT_EQ(static_cast<float>(layoutNumber(layout, "frontYaw")), cameraYaw) << "the start-up yaw";
    EXPECT_NE(layout.find(R"("pieces":["head","body","forearm","upperarm","upperleg","lowerleg","foot"])"),
              std::string::npos)
        << "the pieces' angle fields, by the pieces' numbers";
    struct Named {
        const char* field;
        int offset;
        void (*set)();
        double value;
    };
    const Named named[] = {
        {"idle", 0, [] { idleEnabled = 1; }, 1},
        {"mix", 1, [] { customGreen = 0.25f; }, 0.25},
        {"shine", 0, [] { paints[userPaint].shininess = 9.5f; }, 9.5},
        {"yaw", 0, [] { cameraYaw = -2.5f; }, -2.5},
        {"pitch", 0, [] { cameraPitch = 0.75f; }, 0.75},
        {"piece", 0, [] { selectedPiece = Foot; }, Foot},
        {"side", 0, [] { selectedSide = RightSide; }, RightSide},
        {"paints", TrimSlot, [] { trimPaint = 9; }, 9},
        {"weapons", LeftSide, [] { weaponBySide[LeftSide] = KnifeDown; }, KnifeDown},
        // A piece's field holds its right side's x, y, z, then its left side's.
        {"upperarm", 3 + 1, [] { jointAngles[UpperArm][LeftSide].y = 35.0f; }, 35},
    };
    for (const Named& each : named) {
        each.set();
        EXPECT_EQ(designValues()[fieldAt(layout, each.field) + each.offset], each.value) << each.field;
    }
}

}  // namespace
