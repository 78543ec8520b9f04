// The built designer as a person meets it: started on the X display, driven by real
// pointer and key input, judged by screenshots and by what it prints. Pixel checks
// allow for harmless differences in rasterisation; a failing check keeps its
// screenshot under e2e-artefacts/ in the build folder and says what differed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "e2e/desktop.h"

namespace {

using Rgb = std::array<int, 3>;

bool isWhite(const Rgb& p)
{
    return p[0] > 245 && p[1] > 245 && p[2] > 245;
}

// The paints, as lit colours: which channel clearly leads.
bool isBlue(const Rgb& p)
{
    return p[2] > p[0] + 40 && p[2] > p[1] + 15;
}

bool isGreen(const Rgb& p)
{
    return p[1] > p[0] + 30 && p[1] > p[2] + 30;
}

bool differs(const Rgb& a, const Rgb& b)
{
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 60;
}

// A rectangle of window pixels, right and bottom excluded.
struct Box {
    int left;
    int top;
    int right;
    int bottom;
};

std::ostream& operator<<(std::ostream& out, const Box& b)
{
    return out << "[" << b.left << ", " << b.top << " .. " << b.right << ", " << b.bottom << ")";
}

template <typename Test>
int countPixels(const Screenshot& shot, const Box& box, Test test)
{
    int count = 0;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, shot.height); ++y) {
        for (int x = std::max(box.left, 0); x < std::min(box.right, shot.width); ++x) count += test(shot.pixel(x, y));
    }
    return count;
}

Box whole(const Screenshot& shot)
{
    return {0, 0, shot.width, shot.height};
}

// Pixels that changed between two screenshots, inside the given boxes and elsewhere.
struct Change {
    int inside = 0;
    int outside = 0;
};

// The bounding box of everything that is not background.
Box figureBounds(const Screenshot& shot)
{
    Box b{shot.width, shot.height, 0, 0};
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            if (isWhite(shot.pixel(x, y))) continue;
            b.left = std::min(b.left, x);
            b.top = std::min(b.top, y);
            b.right = std::max(b.right, x + 1);
            b.bottom = std::max(b.bottom, y + 1);
        }
    }
    return b;
}

std::string artefactPath(const std::string& what)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    shell("mkdir -p e2e-artefacts");
    return "e2e-artefacts/" + std::string(info->test_suite_name()) + "." + info->name() + "." + what + ".ppm";
}

// Keeps the screenshot when a check since the last screenshot kept or passed has failed.
void keepIfFailed(const Screenshot& shot, const std::string& what)
{
    static const ::testing::TestInfo* test = nullptr;
    static int failuresSeen = 0;
    const auto* current = ::testing::UnitTest::GetInstance()->current_test_info();
    if (current != test) {
        test = current;
        failuresSeen = 0;
    }
    const int failures = current->result()->total_part_count();
    if (failures > failuresSeen) {
        failuresSeen = failures + 1;  // and the note below
        const std::string path = artefactPath(what);
        shot.save(path);
        ADD_FAILURE() << "screenshot kept as " << path;
    }
}

// Where a point of the figure's frame appears in the 700 by 700 window from the
// start-up camera at (0, 0, 6), with a vertical field of view of 80 degrees.
struct Pixel {
    int x;
    int y;
};

Pixel onScreen(double x, double y, double z)
{
    const double focal = 1.0 / std::tan(40.0 * M_PI / 180.0);
    const double depth = 6.0 - z;
    return {static_cast<int>(std::lround(350.0 + 350.0 * focal * x / depth)),
            static_cast<int>(std::lround(350.0 - 350.0 * focal * y / depth))};
}

Box around(Pixel centre, int halfWidth, int halfHeight)
{
    return {centre.x - halfWidth, centre.y - halfHeight, centre.x + halfWidth + 1, centre.y + halfHeight + 1};
}

// The menu tree as the user sees it: each entry's index and its menu's entry count.
using Path = std::vector<Designer::MenuStep>;
constexpr int topEntries = 6;
constexpr int colourEntries = 6;
constexpr int paintEntries = 11;
constexpr int weaponMenuEntries = 2;
constexpr int weaponEntries = 5;
constexpr int pieceEntries = 7;

