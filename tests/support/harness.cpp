#include "support/harness.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstring>

#include "app/startup.h"
#include "render/frame.h"
#include "state/state.h"

namespace {

// Mesa unloads its driver when the process exits, before LeakSanitizer looks at what
// is still allocated; kept loaded, the driver's own allocations stay attributable to
// it and can be suppressed by name (tests/lsan.supp) instead of wholesale.
int keepDriverLoaded(dl_phdr_info* info, std::size_t, void*)
{
    if (std::strstr(info->dlpi_name, "_dri.so") != nullptr) {
        dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

Material shippedPalette[paintCount];

// Starts the real designer once, when the tests are about to run.
class DesignerEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::copy(std::begin(paints), std::end(paints), std::begin(shippedPalette));
        static char program[] = "korvath-designer-test";
        static char* arguments[] = {program, nullptr};
        int count = 1;
        startUp(&count, arguments);
        dl_iterate_phdr(keepDriverLoaded, nullptr);
        pumpEvents(5);
    }
};

}  // namespace

void resetDesigner()
{
    std::copy(std::begin(shippedPalette), std::end(shippedPalette), std::begin(paints));
    std::memset(motionState, 0, sizeof motionState);
    std::memset(motionPhase, 0, sizeof motionPhase);
    for (auto& piece : jointAngles) {
        for (auto& side : piece) side = Vector3{};
    }
    assignInitialState();
    lastMouseX = 0;
    lastMouseY = 0;
    reshape(initialWindowSize, initialWindowSize);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glErrors();
}

void DesignerTest::SetUp()
{
    resetDesigner();
}

void DesignerTest::TearDown()
{
    EXPECT_TRUE(glErrors().empty()) << "the test left a GL error behind";
}

void pumpEvents(int rounds)
{
    for (int i = 0; i < rounds; ++i) glutMainLoopEvent();
}

Matrix viewMatrix()
{
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(cameraEye.x, cameraEye.y, cameraEye.z, 0.0, 0.0, 0.0, cameraUp.x, cameraUp.y, cameraUp.z);
    float values[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, values);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    return Matrix::fromFloats(values);
}

std::vector<Primitive> recordFigure()
{
    const Matrix fromEye = affineInverse(viewMatrix());
    std::vector<Primitive> primitives = record(display);
    for (Primitive& p : primitives) p.modelview = fromEye * p.modelview;
    return primitives;
}

std::vector<GLenum> glErrors()
{
    std::vector<GLenum> errors;
    for (GLenum error = glGetError(); error != GL_NO_ERROR && errors.size() < 16; error = glGetError()) {
        errors.push_back(error);
    }
    return errors;
}

MatrixState matrixState()
{
    MatrixState state;
    float values[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, values);
    state.modelview = Matrix::fromFloats(values);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &state.modelviewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &state.projectionDepth);
    glGetIntegerv(GL_MATRIX_MODE, &state.matrixMode);
    return state;
}

bool operator==(const MatrixState& a, const MatrixState& b)
{
    return nearlyEqual(a.modelview, b.modelview, 1e-6) && a.modelviewDepth == b.modelviewDepth &&
           a.projectionDepth == b.projectionDepth && a.matrixMode == b.matrixMode;
}

Image presentFrame()
{
    return capturePresented(display);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new DesignerEnvironment);
    return RUN_ALL_TESTS();
}
