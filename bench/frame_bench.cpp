// Frame benchmarks: the designer's real frame, the floor (a frame that only clears,
// places the camera and swaps) and the same figure replayed from a display list,
// which is the fastest the fixed-function pipeline can draw that geometry.
//
//   korvath-bench [benchmark flags]   the three measurements, side by side
//   korvath-bench --frames N          draws N designer frames and exits (for callgrind)
//   korvath-bench --replay-frames N   draws N display-list replays and exits (for callgrind)
//   korvath-bench --first-frame       prints the wall clock (ns) when the first frame is presented
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/startup.h"
#include "render/figure.h"
#include "render/frame.h"
#include "state/state.h"

namespace {

void placeCamera()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    positionLight();
    gluLookAt(cameraEye.x, cameraEye.y, cameraEye.z, 0.0, 0.0, 0.0, cameraUp.x, cameraUp.y, cameraUp.z);
}

// Waits for the GL to finish so that every measured frame includes its rasterisation.
void finishFrame()
{
    glFinish();
}

void countFrames(benchmark::State& state)
{
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The real display callback, in the start-up state (bolter right, bolt pistol left).
void designerFrame(benchmark::State& state)
{
    assignInitialState();
    for (auto _ : state) {
        display();
        finishFrame();
    }
    countFrames(state);
}

// The real display callback with the same weapon kind in both hands.
void designerFrameArmed(benchmark::State& state)
{
    assignInitialState();
    weaponBySide[RightSide] = static_cast<int>(state.range(0));
    weaponBySide[LeftSide] = static_cast<int>(state.range(0));
    for (auto _ : state) {
        display();
        finishFrame();
    }
    countFrames(state);
    assignInitialState();
}

void floorFrame(benchmark::State& state)
{
    for (auto _ : state) {
        placeCamera();
        glutSwapBuffers();
        finishFrame();
    }
    countFrames(state);
}

// The figure in the start-up state, compiled once; only the benchmarks replay it.
GLuint compileFigure()
{
    assignInitialState();
    const GLuint figure = glGenLists(1);
    glNewList(figure, GL_COMPILE);
    drawFigure();
    glEndList();
    return figure;
}

void replayFigure(GLuint figure)
{
    placeCamera();
    glCallList(figure);
    glutSwapBuffers();
    finishFrame();
}

void displayListFrame(benchmark::State& state)
{
    const GLuint figure = compileFigure();
    for (auto _ : state) replayFigure(figure);
    glDeleteLists(figure, 1);
    countFrames(state);
}

BENCHMARK(designerFrame)->Name("designer frame")->Unit(benchmark::kMillisecond);
BENCHMARK(designerFrameArmed)->Name("designer frame")->DenseRange(NoWeapon, KnifeDown)->ArgName("both hands")->Unit(benchmark::kMillisecond);
BENCHMARK(floorFrame)->Name("floor frame")->Unit(benchmark::kMillisecond);
BENCHMARK(displayListFrame)->Name("display-list replay")->Unit(benchmark::kMillisecond);

void startDesigner(int* argc, char** argv)
{
    startUp(argc, argv);
    for (int i = 0; i < 5; ++i) glutMainLoopEvent();
}

long long wallClockNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The designer's own display callback, noting when its first frame has been presented.
void firstFrameDisplay()
{
    display();
    glFinish();
    std::printf("%lld\n", wallClockNanoseconds());
    std::exit(0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--first-frame") == 0) {
        startUp(&argc, argv);
        glutDisplayFunc(firstFrameDisplay);
        glutMainLoop();
        return 1;
    }
    if (argc == 3 && (std::strcmp(argv[1], "--frames") == 0 || std::strcmp(argv[1], "--replay-frames") == 0)) {
        const bool replay = std::strcmp(argv[1], "--replay-frames") == 0;
        const int frames = std::atoi(argv[2]);
        argc = 1;
        startDesigner(&argc, argv);
        const GLuint figure = compileFigure();
        for (int i = 0; i < frames; ++i) {
            if (replay) {
                replayFigure(figure);
            } else {
                display();
                finishFrame();
            }
        }
        return 0;
    }
    startDesigner(&argc, argv);
    benchmark::AddCustomContext("renderer", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