Path paintPath(int slot, int paint)
{
    return {{1, topEntries}, {slot, colourEntries}, {paint, paintEntries}};
}

// "Left weapon" is listed first.
Path weaponPath(bool leftHand, int kind)
{
    return {{2, topEntries}, {leftHand ? 0 : 1, weaponMenuEntries}, {kind, weaponEntries}};
}

Path piecePath(int onScreenIndex)
{
    return {{0, topEntries}, {onScreenIndex, pieceEntries}};
}

const Path toggleIdle = {{5, topEntries}};

// A corner of the window free of the figure, where menus open without covering it.
constexpr int menuX = 20;
constexpr int menuY = 20;

class EndToEnd : public ::testing::Test {
protected:
    Designer designer;
};

TEST_F(EndToEnd, FirstFrameShowsTheFigureInItsPaintsOnWhite)
{
    const Screenshot shot = designer.screenshot();
    ASSERT_EQ(shot.width, 700);
    ASSERT_EQ(shot.height, 700);
    for (Pixel corner : {Pixel{3, 3}, Pixel{696, 3}, Pixel{3, 696}, Pixel{696, 696}}) {
        EXPECT_TRUE(isWhite(shot.pixel(corner.x, corner.y))) << "corner " << corner.x << ", " << corner.y;
    }
    // Torso, helmet and both thighs in the main paint (blue).
    EXPECT_TRUE(isBlue(shot.pixel(onScreen(0, 0.9, 0.6).x, onScreen(0, 0.9, 0.6).y))) << "torso";
    EXPECT_TRUE(isBlue(shot.pixel(onScreen(0, 2.85, 0.2).x, onScreen(0, 2.85, 0.2).y))) << "helmet";
    EXPECT_TRUE(isBlue(shot.pixel(onScreen(-0.375, -0.9, 0.3).x, onScreen(-0.375, -0.9, 0.3).y))) << "right thigh";
    EXPECT_TRUE(isBlue(shot.pixel(onScreen(0.375, -0.9, 0.3).x, onScreen(0.375, -0.9, 0.3).y))) << "left thigh";
    // The figure stands in the middle, from above the helmet to below the boots.
    const Box bounds = figureBounds(shot);
    EXPECT_NEAR((bounds.left + bounds.right) / 2.0, 350.0, 12.0) << bounds;
    EXPECT_LT(bounds.top, onScreen(0, 2.9, 0).y) << bounds;
    EXPECT_GT(bounds.bottom, onScreen(0, -3.1, 0).y) << bounds;
    keepIfFailed(shot, "first-frame");
}

// Regions of the start-up view, in window pixels: the figure's right side is on the
// viewer's left.
const Box headBox = {318, 130, 383, 205};
const Box eyeBox = {328, 152, 372, 176};
const Box rightShoulderBox = {235, 180, 330, 300};
const Box leftShoulderBox = {370, 180, 465, 300};
const Box rightKneeBox = {280, 430, 350, 510};
const Box leftKneeBox = {350, 430, 420, 510};
const Box rightHandBox = {150, 100, 320, 445};  // down to the point of a knife facing down
const Box leftHandBox = {380, 100, 550, 445};

