// The designer's state as the page reads it: one walk of every value the person can change,
// which keeping the design for the tab, deciding when to draw and saying the picture in words
// all share. This is the one file of the layer that knows the designer's own headers.
#pragma once

// One field of the walk: its name, how many values it holds, whether they are whole
// numbers, and the bounds the designer keeps them within.
struct DesignField {
    const char* name;
    int count;
    bool whole;
    double lowest;
    double highest;
};

enum DesignFieldId : int {
    PaintsField, WeaponsField, PieceField, SideField,
    HeadAngles, BodyAngles, ForearmAngles, UpperArmAngles, UpperLegAngles, LowerLegAngles, FootAngles,
    SwingsField, PhasesField, IdleField, MixField, ShineField, YawField, PitchField, EyeField, designFieldCount
};

// In the walk's order; the angles of a piece are its right side's x, y, z, then its left's.
extern const DesignField designFields[designFieldCount];

// Every value of every field, one after another.
constexpr int designValueCount = 118;

// The state, in the walk's order.
void readDesign(double* values);

// Sets the state from values in the walk's order: each brought within its field's bounds,
// the yaw wrapped as the camera wraps it, the mixed paint's colour copied into its material,
// and an eye off its orbit placed again.
void writeDesign(const double* values);

extern "C" {

// Whether the picture the state gives may differ from the last one drawn: any value of the
// walk or the window's size changed, or a value that is not a number (when in doubt, draw).
int designDiffersFromDrawn();

// Remembers the state as the frame being drawn shows it.
void designDrawn();

// The state as it is now, in the walk's order, in a buffer the next call overwrites.
const double* designValues();

// Where the page finds what it says of the design (words.js), as a JSON object, by name:
// "values", the count of values in the walk; "fields", each field of the walk by its name with
// where its values start ("at") and how many it holds ("count"); "pieces", the names of the
// fields that hold each piece's joint angles, by the piece's number; "sides", how many sides a
// piece's angles cover (each side's x, y, z); "userPaint", the value of the user-defined paint
// in a paint menu; "frontYaw", the yaw that shows the figure from the front; "choices", each
// choice the menus make as the handler of its menu, where its value lies in the walk, and
// whether it chooses a paint.
const char* designLayout();
}
