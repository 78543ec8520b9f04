// The idle sway: with idle on, the head and arms start random swings, out and back.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "app/menu.h"
#include "interact/interact.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

constexpr int swayingPieces[] = {Head, Forearm, UpperArm};

// Each direct call of the timer callback arms one more timer chain in the toolkit.
bool tickedDirectly = false;

// Runs the timer callback as the toolkit would, `count` times.
void tick(int count = 1, void (*between)() = nullptr)
{
    tickedDirectly = true;
    for (int i = 0; i < count; ++i) {
        idleTimer(1);
        if (between != nullptr) between();
    }
}

// What was written to standard output while `running` ran.
std::string printedWhile(const std::function<void()>& running)
{
    testing::internal::CaptureStdout();
    running();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

int linesOf(const std::string& text, const std::string& line)
{
    int count = 0;
    for (std::size_t at = text.find(line + "\n"); at != std::string::npos; at = text.find(line + "\n", at + 1)) {
        ++count;
    }
    return count;
}

// The animation's whole state, to compare one moment with another bit for bit.
struct Sway {
    Vector3 angles[pieceCount][sideCount];
    int state[pieceCount][sideCount][axisCount];
    float phase[pieceCount][sideCount][axisCount];
};

Sway sway()
{
    Sway s{};
    std::memcpy(s.angles, jointAngles, sizeof jointAngles);
    std::memcpy(s.state, motionState, sizeof motionState);
    std::memcpy(s.phase, motionPhase, sizeof motionPhase);
    return s;
}

bool operator==(const Sway& a, const Sway& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

float& axisAngle(int piece, int side, int axis)
{
    return axis == 0 ? jointAngles[piece][side].x : jointAngles[piece][side].y;
}

// Counts the axes that started a swing in the tick since `before`. The tick that starts
// a swing also makes its first update, by sin(0): the angle stays, the phase moves on.
int startsSince(const Sway& before)
{
    int starts = 0;
    for (int piece : swayingPieces) {
        for (int side = 0; side < sideCount; ++side) {
            for (int axis = 0; axis < axisCount; ++axis) {
                if (before.state[piece][side][axis] != 0 || motionState[piece][side][axis] == 0) continue;
                ++starts;
                EXPECT_EQ(motionPhase[piece][side][axis], 0.03f);
                const Vector3& was = before.angles[piece][side];
                EXPECT_EQ(axisAngle(piece, side, axis), axis == 0 ? was.x : was.y);
            }
        }
    }
    return starts;
}

// Starts a swing by hand, as the tick that draws a start would before its first update.
void startSwing(int piece, int side, int axis, int direction)
{
    motionState[piece][side][axis] = direction;
    motionPhase[piece][side][axis] = 0.0f;
}

void toggleIdle()
{
    topMenu(ToggleIdle);
}

void toggleIdleTwice()
{
    toggleIdle();
    toggleIdle();
}

// Lets the real event loop run until `done` or the deadline.
void runLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds longest)
{
    const auto deadline = std::chrono::steady_clock::now() + longest;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        pumpEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// The chain that start-up armed is the only one until a test calls the callback itself.
// It must survive a stretch with idle off, then carry a swing on.
TEST(IdleTimerChain, TheStartUpTimerKeepsTickingWhetherIdleIsOnOrOff)
{
    if (tickedDirectly) GTEST_SKIP() << "needs to run before the direct ticks";
    resetDesigner();
    startSwing(Forearm, RightSide, 0, 1);
    runLoopUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_EQ(motionPhase[Forearm][RightSide][0], 0.0f) << "a swing moved with idle off";
    idleEnabled = 1;
    printedWhile([] {
        runLoopUntil([] { return motionPhase[Forearm][RightSide][0] > 0.1f; }, std::chrono::seconds(5));
    });
    EXPECT_GT(motionPhase[Forearm][RightSide][0], 0.1f) << "fewer than four ticks in five seconds";
    EXPECT_EQ(motionState[Forearm][RightSide][0], 1);
    idleEnabled = 0;
}

class IdleSway : public DesignerTest {};

TEST_F(IdleSway, WhileOffNothingMovesPrintsOrDraws)
{
    startSwing(UpperArm, LeftSide, 0, 1);
    motionPhase[UpperArm][LeftSide][0] = 1.0f;
    const Sway before = sway();
    const long redisplays = redisplayRequests();
    std::srand(7);
    const int next = std::rand();
    std::srand(7);
    EXPECT_EQ(printedWhile([] { tick(1000); }), "");
    EXPECT_TRUE(sway() == before);
    EXPECT_EQ(redisplayRequests(), redisplays);
    EXPECT_EQ(std::rand(), next) << "an idle-off tick draws no random numbers";
}

// 210 updates at phases 0, 0.03, ..., 6.27, then one tick that ends the swing.
TEST_F(IdleSway, ASwingGoesOutAndBackIn210Updates)
{
    idleEnabled = 1;
    for (int direction : {1, 2}) {
        const int piece = direction == 1 ? UpperArm : Forearm;
        const int side = direction == 1 ? LeftSide : RightSide;
        const int axis = direction == 1 ? 0 : 1;
        const float start = axisAngle(piece, side, axis);
        startSwing(piece, side, axis, direction);
        int updates = 0;
        double furthest = 0.0;
        while (motionState[piece][side][axis] != 0 && updates < 1000) {
            const float phase = motionPhase[piece][side][axis];
            tick();
            if (motionPhase[piece][side][axis] > phase) ++updates;
            const double offset = axisAngle(piece, side, axis) - start;
            if (std::fabs(offset) > std::fabs(furthest)) furthest = offset;
        }
        EXPECT_EQ(updates, 210) << "swing " << direction;
        EXPECT_NEAR(furthest, direction == 1 ? 13.33 : -13.33, 0.01);
        EXPECT_NEAR(axisAngle(piece, side, axis), start, 1e-3) << "the swing comes back";
        EXPECT_EQ(motionPhase[piece][side][axis], 0.0f);
    }
}

// Each start prints its own line. The generator is never seeded, so a run from the
// default seed (1) sways the same way every time.
TEST_F(IdleSway, StartsAreAnnouncedAndRepeatFromTheSameSeed)
{
    idleEnabled = 1;
    std::srand(1);
    int starts = 0;
    const std::string printed = printedWhile([&starts] {
        for (int i = 0; i < 3000; ++i) {
            const Sway before = sway();
            tick();
            starts += startsSince(before);
        }
    });
    EXPECT_GT(starts, 12);
    EXPECT_EQ(linesOf(printed, "Starting to move"), starts) << "one line per start";
    const Sway first = sway();

    resetDesigner();
    idleEnabled = 1;
    std::srand(1);
    EXPECT_EQ(printedWhile([] { tick(3000); }), printed);
    EXPECT_TRUE(sway() == first);
}

// Every one of the twelve axes sways, the head's undrawn side 1 included; nothing else ever does.
TEST_F(IdleSway, OnlyTheHeadAndArmsSwayAboutXAndY)
{
    const Sway before = sway();
    const long redisplays = redisplayRequests();
    idleEnabled = 1;
    std::srand(1);
    bool swayed[pieceCount][sideCount][axisCount] = {};
    printedWhile([&swayed] {
        for (int i = 0; i < 3000; ++i) {
            tick();
            for (int piece = 0; piece < pieceCount; ++piece) {
                for (int side = 0; side < sideCount; ++side) {
                    for (int axis = 0; axis < axisCount; ++axis) {
                        swayed[piece][side][axis] |= motionState[piece][side][axis] != 0;
                    }
                }
            }
        }
    });
    EXPECT_EQ(redisplayRequests(), redisplays + 3000) << "each tick while on asks for a frame";
    for (int piece = 0; piece < pieceCount; ++piece) {
        const bool sways = piece == Head || piece == Forearm || piece == UpperArm;
        for (int side = 0; side < sideCount; ++side) {
            SCOPED_TRACE("piece " + std::to_string(piece) + " side " + std::to_string(side));
            const Vector3& was = before.angles[piece][side];
            const Vector3& is = jointAngles[piece][side];
            EXPECT_EQ(is.z, was.z);
            EXPECT_EQ(swayed[piece][side][0], sways);
            EXPECT_EQ(swayed[piece][side][1], sways);
            if (!sways) {
                EXPECT_EQ(is.x, was.x);
                EXPECT_EQ(is.y, was.y);
            }
        }
    }
}

// Idle off then on again between two ticks: the swing carries on as if nothing happened.
TEST_F(IdleSway, TogglingTwiceBetweenTicksChangesNothing)
{
    idleEnabled = 1;
    std::srand(1);
    const std::string plain = printedWhile([] { tick(500); });
    const Sway plainSway = sway();
    resetDesigner();
    idleEnabled = 1;
    std::srand(1);
    EXPECT_EQ(printedWhile([] { tick(500, toggleIdleTwice); }), plain);
    EXPECT_TRUE(sway() == plainSway);
    EXPECT_EQ(idleEnabled, 1);
}

// Off in mid-swing freezes the joint; on again resumes from the same phase.
TEST_F(IdleSway, OffInMidSwingFreezesAndOnResumes)
{
    idleEnabled = 1;
    startSwing(Head, RightSide, 1, 1);
    tick(100);
    const float frozen = jointAngles[Head][RightSide].y;
    const float phase = motionPhase[Head][RightSide][1];
    toggleIdle();
    tick(300);
    EXPECT_EQ(jointAngles[Head][RightSide].y, frozen);
    EXPECT_EQ(motionPhase[Head][RightSide][1], phase);
    toggleIdle();
    tick(111);
    EXPECT_EQ(motionState[Head][RightSide][1], 0) << "100 + 111 ticks make one whole swing";
    EXPECT_NEAR(jointAngles[Head][RightSide].y, 0.0, 1e-3);
}

// The sway adds its increments, so a key press in mid-swing shifts where it comes back to.
TEST_F(IdleSway, AKeyInMidSwingMovesWhereTheSwingReturns)
{
    idleEnabled = 1;
    startSwing(UpperArm, LeftSide, 0, 2);
    tick(60);
    keyboard('s', 0, 0);
    tick(151);
    EXPECT_EQ(motionState[UpperArm][LeftSide][0], 0);
    EXPECT_NEAR(jointAngles[UpperArm][LeftSide].x, 5.0, 1e-3);
}

}  // namespace
