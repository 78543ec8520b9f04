// Small double-precision vector and matrix helpers for checking where things were drawn.
#pragma once

#include <array>
#include <ostream>

struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Point operator-(const Point& a, const Point& b);
double distance(const Point& a, const Point& b);
double length(const Point& a);
std::ostream& operator<<(std::ostream& out, const Point& p);

// A 4x4 matrix in the GL's column-major order.
struct Matrix {
    std::array<double, 16> m{};

    static Matrix identity();
    static Matrix fromFloats(const float* values);
    double at(int row, int column) const { return m[column * 4 + row]; }
    double& at(int row, int column) { return m[column * 4 + row]; }
};

Matrix operator*(const Matrix& a, const Matrix& b);
Matrix affineInverse(const Matrix& a);
Point transformPoint(const Matrix& a, const Point& p);
Point transformDirection(const Matrix& a, const Point& d);
Point originOf(const Matrix& a);
// The length that a unit step along a local axis (0 x, 1 y, 2 z) takes in the outer frame.
double axisScale(const Matrix& a, int axis);
bool nearlyEqual(const Matrix& a, const Matrix& b, double tolerance = 1e-5);
std::ostream& operator<<(std::ostream& out, const Matrix& a);