bool inside(const Box& box, int x, int y)
{
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

// Of the pixels that changed between two screenshots, how many lie in the boxes and how many elsewhere.
Change changeWithin(const Screenshot& before, const Screenshot& after, const std::vector<Box>& boxes)
{
    Change change;
    for (int y = 0; y < std::min(before.height, after.height); ++y) {
        for (int x = 0; x < std::min(before.width, after.width); ++x) {
            if (!differs(before.pixel(x, y), after.pixel(x, y))) continue;
            bool in = false;
            for (const Box& box : boxes) in = in || inside(box, x, y);
            (in ? change.inside : change.outside) += 1;
        }
    }
    return change;
}

TEST_F(EndToEnd, EachPaintSlotRecoloursItsOwnSurfacesFromTheMenu)
{
    constexpr int emeraldGreen = 9;
    struct SlotCase {
        const char* slot;
        int menuIndex;
        std::vector<Box> where;
        int atLeast;
    };
    const std::vector<SlotCase> slots = {
        {"Trim Color", 1, {rightShoulderBox, leftShoulderBox, rightKneeBox, leftKneeBox}, 400},
        {"Shoulder Color", 2, {rightShoulderBox, leftShoulderBox}, 400},
        {"Metal Color", 3, {headBox, rightHandBox, leftHandBox, rightKneeBox, leftKneeBox}, 300},
        {"Weapon Color", 4, {rightHandBox, leftHandBox}, 1000},
        {"Eye color", 5, {eyeBox}, 10},
        {"Main Color", 0, {whole(designer.screenshot())}, 20000},
    };
    Screenshot before = designer.screenshot();
    for (const SlotCase& c : slots) {
        designer.choose(menuX, menuY, paintPath(c.menuIndex, emeraldGreen));
        designer.settle();
        const Screenshot after = designer.screenshot();
        const Change change = changeWithin(before, after, c.where);
        EXPECT_GE(change.inside, c.atLeast) << c.slot << ": too few pixels changed where its surfaces are";
        EXPECT_LE(change.outside, change.inside / 20) << c.slot << ": pixels changed away from its surfaces";
        EXPECT_GT(countPixels(after, whole(after), isGreen), countPixels(before, whole(before), isGreen))
            << c.slot << ": no more green than before";
        keepIfFailed(after, c.slot);
        before = after;
    }
    const Pixel torso = onScreen(0, 0.9, 0.6);
    EXPECT_TRUE(isGreen(before.pixel(torso.x, torso.y))) << "the torso is not green";
}

TEST_F(EndToEnd, EveryWeaponKindCanBeChosenForEachHand)
{
    struct Hand {
        const char* name;
        bool left;
        Box box;
        Box other;
    };
    for (const Hand& hand : {Hand{"right hand", false, rightHandBox, leftHandBox},
                             Hand{"left hand", true, leftHandBox, rightHandBox}}) {
        designer.choose(menuX, menuY, weaponPath(hand.left, 0));
        designer.settle();
        const Screenshot empty = designer.screenshot();
        std::vector<Screenshot> armed;
        for (int kind = 1; kind <= 4; ++kind) {
            designer.choose(menuX, menuY, weaponPath(hand.left, kind));
            designer.settle();
            armed.push_back(designer.screenshot());
            const Change change = changeWithin(empty, armed.back(), {hand.box});
            EXPECT_GE(change.inside, 150) << hand.name << ", weapon " << kind << ": the hand looks empty";
            EXPECT_LE(change.outside, 20) << hand.name << ", weapon " << kind << ": something else changed";
            EXPECT_EQ(changeWithin(empty, armed.back(), {hand.other}).inside, 0)
                << hand.name << ", weapon " << kind << ": the other hand changed";
            keepIfFailed(armed.back(), std::string(hand.name) + "-weapon-" + std::to_string(kind));
        }
        for (std::size_t a = 0; a < armed.size(); ++a) {
            for (std::size_t b = a + 1; b < armed.size(); ++b) {
                EXPECT_GE(changeWithin(armed[a], armed[b], {hand.box}).inside, 100)
                    << hand.name << ": weapons " << a + 1 << " and " << b + 1 << " look alike";
            }
        }
    }
}

TEST_F(EndToEnd, PosingKeysTurnTheChosenPiece)
{
    const Screenshot start = designer.screenshot();
    // At start-up the keyboard poses the left upper arm: W swings it forward.
    for (int i = 0; i < 6; ++i) designer.key("w");
    designer.settle();
    const Screenshot raised = designer.screenshot();
    Change change = changeWithin(start, raised, {leftHandBox, leftShoulderBox});
    EXPECT_GE(change.inside, 500) << "the left arm did not move";
    EXPECT_EQ(changeWithin(start, raised, {rightHandBox}).inside, 0) << "the right arm moved";
    keepIfFailed(raised, "left-arm-forward");

    for (int i = 0; i < 6; ++i) designer.key("s");
    designer.settle();
    const Screenshot back = designer.screenshot();
    EXPECT_LE(changeWithin(start, back, {whole(back)}).inside, 10) << "S did not undo W";
    keepIfFailed(back, "left-arm-back");

    designer.choose(menuX, menuY, piecePath(0));  // "Head"
    for (int i = 0; i < 6; ++i) designer.key("d");
    designer.settle();
    const Screenshot turned = designer.screenshot();
    change = changeWithin(back, turned, {headBox});
    EXPECT_GE(change.inside, 100) << "the head did not turn";
    EXPECT_LE(change.outside, 20) << "more than the head turned";
    keepIfFailed(turned, "head-turned");
}

// Brightness of the figure's pixels: the light stays on the viewer's side.
double meanFigureBrightness(const Screenshot& shot)
{
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const Rgb p = shot.pixel(x, y);
            if (isWhite(p)) continue;
            sum += p[0] + p[1] + p[2];
            ++count;
        }
    }
    return count ? sum / (3.0 * count) : 0.0;
}

