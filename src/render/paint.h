// The paint palette and the materials that colour every surface of the figure.
#pragma once

#include "state/state.h"

struct Material {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float shininess;
};

constexpr int paintCount = 11;
constexpr int userPaint = 0;   // the one entry the keyboard mixes
constexpr int brassPaint = 4;  // the knife's guard, whatever the slots hold
constexpr float shininessLimit = 128.0f;  // the largest specular exponent the GL accepts

extern Material paints[paintCount];

// Every colour key rewrites all nine colour channels of the user's paint with the mixed
// colour; alphas stay.
void copyUserColour();

// Sets the front material: ambient, diffuse, specular, then shininess.
void applyMaterial(Material material);

// Applies the palette entry that the slot holds at this moment.
void applyPaint(PaintSlot slot);
