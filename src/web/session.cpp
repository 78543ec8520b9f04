// The designer's state as a copy for the tab, and back. The copy is text, one field after
// another in a fixed order, each with its name: "korvath-session 1;paints:2,3,2,5,1,1;...;".
// Every value that the person can change is kept, and the count of numbers the idle sway
// has drawn from the C library's generator, which a restore draws again so that the
// random sequence goes on from where it was.
#include "web/session.h"

#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "interact/interact.h"
#include "render/paint.h"
#include "state/state.h"

// Every draw of the generator passes here: the web build links rand to this (--wrap=rand).
extern "C" int __real_rand();

namespace {

constexpr const char* copyVersion = "korvath-session 1";
constexpr int copySize = 4096;  // a copy takes about 400 bytes
char copy[copySize];

long long randomDraws = 0;
// Twenty-three hours of the sway on screen drawing all it can (1,200 a second); a restore
// draws them again in a few tenths of a second. Beyond, the sequence goes on from there.
constexpr double mostDraws = 1.0e8;

// The bounds the designer keeps each value within. Keys wrap an angle past a half turn,
// and the sway may carry a swaying joint up to two swings and a degree beyond it.
constexpr double halfTurn = 180.0;
constexpr double swungAngle = halfTurn + 2.0 * 13.4 + 1.0;
constexpr double lastSwingPhase = 6.282 + 0.03 + 1e-4;
constexpr double maxShininess = 128.0;
constexpr double pitchLimit = 1.396;
constexpr double fullTurn = 6.282;  // the turn by which the camera wraps its yaw
constexpr double cameraDistance = 6.0;
constexpr double orbitSlack = 0.01;  // how far from its orbit a stored eye may lie

enum FieldId : int {
    Paints, Weapons, Piece, ChosenSide,
    HeadAngles, BodyAngles, ForearmAngles, UpperArmAngles, UpperLegAngles, LowerLegAngles, FootAngles,
    Swings, Phases, Idle, Mix, Shine, Yaw, Pitch, Eye, Draws, fieldCount
};

struct Field {
    const char* name;
    int count;
    bool whole;
    double lowest;
    double highest;
};

// In the copy's order; the angles of a piece are its right side's x, y, z, then its left's.
constexpr Field fields[fieldCount] = {
    {"paints", 6, true, 0, paintCount - 1},
    {"weapons", sideCount, true, NoWeapon, KnifeDown},
    {"piece", 1, true, 0, pieceCount - 1},
    {"side", 1, true, 0, sideCount - 1},
    {"head", 6, false, -swungAngle, swungAngle},
    {"body", 6, false, -halfTurn, halfTurn},
    {"forearm", 6, false, -swungAngle, swungAngle},
    {"upperarm", 6, false, -swungAngle, swungAngle},
    {"upperleg", 6, false, -halfTurn, halfTurn},
    {"lowerleg", 6, false, -halfTurn, halfTurn},
    {"foot", 6, false, -halfTurn, halfTurn},
    {"swings", pieceCount * sideCount * axisCount, true, 0, 2},
    {"phases", pieceCount * sideCount * axisCount, false, 0, lastSwingPhase},
    {"idle", 1, true, 0, 1},
    {"mix", 3, false, 0, 1},
    {"shine", 1, false, 0, maxShininess},
    {"yaw", 1, false, -fullTurn / 2, fullTurn / 2},
    {"pitch", 1, false, -pitchLimit, pitchLimit},
    {"eye", 3, false, -cameraDistance, cameraDistance},
    {"draws", 1, true, 0, mostDraws},
};

constexpr int valueCount()
{
    int count = 0;
    for (const Field& field : fields) count += field.count;
    return count;
}

// Calls visit(field, value) for every stored value, in the copy's order; `draws` stands
// for the count of random draws.
template <typename Visit>
void visitState(Visit visit, long long& draws)
{
    for (int* slot : {&mainPaint, &trimPaint, &shoulderPaint, &metalPaint, &weaponPaint, &eyePaint}) {
        visit(Paints, *slot);
    }
    for (int& weapon : weaponBySide) visit(Weapons, weapon);
    visit(Piece, selectedPiece);
    visit(ChosenSide, selectedSide);
    for (int piece = 0; piece < pieceCount; ++piece) {
        for (Vector3& angles : jointAngles[piece]) {
            for (float* angle : {&angles.x, &angles.y, &angles.z}) visit(HeadAngles + piece, *angle);
        }
    }
    for (auto& bySide : motionState) {
        for (auto& byAxis : bySide) {
            for (int& state : byAxis) visit(Swings, state);
        }
    }
    for (auto& bySide : motionPhase) {
        for (auto& byAxis : bySide) {
            for (float& phase : byAxis) visit(Phases, phase);
        }
    }
    visit(Idle, idleEnabled);
    for (float* channel : {&customRed, &customGreen, &customBlue}) visit(Mix, *channel);
    visit(Shine, paints[userPaint].shininess);
    visit(Yaw, cameraYaw);
    visit(Pitch, cameraPitch);
    for (float* axis : {&cameraEye.x, &cameraEye.y, &cameraEye.z}) visit(Eye, *axis);
    visit(Draws, draws);
}

// One number of the copy; a float with nine digits, which reads back as the same float.
template <typename Value>
int writeValue(char* out, int room, Value value)
{
    if constexpr (std::is_floating_point_v<Value>) {
        return std::snprintf(out, room, "%.9g", static_cast<double>(value));
    } else {
        return std::snprintf(out, room, "%lld", static_cast<long long>(value));
    }
}

// Reads one number at `text` followed by `end`; only finite numbers, and whole ones for
// a whole field, are read.
bool readValue(const char*& text, const Field& field, char end, double& value)
{
    char* after = nullptr;
    value = std::strtod(text, &after);
    if (after == text || *after != end || !std::isfinite(value)) return false;
    if (field.whole && value != std::floor(value)) return false;
    text = after + 1;
    return true;
}

bool readField(const char*& text, const Field& field, double*& values)
{
    const std::size_t nameLength = std::strlen(field.name);
    if (std::strncmp(text, field.name, nameLength) != 0 || text[nameLength] != ':') return false;
    text += nameLength + 1;
    for (int i = 0; i < field.count; ++i) {
        if (!readValue(text, field, i + 1 < field.count ? ',' : ';', *values++)) return false;
    }
    return true;
}

// The whole copy, or nothing: its version, then every field in its place.
bool readCopy(const char* text, double* values)
{
    const std::size_t versionLength = std::strlen(copyVersion);
    if (std::strncmp(text, copyVersion, versionLength) != 0 || text[versionLength] != ';') return false;
    text += versionLength + 1;
    for (const Field& field : fields) {
        if (!readField(text, field, values)) return false;
    }
    return *text == '\0';
}

double within(double value, const Field& field)
{
    return std::fmin(std::fmax(value, field.lowest), field.highest);
}

// The yaw the camera would have after its own wraps, however far it went round.
double wrappedYaw(double yaw)
{
    return std::fabs(yaw) > fullTurn / 2 ? std::remainder(yaw, fullTurn) : yaw;
}

// The colour keys keep the user's paint in step with the mixed colour; so does a restore.
void copyUserColour()
{
    Material& user = paints[userPaint];
    for (float* colour : {user.ambient, user.diffuse, user.specular}) {
        colour[0] = customRed;
        colour[1] = customGreen;
        colour[2] = customBlue;
    }
}

// An eye off its orbit is placed again from the yaw and pitch, by the camera's own drag
// handler with a drag of nothing.
void keepEyeOnOrbit()
{
    const double distance = std::sqrt(cameraEye.x * cameraEye.x + cameraEye.y * cameraEye.y +
                                      cameraEye.z * cameraEye.z);
    if (std::fabs(distance - cameraDistance) <= orbitSlack) return;
    motion(lastMouseX, lastMouseY);
}

void applyCopy(const double* values)
{
    long long draws = 0;
    visitState([&values](int id, auto& value) {
        const double number = id == Yaw ? wrappedYaw(*values++) : within(*values++, fields[id]);
        value = static_cast<std::remove_reference_t<decltype(value)>>(number);
    }, draws);
    copyUserColour();
    keepEyeOnOrbit();
    while (randomDraws < draws) std::rand();
}

}  // namespace

extern "C" {

int __wrap_rand()
{
    ++randomDraws;
    return __real_rand();
}

EMSCRIPTEN_KEEPALIVE const char* sessionEncode()
{
    int used = std::snprintf(copy, copySize, "%s", copyVersion);
    int last = -1;
    long long draws = randomDraws;
    visitState([&used, &last](int id, auto value) {
        if (id == last) {
            used += std::snprintf(copy + used, copySize - used, ",");
        } else {
            used += std::snprintf(copy + used, copySize - used, ";%s:", fields[id].name);
        }
        used += writeValue(copy + used, copySize - used, value);
        last = id;
    }, draws);
    std::snprintf(copy + used, copySize - used, ";");
    return copy;
}

EMSCRIPTEN_KEEPALIVE char* sessionBuffer()
{
    return copy;
}

EMSCRIPTEN_KEEPALIVE int sessionBufferSize()
{
    return copySize;
}

EMSCRIPTEN_KEEPALIVE int sessionRestore()
{
    double values[valueCount()];
    if (!readCopy(copy, values)) return 0;
    applyCopy(values);
    return 1;
}
}