bool isGrey(const Rgb& p)
{
    return !isWhite(p) && std::abs(p[0] - p[1]) < 12 && std::abs(p[1] - p[2]) < 12 && p[0] > 40;
}

TEST_F(EndToEnd, DraggingOrbitsTheCameraAndTheLightFollows)
{
    const Screenshot front = designer.screenshot();
    // Half the window's width is a quarter turn round the figure.
    designer.drag(1, 175, 620, 525, 620, 25);
    designer.settle();
    const Screenshot side = designer.screenshot();
    EXPECT_GE(changeWithin(front, side, {whole(side)}).inside, 5000) << "the view did not change";
    keepIfFailed(side, "quarter-turn");
    // The other half of the width: the camera now looks at the figure's back.
    designer.drag(1, 175, 620, 525, 620, 25);
    designer.settle();
    const Screenshot back = designer.screenshot();
    const Box backpackBox = around(onScreen(0, 1.2, 0), 25, 25);
    EXPECT_GT(countPixels(back, backpackBox, isGrey), backpackBox.right - backpackBox.left)
        << "no metal backpack in the middle of the view from behind";
    EXPECT_GT(meanFigureBrightness(back), 0.7 * meanFigureBrightness(front)) << "the figure's back is unlit";
    keepIfFailed(back, "from-behind");
}

TEST_F(EndToEnd, IdleSwayPrintsANoticeForEachSwingAndOnlyWhileOn)
{
    designer.settle(2000);
    EXPECT_TRUE(designer.outputLines().empty()) << "a line was printed while idle was off";
    const Screenshot still = designer.screenshot();

    designer.choose(menuX, menuY, toggleIdle);
    designer.settle(5000);
    const std::vector<std::string> lines = designer.outputLines();
    EXPECT_GE(lines.size(), 1u) << "no swing started in five seconds";
    for (const std::string& line : lines) EXPECT_EQ(line, "Starting to move");
    const Screenshot swaying = designer.screenshot();
    EXPECT_GE(changeWithin(still, swaying, {headBox, leftHandBox, rightHandBox, leftShoulderBox, rightShoulderBox})
                  .inside,
              20)
        << "nothing swayed";
    EXPECT_LE(changeWithin(still, swaying, {headBox, leftHandBox, rightHandBox, leftShoulderBox, rightShoulderBox})
                  .outside,
              changeWithin(still, swaying, {whole(swaying)}).inside / 5)
        << "more than the head and arms moved";
    keepIfFailed(swaying, "swaying");

    designer.choose(menuX, menuY, toggleIdle);
    designer.settle(300);
    const std::size_t printed = designer.outputLines().size();
    designer.settle(3000);
    EXPECT_EQ(designer.outputLines().size(), printed) << "lines kept coming after idle was switched off";
}

TEST_F(EndToEnd, AWideWindowKeepsTheFigureUndistorted)
{
    const Box square = figureBounds(designer.screenshot());
    designer.resize(1400, 700);
    designer.settle(500);
    const Screenshot wide = designer.screenshot();
    ASSERT_EQ(wide.width, 1400);
    ASSERT_EQ(wide.height, 700);
    const Box bounds = figureBounds(wide);
    EXPECT_NEAR(bounds.bottom - bounds.top, square.bottom - square.top, 4) << "height " << square << " -> " << bounds;
    EXPECT_NEAR(bounds.right - bounds.left, square.right - square.left, 4) << "width " << square << " -> " << bounds;
    EXPECT_NEAR((bounds.left + bounds.right) / 2.0, 700.0, 12.0) << "not centred: " << bounds;
    keepIfFailed(wide, "wide");
}

}  // namespace
