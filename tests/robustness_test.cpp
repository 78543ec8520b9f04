// Long random sequences of every input, straight into the real handlers, with a real
// frame every few events: whatever the user does, the designer's state stays sound
// and every frame leaves the GL as it found it. Set KORVATH_STORM_SEED to replay or
// explore another sequence; a failure names the seed and the events that broke it.
// KORVATH_STORM_EVENTS sets how many events each storm feeds and KORVATH_STORM_BURST
// the most events fed between two frames: scripts/storm.sh runs a million this way.
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <numeric>
#include <random>
#include <sstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "app/menu.h"
#include "render/frame.h"
#include "render/paint.h"
#include "state/state.h"
#include "support/harness.h"
#include "support/menu_recorder.h"
#include "support/random_input.h"

namespace {

constexpr float pitchLimit = 1.396f;
constexpr float maxShininess = 128.0f;
constexpr float halfTurn = 180.0f;
// A swing lifts an angle by at most 13.4 degrees and lowers it back again. A key can
// raise the angle to 180 while a negative swing holds it down, leaving it up to one
// swing beyond 180 once that swing ends, and the next swing adds another; the last
// degree covers the thousandth of a degree that each swing may leave behind.
constexpr float swingHeight = 13.4f;
constexpr float swungAngleLimit = halfTurn + 2.0f * swingHeight + 1.0f;
constexpr float lastSwingPhase = 6.282f + 0.03f + 1e-4f;
constexpr double cameraDistance = 6.0;

const int swayingPieces[] = {Head, Forearm, UpperArm};
const int keyOnlyPieces[] = {Body, UpperLeg, LowerLeg, Foot};

// A whole number from the environment, or `fixed` when the variable is not set. Anything
// else than a number from `lowest` to `highest` fails the test, rather than quietly
// running another storm than the one asked for.
long fromEnvironment(const char* name, long fixed, long lowest, long highest)
{
    const char* text = std::getenv(name);
    if (text == nullptr) return fixed;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || value < lowest || value > highest) {
        ADD_FAILURE() << name << "=\"" << text << "\" is not a whole number from " << lowest << " to " << highest;
        return fixed;
    }
    return value;
}

unsigned stormSeed(unsigned fixed)
{
    return static_cast<unsigned>(fromEnvironment("KORVATH_STORM_SEED", fixed, 0, UINT_MAX));
}

constexpr long mostStormEvents = 1000000000;
constexpr long mostBurst = 1000;

int stormEvents(int fixed)
{
    return static_cast<int>(fromEnvironment("KORVATH_STORM_EVENTS", fixed, 1, mostStormEvents));
}

int stormBurst()
{
    return static_cast<int>(fromEnvironment("KORVATH_STORM_BURST", 4, 1, mostBurst));
}

// One axis of one entry of a per-joint array, named as the code names it.
struct JointAxis {
    const char* array;
    int piece;
    int side;
    int axis;  // 0 x, 1 y, 2 z
};

std::ostream& operator<<(std::ostream& out, const JointAxis& j)
{
    return out << j.array << "[" << j.piece << "][" << j.side << "]." << "xyz"[j.axis];
}

// Collects, in words, whatever is wrong; the words are only made for what is wrong,
// so that a check costs next to nothing while all is well.
class Findings {
public:
    Findings() { out.precision(9); }

    template <typename Name>
    void finite(const Name& name, float value)
    {
        if (!std::isfinite(value)) out << name << " is " << value << "; ";
    }

    template <typename Name>
    void within(const Name& name, double value, double lowest, double highest)
    {
        if (!(value >= lowest && value <= highest)) {
            out << name << " is " << value << ", outside [" << lowest << ", " << highest << "]; ";
        }
    }

    template <typename Name>
    void same(const Name& name, float value, float expected)
    {
        if (value != expected) out << name << " changed from " << expected << " to " << value << "; ";
    }

    template <typename Name>
    void problem(const Name& words)
    {
        out << words << "; ";
    }

    std::string text() const { return out.str(); }

private:
    std::ostringstream out;
};

// The state the checks compare with: what start-up left.
struct Start {
    Material paints[paintCount];
    Vector3 joints[pieceCount][sideCount];
};

