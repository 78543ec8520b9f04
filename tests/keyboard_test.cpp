// The keyboard poses the joint chosen from the menu and mixes the user-defined paint.
#include <cstring>
#include <string>

#include "app/menu.h"
#include "interact/interact.h"
#include "render/paint.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

void press(unsigned char key, int times = 1)
{
    for (int i = 0; i < times; ++i) keyboard(key, 350, 350);
}

void pressAll(const char* keys)
{
    for (const char* key = keys; *key != '\0'; ++key) press(static_cast<unsigned char>(*key));
}

// Everything the keyboard can reach, for comparing one moment with another bit for bit.
struct Snapshot {
    Vector3 angles[pieceCount][sideCount];
    Material user;
    float colour[3];
};

Snapshot snapshot()
{
    Snapshot s{};
    std::memcpy(s.angles, jointAngles, sizeof jointAngles);
    s.user = paints[userPaint];
    s.colour[0] = customRed;
    s.colour[1] = customGreen;
    s.colour[2] = customBlue;
    return s;
}

bool operator==(const Snapshot& a, const Snapshot& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectUserColour(float red, float green, float blue)
{
    const Material& user = paints[userPaint];
    for (const float* colour : {user.ambient, user.diffuse, user.specular}) {
        EXPECT_EQ(colour[0], red);
        EXPECT_EQ(colour[1], green);
        EXPECT_EQ(colour[2], blue);
        EXPECT_EQ(colour[3], 1.0f) << "alpha is never written";
    }
}

// The state after these keys, pressed from start-up.
Snapshot afterKeys(const std::string& keys)
{
    resetDesigner();
    pressAll(keys.c_str());
    return snapshot();
}

Vector3& leftUpperArm()
{
    return jointAngles[UpperArm][LeftSide];
}

class Posing : public DesignerTest {};

// At start-up the keys pose the left upper arm.
TEST_F(Posing, LettersTurnTheChosenJointAboutXAndY)
{
    press('w');
    EXPECT_EQ(leftUpperArm().x, -5.0f);
    press('s', 3);
    EXPECT_EQ(leftUpperArm().x, 10.0f);
    press('a');
    EXPECT_EQ(leftUpperArm().y, -5.0f);
    press('d', 4);
    EXPECT_EQ(leftUpperArm().y, 15.0f);
    EXPECT_EQ(leftUpperArm().z, 10.0f) << "no key turns z";
    EXPECT_EQ(jointAngles[UpperArm][RightSide].x, 0.0f) << "the other arm stays put";
    EXPECT_EQ(jointAngles[UpperArm][RightSide].y, 0.0f);
}

TEST_F(Posing, CapitalsAndPunctuationPartnersActLikeTheirKeys)
{
    const char* const pairs[] = {"wW", "sS", "aA", "dD", "iI", "kK", "oO", "lL", "pP", ";:", "[{", "]}"};
    // Away from every bound first, so that the lowering keys show too.
    const std::string away = "iiooppdd[";
    const Snapshot base = afterKeys(away);
    for (const char* pair : pairs) {
        const Snapshot first = afterKeys(away + pair[0]);
        EXPECT_FALSE(first == base) << "'" << pair[0] << "' changed nothing";
        EXPECT_TRUE(afterKeys(away + pair[1]) == first) << "'" << pair[1] << "' differs from '" << pair[0] << "'";
    }
}

// Angles run -180, -175, ..., 180 with both ends reachable; one more step wraps.
TEST_F(Posing, AnglesWrapOnlyBeyondAHalfTurnInBothDirections)
{
    leftUpperArm() = {175.0f, -175.0f, 10.0f};
    press('s');
    press('a');
    EXPECT_EQ(leftUpperArm().x, 180.0f);
    EXPECT_EQ(leftUpperArm().y, -180.0f);
    press('s');
    press('a');
    EXPECT_EQ(leftUpperArm().x, -175.0f);
    EXPECT_EQ(leftUpperArm().y, 175.0f);

    leftUpperArm() = {-175.0f, 175.0f, 10.0f};
    press('w');
    press('d');
    EXPECT_EQ(leftUpperArm().x, -180.0f);
    EXPECT_EQ(leftUpperArm().y, 180.0f);
    press('w');
    press('d');
    EXPECT_EQ(leftUpperArm().x, 175.0f);
    EXPECT_EQ(leftUpperArm().y, -175.0f);

    resetDesigner();
    press('S', 72);
    press('D', 72);
    EXPECT_EQ(leftUpperArm().x, 0.0f) << "a full turn of steps comes back exactly";
    EXPECT_EQ(leftUpperArm().y, 0.0f);
}

// The idle sway can carry an angle past 180; a key adds its step wherever it is,
// and a lowering key never wraps at the upper end.
TEST_F(Posing, KeysStepFromWhereTheSwayLeftTheJoint)
{
    leftUpperArm().y = 183.0f;
    press('d');
    EXPECT_EQ(leftUpperArm().y, -172.0f);
    leftUpperArm().y = 183.0f;
    press('a');
    EXPECT_EQ(leftUpperArm().y, 178.0f);
    leftUpperArm().x = 190.0f;
    press('w');
    EXPECT_EQ(leftUpperArm().x, 185.0f);
}

TEST_F(Posing, KeysFollowThePieceAndSideLastChosen)
{
    piecesMenu(Foot);
    press('w');
    EXPECT_EQ(jointAngles[Foot][LeftSide].x, -20.0f);
    topMenu(ChooseRightSide);
    press('d');
    EXPECT_EQ(jointAngles[Foot][RightSide].y, 5.0f);

    // The head has one joint, drawn from its right-side entry; "Left side" still picks side 1.
    piecesMenu(Head);
    press('s');
    EXPECT_EQ(jointAngles[Head][RightSide].x, 5.0f);
    topMenu(ChooseLeftSide);
    press('s');
    EXPECT_EQ(jointAngles[Head][LeftSide].x, 5.0f);
    EXPECT_EQ(jointAngles[Head][RightSide].x, 5.0f);
}

TEST_F(Posing, EveryKeyAsksForAFrameAndUnknownKeysChangeNothing)
{
    const Snapshot before = snapshot();
    const long redisplays = redisplayRequests();
    const unsigned char unknown[] = {27, '1', ' ', 'x', 'Z', '\r', 0, 255, '<', '\''};
    for (unsigned char key : unknown) press(key);
    EXPECT_TRUE(snapshot() == before);
    EXPECT_EQ(redisplayRequests(), redisplays + static_cast<long>(sizeof unknown));
    pressAll("wWsSaAdDiIkKoOlLpP;:[{]}");
    EXPECT_EQ(redisplayRequests(), redisplays + static_cast<long>(sizeof unknown) + 24);
}

class PaintMixing : public DesignerTest {};

TEST_F(PaintMixing, FirstRedKeyTintsTheUserPaint)
{
    press('i');
    expectUserColour(0.05f, 0.0f, 0.0f);
    EXPECT_EQ(paints[userPaint].shininess, 4.0f);
}

// The twentieth sum lands just past the bound and is clamped to it exactly.
TEST_F(PaintMixing, TwentyStepsReachTheBoundsExactly)
{
    press('i', 20);
    EXPECT_EQ(customRed, 1.0f);
    press('I', 5);
    EXPECT_EQ(customRed, 1.0f);
    press('k', 20);
    EXPECT_EQ(customRed, 0.0f);
    press('K', 5);
    EXPECT_EQ(customRed, 0.0f);
    press('o', 20);
    press('p', 20);
    EXPECT_EQ(customGreen, 1.0f);
    EXPECT_EQ(customBlue, 1.0f);
    press('l', 20);
    press(':', 20);
    EXPECT_EQ(customGreen, 0.0f);
    EXPECT_EQ(customBlue, 0.0f);
    expectUserColour(0.0f, 0.0f, 0.0f);
}

TEST_F(PaintMixing, EachColourKeyRewritesAllNineChannels)
{
    press('i', 3);
    press('p');
    // Something else wrote the user paint meanwhile; the next colour key puts the mix back.
    paints[userPaint].ambient[0] = 0.7f;
    paints[userPaint].specular[2] = 0.9f;
    press('o');
    EXPECT_EQ(customGreen, 0.05f);
    expectUserColour(customRed, 0.05f, customBlue);
    EXPECT_NEAR(customRed, 0.15, 1e-6);
    EXPECT_NEAR(customBlue, 0.05, 1e-6);
    EXPECT_EQ(paints[userPaint].shininess, 4.0f);
}

TEST_F(PaintMixing, ShininessAndColourKeysLeaveEachOtherAlone)
{
    press('[');
    EXPECT_NEAR(paints[userPaint].shininess, 4.05, 1e-6);
    press('{');
    press(']', 3);
    EXPECT_NEAR(paints[userPaint].shininess, 3.95, 1e-5);
    expectUserColour(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(customRed + customGreen + customBlue, 0.0f);
    const float shininess = paints[userPaint].shininess;
    pressAll("iopkl;");
    EXPECT_EQ(paints[userPaint].shininess, shininess);
}

TEST_F(PaintMixing, ShininessComesDownToExactlyZeroAndStays)
{
    press(']', 80);
    EXPECT_GT(paints[userPaint].shininess, 0.0f);
    press('}');
    EXPECT_EQ(paints[userPaint].shininess, 0.0f);
    press(']', 5);
    EXPECT_EQ(paints[userPaint].shininess, 0.0f);
}

// The GL refuses a specular exponent above 128; the user paint stops there, stays
// usable, and the first press back down shows at once.
TEST_F(PaintMixing, ShininessStopsAtTheLargestTheGlAccepts)
{
    press('[', 2600);
    EXPECT_EQ(paints[userPaint].shininess, 128.0f);
    press('{', 10);
    EXPECT_EQ(paints[userPaint].shininess, 128.0f);
    applyMaterial(paints[userPaint]);
    EXPECT_TRUE(glErrors().empty());
    EXPECT_EQ(currentMaterial().shininess, 128.0f);
    press(']');
    EXPECT_NEAR(paints[userPaint].shininess, 127.95, 1e-4);
}

// Mixed on the keyboard and chosen for a slot, the paint shows on the next frame.
TEST_F(PaintMixing, TheMixShowsWhereverTheUserPaintIsChosen)
{
    mainColorMenu(userPaint);
    pressAll("iiiiooo[[");
    int userPainted = 0;
    for (const Primitive& p : recordFigure()) {
        if (paletteIndexOf(p.material) != userPaint) continue;
        ++userPainted;
        EXPECT_NEAR(p.material.diffuse[0], 0.2, 1e-6);
        EXPECT_NEAR(p.material.diffuse[1], 0.15, 1e-6);
        EXPECT_EQ(p.material.diffuse[2], 0.0f);
        EXPECT_NEAR(p.material.shininess, 4.1, 1e-5);
    }
    EXPECT_GT(userPainted, 0);
}

}  // namespace
