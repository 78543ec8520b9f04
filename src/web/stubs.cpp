#include <GL/glut.h>
#include <GL/glu.h>
struct GLUquadric { int style; };
static GLUquadric theQuadric;
GLUquadric* gluNewQuadric() { return &theQuadric; }
void gluQuadricDrawStyle(GLUquadric*, GLenum) {}
void gluQuadricNormals(GLUquadric*, GLenum) {}
void gluCylinder(GLUquadric*, GLdouble, GLdouble, GLdouble, GLint, GLint) {}
void gluDisk(GLUquadric*, GLdouble, GLdouble, GLint, GLint) {}
void glutSolidSphere(GLdouble, GLint, GLint) {}
void glutSolidCube(GLdouble s) { glBegin(GL_QUADS); glNormal3f(0,0,1); glVertex3f(-s,-s,0); glVertex3f(s,-s,0); glVertex3f(s,s,0); glVertex3f(-s,s,0); glEnd(); }
void glutSolidTorus(GLdouble, GLdouble, GLint, GLint) {}
#include <cmath>
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy, GLdouble uz)
{
    double f[3] = {cx - ex, cy - ey, cz - ez};
    double fl = std::sqrt(f[0]*f[0]+f[1]*f[1]+f[2]*f[2]); for (double& v : f) v /= fl;
    double s[3] = {f[1]*uz - f[2]*uy, f[2]*ux - f[0]*uz, f[0]*uy - f[1]*ux};
    double sl = std::sqrt(s[0]*s[0]+s[1]*s[1]+s[2]*s[2]); for (double& v : s) v /= sl;
    double u[3] = {s[1]*f[2] - s[2]*f[1], s[2]*f[0] - s[0]*f[2], s[0]*f[1] - s[1]*f[0]};
    GLfloat m[16] = {(float)s[0], (float)u[0], (float)-f[0], 0, (float)s[1], (float)u[1], (float)-f[1], 0, (float)s[2], (float)u[2], (float)-f[2], 0, 0, 0, 0, 1};
    glMultMatrixf(m);
    glTranslatef((float)-ex, (float)-ey, (float)-ez);
}