void checkChoices(Findings& findings)
{
    const int* slots[] = {&mainPaint, &trimPaint, &shoulderPaint, &metalPaint, &weaponPaint, &eyePaint};
    for (const int* slot : slots) findings.within("a paint slot", *slot, 0, paintCount - 1);
    for (int side : {RightSide, LeftSide}) findings.within("a hand's weapon", weaponBySide[side], NoWeapon, KnifeDown);
    findings.within("selectedPiece", selectedPiece, 0, pieceCount - 1);
    findings.within("selectedSide", selectedSide, 0, sideCount - 1);
    findings.within("idleEnabled", idleEnabled, 0, 1);
    findings.within("windowWidth", windowWidth, 0, INT_MAX);
    findings.within("windowHeight", windowHeight, 0, INT_MAX);
}

void checkJoints(Findings& findings, const Start& start)
{
    for (int piece = 0; piece < pieceCount; ++piece) {
        for (int side = 0; side < sideCount; ++side) {
            const Vector3& joint = jointAngles[piece][side];
            findings.finite(JointAxis{"jointAngles", piece, side, 0}, joint.x);
            findings.finite(JointAxis{"jointAngles", piece, side, 1}, joint.y);
            // Nothing turns a joint about z.
            findings.same(JointAxis{"jointAngles", piece, side, 2}, joint.z, start.joints[piece][side].z);
            for (int axis = 0; axis < axisCount; ++axis) {
                findings.within(JointAxis{"motionState", piece, side, axis}, motionState[piece][side][axis], 0, 2);
                findings.within(JointAxis{"motionPhase", piece, side, axis}, motionPhase[piece][side][axis], 0.0,
                                lastSwingPhase);
            }
        }
    }
    for (int piece : keyOnlyPieces) {
        for (int side = 0; side < sideCount; ++side) {
            findings.within(JointAxis{"jointAngles", piece, side, 0}, jointAngles[piece][side].x, -halfTurn, halfTurn);
            findings.within(JointAxis{"jointAngles", piece, side, 1}, jointAngles[piece][side].y, -halfTurn, halfTurn);
            for (int axis = 0; axis < axisCount; ++axis) {
                findings.same(JointAxis{"motionPhase of a still piece", piece, side, axis},
                              motionPhase[piece][side][axis], 0.0f);
                findings.same(JointAxis{"motionState of a still piece", piece, side, axis},
                              static_cast<float>(motionState[piece][side][axis]), 0.0f);
            }
        }
    }
    for (int piece : swayingPieces) {
        for (int side = 0; side < sideCount; ++side) {
            findings.within(JointAxis{"jointAngles", piece, side, 0}, jointAngles[piece][side].x, -swungAngleLimit,
                            swungAngleLimit);
            findings.within(JointAxis{"jointAngles", piece, side, 1}, jointAngles[piece][side].y, -swungAngleLimit,
                            swungAngleLimit);
        }
    }
}

void checkPaints(Findings& findings, const Start& start)
{
    findings.within("customRed", customRed, 0.0, 1.0);
    findings.within("customGreen", customGreen, 0.0, 1.0);
    findings.within("customBlue", customBlue, 0.0, 1.0);
    const Material& user = paints[userPaint];
    findings.within("the user paint's shininess", user.shininess, 0.0, maxShininess);
    for (const float* colour : {user.ambient, user.diffuse, user.specular}) {
        for (int i = 0; i < 3; ++i) findings.within("a channel of the user paint", colour[i], 0.0, 1.0);
    }
    // The keys mix the user's colour and shininess, never its alphas nor any other paint.
    findings.same("the user paint's ambient alpha", user.ambient[3], start.paints[userPaint].ambient[3]);
    findings.same("the user paint's diffuse alpha", user.diffuse[3], start.paints[userPaint].diffuse[3]);
    findings.same("the user paint's specular alpha", user.specular[3], start.paints[userPaint].specular[3]);
    for (int paint = 0; paint < paintCount; ++paint) {
        if (paint != userPaint && !sameMaterial(paints[paint], start.paints[paint])) {
            findings.problem("palette entry " + std::to_string(paint) + " changed");
        }
    }
}

