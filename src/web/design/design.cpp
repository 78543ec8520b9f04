// The designer's state, read and written for the page: every value the person can change, in
// one fixed order. Keeping the design for the tab, deciding whether a frame is needed and
// saying the picture in words all go through this one walk.
#include "web/design/design.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <type_traits>

#include "app/menu.h"
#include "interact/interact.h"
#include "render/paint.h"
#include "state/state.h"
#include "web/include/exported.h"

namespace {

// The bounds the designer keeps each value within: keys wrap an angle past a half turn, the
// sway carries a swaying joint no further than its reach, and a swing's phase ends a step
// past the swing's end (and a little more for the floats' rounding).
constexpr double lastSwingPhase = swingEnd + phaseStep + 1e-4;
constexpr double orbitSlack = 0.01;  // how far from its orbit a written eye may lie
constexpr int axisValues = pieceCount * sideCount * axisCount;

}  // namespace

constexpr DesignField designFields[designFieldCount] = {
    {"paints", 6, true, 0, paintCount - 1},
    {"weapons", sideCount, true, NoWeapon, KnifeDown},
    {"piece", 1, true, 0, pieceCount - 1},
    {"side", 1, true, 0, sideCount - 1},
    {"head", 6, false, -swayReach, swayReach},
    {"body", 6, false, -jointHalfTurn, jointHalfTurn},
    {"forearm", 6, false, -swayReach, swayReach},
    {"upperarm", 6, false, -swayReach, swayReach},
    {"upperleg", 6, false, -jointHalfTurn, jointHalfTurn},
    {"lowerleg", 6, false, -jointHalfTurn, jointHalfTurn},
    {"foot", 6, false, -jointHalfTurn, jointHalfTurn},
    {"swings", axisValues, true, 0, 2},
    {"phases", axisValues, false, 0, lastSwingPhase},
    {"idle", 1, true, 0, 1},
    {"mix", 3, false, 0, 1},
    {"shine", 1, false, 0, shininessLimit},
    {"yaw", 1, false, -cameraFullTurn / 2, cameraFullTurn / 2},
    {"pitch", 1, false, -cameraPitchLimit, cameraPitchLimit},
    {"eye", 3, false, -orbitRadius, orbitRadius},
};

namespace {

constexpr int countValues()
{
    int count = 0;
    for (const DesignField& field : designFields) count += field.count;
    return count;
}
static_assert(countValues() == designValueCount, "the walk holds designValueCount values");

// Calls visit(field, value) for every value of the state, in the walk's order.
template <typename Visit>
void visitState(Visit visit)
{
    for (int* slot : {&mainPaint, &trimPaint, &shoulderPaint, &metalPaint, &weaponPaint, &eyePaint}) {
        visit(PaintsField, *slot);
    }
    for (int& weapon : weaponBySide) visit(WeaponsField, weapon);
    visit(PieceField, selectedPiece);
    visit(SideField, selectedSide);
    for (int piece = 0; piece < pieceCount; ++piece) {
        for (Vector3& angles : jointAngles[piece]) {
            for (float* angle : {&angles.x, &angles.y, &angles.z}) visit(HeadAngles + piece, *angle);
        }
    }
    for (auto& bySide : motionState) {
        for (auto& byAxis : bySide) {
            for (int& state : byAxis) visit(SwingsField, state);
        }
    }
    for (auto& bySide : motionPhase) {
        for (auto& byAxis : bySide) {
            for (float& phase : byAxis) visit(PhasesField, phase);
        }
    }
    visit(IdleField, idleEnabled);
    for (float* channel : {&customRed, &customGreen, &customBlue}) visit(MixField, *channel);
    visit(ShineField, paints[userPaint].shininess);
    visit(YawField, cameraYaw);
    visit(PitchField, cameraPitch);
    for (float* axis : {&cameraEye.x, &cameraEye.y, &cameraEye.z}) visit(EyeField, *axis);
}

double within(double value, const DesignField& field)
{
    return std::fmin(std::fmax(value, field.lowest), field.highest);
}

// The yaw the camera would have after its own wraps, however far it went round.
double wrappedYaw(double yaw)
{
    return std::fabs(yaw) > cameraFullTurn / 2 ? std::remainder(yaw, double{cameraFullTurn}) : yaw;
}

// An eye off its orbit is placed again from the yaw and pitch, by the camera's own drag
// handler with a drag of nothing.
void keepEyeOnOrbit()
{
    const double distance = std::sqrt(cameraEye.x * cameraEye.x + cameraEye.y * cameraEye.y +
                                      cameraEye.z * cameraEye.z);
    if (std::fabs(distance - orbitRadius) <= orbitSlack) return;
    motion(lastMouseX, lastMouseY);
}

// What the last frame drawn was drawn from: the walk, then the window's width and height.
constexpr int drawnValueCount = designValueCount + 2;
double drawn[drawnValueCount];
bool anyDrawn = false;

void readDrawnValues(double* values)
{
    readDesign(values);
    values[designValueCount] = windowWidth;
    values[designValueCount + 1] = windowHeight;
}

// Where a field's values start in the walk.
constexpr int fieldStart(int id)
{
    int start = 0;
    for (int i = 0; i < id; ++i) start += designFields[i].count;
    return start;
}

// The top menu's side entries pass the side itself, so the page names a side by them.
static_assert(int{ChooseRightSide} == int{RightSide} && int{ChooseLeftSide} == int{LeftSide},
              "a side entry's value is the side");

// In WebAssembly a function pointer is its index in the function table: the number the
// toolkit's menu calls were given for the same handler.
int handlerIndex(void (*handler)(int))
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handler));
}

