#include <GL/freeglut.h>

#include "interact/interact.h"
#include "render/paint.h"
#include "state/state.h"

namespace {

constexpr double jointStep = 5.0;       // degrees per key
constexpr double colourStep = 0.05;     // per key, for colour and shininess alike
constexpr float fullTurn = 2.0f * jointHalfTurn;

// What a key changes.
enum KeyTarget : int { JointX, JointY, Shininess, Red, Green, Blue };

struct KeyBinding {
    unsigned char key;
    unsigned char partner;  // the other case of the letter, or the key that shares its cap
    int target;
    double step;
};

const KeyBinding keyTable[] = {
    {'w', 'W', JointX, -jointStep},     {'s', 'S', JointX, jointStep},
    {'a', 'A', JointY, -jointStep},     {'d', 'D', JointY, jointStep},
    {'[', '{', Shininess, colourStep},  {']', '}', Shininess, -colourStep},
    {'i', 'I', Red, colourStep},        {'k', 'K', Red, -colourStep},
    {'o', 'O', Green, colourStep},      {'l', 'L', Green, -colourStep},
    {'p', 'P', Blue, colourStep},       {';', ':', Blue, -colourStep},
};

// A step only tests the bound it moves towards, and wraps once.
void turnJoint(float& angle, double step)
{
    angle = static_cast<float>(angle + step);
    if (step < 0.0 && angle < -jointHalfTurn) angle += fullTurn;
    if (step > 0.0 && angle > jointHalfTurn) angle -= fullTurn;
}

void stepWithin(float& value, double step, float highest)
{
    value = static_cast<float>(value + step);
    if (value > highest) value = highest;
    if (value < 0.0f) value = 0.0f;
}

void mixColour(float& channel, double step)
{
    stepWithin(channel, step, 1.0f);
    copyUserColour();
}

void applyKey(const KeyBinding& binding)
{
    Vector3& joint = jointAngles[selectedPiece][selectedSide];
    switch (binding.target) {
    case JointX: turnJoint(joint.x, binding.step); break;
    case JointY: turnJoint(joint.y, binding.step); break;
    case Shininess: stepWithin(paints[userPaint].shininess, binding.step, shininessLimit); break;
    case Red: mixColour(customRed, binding.step); break;
    case Green: mixColour(customGreen, binding.step); break;
    case Blue: mixColour(customBlue, binding.step); break;
    }
}

}  // namespace

void keyboard(unsigned char key, int, int)
{
    for (const KeyBinding& binding : keyTable) {
        if (key == binding.key || key == binding.partner) applyKey(binding);
    }
    glutPostRedisplay();
}