void checkCamera(Findings& findings)
{
    findings.finite("cameraYaw", cameraYaw);
    findings.within("cameraPitch", cameraPitch, -pitchLimit, pitchLimit);
    findings.finite("cameraEye.x", cameraEye.x);
    findings.finite("cameraEye.y", cameraEye.y);
    findings.finite("cameraEye.z", cameraEye.z);
    const double distance =
        std::sqrt(cameraEye.x * cameraEye.x + cameraEye.y * cameraEye.y + cameraEye.z * cameraEye.z);
    findings.within("the eye's distance from the figure", distance, cameraDistance - 0.01, cameraDistance + 0.01);
    findings.same("cameraUp.x", cameraUp.x, 0.0f);
    findings.same("cameraUp.y", cameraUp.y, 1.0f);
    findings.same("cameraUp.z", cameraUp.z, 0.0f);
    findings.same("fieldOfView", fieldOfView, 80.0f);
}

void checkGl(Findings& findings, const MatrixState& before)
{
    for (GLenum error : glErrors()) findings.problem("GL error " + std::to_string(error));
    if (!(matrixState() == before)) findings.problem("the matrices are not as they were before the events");
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (float value : projection) findings.finite("an element of the projection", value);
}

// Everything wrong with the designer's state, in words; empty when it is sound.
std::string stateFindings(const Start& start)
{
    Findings findings;
    checkChoices(findings);
    checkJoints(findings, start);
    checkPaints(findings, start);
    checkCamera(findings);
    return findings.text();
}

// The same, and everything wrong with the GL after a frame.
std::string frameFindings(const Start& start, const MatrixState& before)
{
    Findings findings;
    checkGl(findings, before);
    return findings.text() + stateFindings(start);
}

// The storm under way, for a sanitizer that stops the process before any check can
// speak: its report then still names the seed and the events since the last frame.
struct StormUnderWay {
    unsigned seed = 0;
    int frames = 0;
    int event = 0;
    const std::ostringstream* fed = nullptr;
    const RandomInput* input = nullptr;
};
StormUnderWay underWay;

[[maybe_unused]] void tellStormUnderWay()
{
    if (underWay.input == nullptr) return;
    std::cerr << "stopped during the storm of seed " << underWay.seed << ", after frame " << underWay.frames
              << "; fed since that frame:" << underWay.fed->str()
              << "\n  and event " << underWay.event << " begun: " << underWay.input->lastEvent() << std::endl;
}

// Key, Menu, Press, Release, Drag, Reshape, Ticks.
constexpr InputMix everything = {6, 4, 2, 2, 4, 1, 1};
constexpr InputMix posingWhileSwaying = {6, 2, 0, 0, 0, 0, 2};
constexpr InputMix pointerAndWindow = {0, 0, 3, 2, 6, 3, 0};

// Repeats of a held key: enough to carry the shininess, the slowest value a key moves,
// from 0 past 128 in 0.05 steps, and any angle round several full turns.
constexpr int keyHold = 2600;

class RandomStorm : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
#if defined(__SANITIZE_ADDRESS__)
        __sanitizer_set_death_callback(tellStormUnderWay);