struct SaidChoice {
    void (*handler)(int);
    int at;
    bool paint;
};

// Each choice the menus make, in the order the page says them: the paint slots as the
// Colors menu lists them, the hands, then what the keys pose.
const SaidChoice saidChoices[] = {
    {mainColorMenu, fieldStart(PaintsField) + MainSlot, true},
    {trimColorMenu, fieldStart(PaintsField) + TrimSlot, true},
    {shoulderColorMenu, fieldStart(PaintsField) + ShoulderSlot, true},
    {metalColorMenu, fieldStart(PaintsField) + MetalSlot, true},
    {weaponColorMenu, fieldStart(PaintsField) + WeaponSlot, true},
    {eyeColorMenu, fieldStart(PaintsField) + EyeSlot, true},
    {leftWeaponMenu, fieldStart(WeaponsField) + LeftSide, false},
    {rightWeaponMenu, fieldStart(WeaponsField) + RightSide, false},
    {piecesMenu, fieldStart(PieceField), false},
    {topMenu, fieldStart(SideField), false},
};

// The pieces' angles are one field a piece, in the pieces' order.
static_assert(UpperArmAngles - HeadAngles == UpperArm && FootAngles - HeadAngles == Foot,
              "a piece's angles are the field HeadAngles + its number");

// Appends to the layout's text while it has room; `room` is what is left of it.
class LayoutText {
public:
    LayoutText(char* text, int size) : next(text), room(size) {}

    __attribute__((format(printf, 2, 3))) void add(const char* format, ...)
    {
        std::va_list values;
        va_start(values, format);
        const int used = std::vsnprintf(next, static_cast<std::size_t>(room), format, values);
        va_end(values);
        if (used < 0 || used >= room) return;
        next += used;
        room -= used;
    }

private:
    char* next;
    int room;
};

constexpr int layoutSize = 2048;  // the layout takes about 1,500 bytes

void writeLayout(LayoutText& out)
{
    out.add("{\"values\":%d,\"fields\":{", designValueCount);
    for (int id = 0; id < designFieldCount; ++id) {
        out.add("%s\"%s\":{\"at\":%d,\"count\":%d}", id > 0 ? "," : "", designFields[id].name, fieldStart(id),
                designFields[id].count);
    }
    out.add("},\"pieces\":[");
    for (int piece = 0; piece < pieceCount; ++piece) {
        out.add("%s\"%s\"", piece > 0 ? "," : "", designFields[HeadAngles + piece].name);
    }
    out.add("],\"sides\":%d,\"userPaint\":%d,\"frontYaw\":%.9g,\"choices\":[", sideCount, userPaint, cameraStartYaw);
    for (const SaidChoice& choice : saidChoices) {
        out.add("%s{\"handler\":%d,\"at\":%d,\"paint\":%s}", &choice == saidChoices ? "" : ",",
                handlerIndex(choice.handler), choice.at, choice.paint ? "true" : "false");
    }
    out.add("]}");
}

}  // namespace

void readDesign(double* values)
{
    visitState([&values](int, auto value) { *values++ = static_cast<double>(value); });
}

void writeDesign(const double* values)
{
    visitState([&values](int id, auto& value) {
        const double number = id == YawField ? wrappedYaw(*values++) : within(*values++, designFields[id]);
        value = static_cast<std::remove_reference_t<decltype(value)>>(number);
    });
    copyUserColour();  // as the colour keys keep the user's paint in step with the mixed colour
    keepEyeOnOrbit();
}

extern "C" {

// NaN equals nothing, itself included: a value that is not a number always differs.
CALLED_FROM_JAVASCRIPT int designDiffersFromDrawn()
{
    double now[drawnValueCount];
    readDrawnValues(now);
    return !anyDrawn || !std::equal(now, now + drawnValueCount, drawn);
}

CALLED_FROM_JAVASCRIPT void designDrawn()
{
    readDrawnValues(drawn);
    anyDrawn = true;
}

CALLED_FROM_JAVASCRIPT const double* designValues()
{
    static double values[designValueCount];
    readDesign(values);
    return values;
}

CALLED_FROM_JAVASCRIPT const char* designLayout()
{
    static char layout[layoutSize];
    if (layout[0] == '\0') {
        LayoutText out(layout, layoutSize);
        writeLayout(out);
    }
    return layout;
}
}
