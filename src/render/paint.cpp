#include "render/paint.h"

#include <GL/gl.h>

#include <initializer_list>

Material paints[paintCount] = {
    // ambient                     diffuse                       specular                      shininess
    {{0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 4.0f},          // User defined
    {{0.5f, 0.1f, 0.0f, 1.0f}, {0.5f, 0.1f, 0.0f, 1.0f}, {0.5f, 0.1f, 0.0f, 1.0f}, 4.0f},          // Blood Red
    {{0.1f, 0.2f, 0.5f, 1.0f}, {0.1f, 0.2f, 0.5f, 1.0f}, {0.1f, 0.2f, 0.5f, 1.0f}, 5.0f},          // Ultramarines Blue
    {{0.6f, 0.55f, 0.0f, 1.0f}, {0.6f, 0.55f, 0.0f, 1.0f}, {0.6f, 0.55f, 0.0f, 1.0f}, 4.0f},       // Sunburst Yellow
    {{0.33f, 0.22f, 0.03f, 1.0f}, {0.78f, 0.57f, 0.11f, 1.0f}, {0.99f, 0.91f, 0.88f, 1.0f}, 27.8f},  // Brass
    {{0.4f, 0.4f, 0.4f, 0.0f}, {0.3f, 0.3f, 0.3f, 0.0f}, {0.8f, 0.8f, 0.8f, 0.0f}, 20.0f},         // Gunmetal
    {{0.3f, 0.2f, 0.1f, 1.0f}, {0.3f, 0.2f, 0.1f, 1.0f}, {0.2f, 0.1f, 0.0f, 1.0f}, 4.0f},          // Bestial brown
    {{0.2f, 0.2f, 0.2f, 1.0f}, {0.1f, 0.1f, 0.1f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 4.0f},          // Chaos Black
    {{0.8f, 0.8f, 0.8f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 4.0f},          // Skull White
    {{0.0f, 0.3f, 0.0f, 1.0f}, {0.0f, 0.3f, 0.0f, 1.0f}, {0.0f, 0.3f, 0.0f, 1.0f}, 4.0f},          // Emerald Green
    {{0.25f, 0.0f, 0.25f, 1.0f}, {0.25f, 0.0f, 0.25f, 1.0f}, {0.25f, 0.0f, 0.25f, 1.0f}, 4.0f},    // Lich Purple
};

void copyUserColour()
{
    Material& user = paints[userPaint];
    for (float* colour : {user.ambient, user.diffuse, user.specular}) {
        colour[0] = customRed;
        colour[1] = customGreen;
        colour[2] = customBlue;
    }
}

void applyMaterial(Material material)
{
    glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material.diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, material.specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &material.shininess);
}

namespace {

int paintIndexOf(PaintSlot slot)
{
    switch (slot) {
    case MainSlot: return mainPaint;
    case TrimSlot: return trimPaint;
    case ShoulderSlot: return shoulderPaint;
    case MetalSlot: return metalPaint;
    case WeaponSlot: return weaponPaint;
    case EyeSlot: return eyePaint;
    }
    return mainPaint;
}

}  // namespace

void applyPaint(PaintSlot slot)
{
    applyMaterial(paints[paintIndexOf(slot)]);
}