#endif
        choices = offeredChoices(recordMenus(buildMenus));
        std::copy(std::begin(paints), std::end(paints), std::begin(start.paints));
        std::copy(&jointAngles[0][0], &jointAngles[0][0] + pieceCount * sideCount, &start.joints[0][0]);
    }

    // A failed check leaves run() early: forget the storm it was running.
    void TearDown() override
    {
        underWay = {};
        DesignerTest::TearDown();
    }

    // Feeds `fixedEvents` random events (or as many as the environment asks), a frame
    // after every one to four of them (or to the environment's burst), and stops at the
    // first frame after which anything is wrong.
    void run(unsigned fixedSeed, int fixedEvents, const InputMix& mix)
    {
        const unsigned seed = stormSeed(fixedSeed);
        const int events = stormEvents(fixedEvents);
        const int mostPerFrame = stormBurst();
        ASSERT_FALSE(HasFailure());
        RandomInput input(seed, choices, mix);
        const MatrixState before = matrixState();
        int frames = 0;
        for (int event = 0; event < events;) {
            std::ostringstream fed;
            underWay = {seed, frames, event, &fed, &input};
            for (int burst = input.within(1, mostPerFrame); burst > 0 && event < events; --burst, ++event) {
                underWay.event = event;
                input.feedOne();
                fed << "\n  event " << event << ": " << input.lastEvent();
            }
            display();
            ++frames;
            ASSERT_EQ(frameFindings(start, before), "") << "seed " << seed << ", frame " << frames << ", after"
                                                        << fed.str();
        }
        underWay = {};
        std::cout << "seed " << seed << ": " << events << " events, " << frames << " frames, " << input.ticksFed()
                  << " idle ticks\n";
    }

    // Holds every key down in turn, in a random order and each time after a few random
    // events; checks the state after every repeat and draws a frame once it is let go.
    void holdEveryKey(unsigned fixedSeed)
    {
        const unsigned seed = stormSeed(fixedSeed);
        ASSERT_FALSE(HasFailure());
        RandomInput input(seed, choices, everything);
        std::array<int, 256> keys;
        std::iota(keys.begin(), keys.end(), 0);
        std::shuffle(keys.begin(), keys.end(), std::mt19937(seed));
        const MatrixState before = matrixState();
        for (int key : keys) {
            std::ostringstream fed;
            for (int events = input.within(0, 3); events > 0; --events) {
                input.feedOne();
                fed << "\n  " << input.lastEvent();
            }
            for (int repeat = 1; repeat <= keyHold; ++repeat) {
                keyboard(static_cast<unsigned char>(key), 0, 0);
                ASSERT_EQ(stateFindings(start), "") << "seed " << seed << ", key " << key << " (piece "
                                                    << selectedPiece << ", side " << selectedSide << "), repeat "
                                                    << repeat << ", after" << fed.str();
            }
            display();
            ASSERT_EQ(frameFindings(start, before), "") << "seed " << seed << ", frame after holding key " << key;
        }
    }

    std::vector<MenuChoice> choices;
    Start start;
};

TEST_F(RandomStorm, EveryInputMixedKeepsTheDesignerSound)
{
    run(20240607u, 4000, everything);
}

// The keys and the idle sway both turn the head and arms; whatever the order, the
// angles stay finite and bounded and the keys alone keep the rest within a half turn.
TEST_F(RandomStorm, PosingWhileTheFigureSwaysKeepsEveryAngleBounded)
{
    topMenu(ToggleIdle);
    run(77u, 2000, posingWhileSwaying);
}

// Random presses rarely carry a value to its bound; a held key, repeating, carries
// every value it changes there and on.
TEST_F(RandomStorm, HoldingEveryKeyStopsWhatItChangesAtItsBounds)
{
    holdEveryKey(4096u);
}

// Presses and drags anywhere, at the ends of an int too, while the window shrinks to
// nothing and grows again: the eye stays on its orbit and the pitch within its limits.
TEST_F(RandomStorm, DragsAndReshapesAnywhereKeepTheCameraOnItsOrbit)
{
    run(31337u, 3000, pointerAndWindow);
}

class ExtremePointer : public DesignerTest {};

// Positions at the two ends of an int lie 2^32 - 1 pixels apart: a drag between them
// turns the camera by that whole distance, not by what an overflowing int leaves of it.
TEST_F(ExtremePointer, ADragAcrossTheWholeRangeOfAnIntTurnsByTheWholeDistance)
{
    const double span = 4294967295.0;
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, INT_MIN, INT_MIN);
    motion(INT_MAX, INT_MAX);
    // Rightwards: millions of radians of yaw, wrapped once; downwards: the eye at its highest.
    EXPECT_NEAR(cameraYaw, 1.5705 + span / 700.0 * 3.141 - 6.282, 4.0);
    EXPECT_EQ(cameraPitch, pitchLimit);
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, INT_MAX, INT_MAX);
    motion(INT_MIN, INT_MIN);
    EXPECT_EQ(cameraPitch, -pitchLimit);
    EXPECT_NEAR(cameraEye.y, -6.0 * std::sin(1.396), 1e-3) << "the eye is not at its lowest";
}

}  // namespace
