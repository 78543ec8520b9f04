// The frame: the one light, the projection and viewport, and the display callback.
#pragma once

extern const float lightPosition[4];
extern const float lightDiffuse[4];
extern const float lightSpecular[4];
extern const float lightAmbient[4];

constexpr double nearPlane = 1.0;
constexpr double farPlane = 10.0;

void initLighting();
void positionLight();
void reshape(int width, int height);
void display();
