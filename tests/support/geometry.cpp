#include "support/geometry.h"

#include <cmath>

Point operator-(const Point& a, const Point& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

double length(const Point& a)
{
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

double distance(const Point& a, const Point& b)
{
    return length(a - b);
}

std::ostream& operator<<(std::ostream& out, const Point& p)
{
    return out << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

Matrix Matrix::identity()
{
    Matrix result;
    for (int i = 0; i < 4; ++i) result.at(i, i) = 1.0;
    return result;
}

Matrix Matrix::fromFloats(const float* values)
{
    Matrix result;
    for (int i = 0; i < 16; ++i) result.m[i] = values[i];
    return result;
}

Matrix operator*(const Matrix& a, const Matrix& b)
{
    Matrix result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a.at(row, k) * b.at(k, column);
            result.at(row, column) = sum;
        }
    }
    return result;
}

Matrix affineInverse(const Matrix& a)
{
    // Inverse of the upper 3x3 by cofactors, then the translation.
    const auto c = [&](int r, int col) { return a.at(r, col); };
    const double det = c(0, 0) * (c(1, 1) * c(2, 2) - c(1, 2) * c(2, 1)) -
                       c(0, 1) * (c(1, 0) * c(2, 2) - c(1, 2) * c(2, 0)) +
                       c(0, 2) * (c(1, 0) * c(2, 1) - c(1, 1) * c(2, 0));
    Matrix result = Matrix::identity();
    result.at(0, 0) = (c(1, 1) * c(2, 2) - c(1, 2) * c(2, 1)) / det;
    result.at(0, 1) = (c(0, 2) * c(2, 1) - c(0, 1) * c(2, 2)) / det;
    result.at(0, 2) = (c(0, 1) * c(1, 2) - c(0, 2) * c(1, 1)) / det;
    result.at(1, 0) = (c(1, 2) * c(2, 0) - c(1, 0) * c(2, 2)) / det;
    result.at(1, 1) = (c(0, 0) * c(2, 2) - c(0, 2) * c(2, 0)) / det;
    result.at(1, 2) = (c(0, 2) * c(1, 0) - c(0, 0) * c(1, 2)) / det;
    result.at(2, 0) = (c(1, 0) * c(2, 1) - c(1, 1) * c(2, 0)) / det;
    result.at(2, 1) = (c(0, 1) * c(2, 0) - c(0, 0) * c(2, 1)) / det;
    result.at(2, 2) = (c(0, 0) * c(1, 1) - c(0, 1) * c(1, 0)) / det;
    for (int row = 0; row < 3; ++row) {
        double sum = 0.0;
        for (int k = 0; k < 3; ++k) sum += result.at(row, k) * a.at(k, 3);
        result.at(row, 3) = -sum;
    }
    return result;
}

Point transformPoint(const Matrix& a, const Point& p)
{
    return {a.at(0, 0) * p.x + a.at(0, 1) * p.y + a.at(0, 2) * p.z + a.at(0, 3),
            a.at(1, 0) * p.x + a.at(1, 1) * p.y + a.at(1, 2) * p.z + a.at(1, 3),
            a.at(2, 0) * p.x + a.at(2, 1) * p.y + a.at(2, 2) * p.z + a.at(2, 3)};
}

Point transformDirection(const Matrix& a, const Point& d)
{
    return {a.at(0, 0) * d.x + a.at(0, 1) * d.y + a.at(0, 2) * d.z,
            a.at(1, 0) * d.x + a.at(1, 1) * d.y + a.at(1, 2) * d.z,
            a.at(2, 0) * d.x + a.at(2, 1) * d.y + a.at(2, 2) * d.z};
}

Point originOf(const Matrix& a)
{
    return {a.at(0, 3), a.at(1, 3), a.at(2, 3)};
}

double axisScale(const Matrix& a, int axis)
{
    Point unit;
    (axis == 0 ? unit.x : axis == 1 ? unit.y : unit.z) = 1.0;
    return length(transformDirection(a, unit));
}

bool nearlyEqual(const Matrix& a, const Matrix& b, double tolerance)
{
    for (int i = 0; i < 16; ++i) {
        if (std::fabs(a.m[i] - b.m[i]) > tolerance) return false;
    }
    return true;
}

std::ostream& operator<<(std::ostream& out, const Matrix& a)
{
    for (int row = 0; row < 4; ++row) {
        out << (row == 0 ? "[" : " ");
        for (int column = 0; column < 4; ++column) out << " " << a.at(row, column);
        out << (row == 3 ? " ]" : "\n");
    }
    return out;
}
