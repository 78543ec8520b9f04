// Drives the built designer from outside, as a person would: a real process on the
// X display, real pointer and key input through xdotool, screenshots through
// ImageMagick, and the lines it writes to its standard output.
#pragma once

#include <sys/types.h>

#include <array>
#include <string>
#include <vector>

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows from the top down

    std::array<int, 3> pixel(int x, int y) const;
    bool save(const std::string& path) const;  // as a binary PPM, for a failing test's record
};

class Designer {
public:
    // Starts the designer with its standard output into a file,
    // and waits for its window.
    Designer();
    ~Designer();
    Designer(const Designer&) = delete;
    Designer& operator=(const Designer&) = delete;

    bool running() const;
    std::string window() const { return windowId; }

    Screenshot screenshot() const;
    // Waits a few frames, so that what was changed has been drawn and presented.
    void settle(int milliseconds = 300) const;

    void press(int button, int x, int y) const;
    void moveTo(int x, int y) const;
    void release(int button) const;
    void drag(int button, int fromX, int fromY, int toX, int toY, int steps) const;
    void key(const std::string& keyName) const;
    void resize(int width, int height) const;

    // Opens the pop-up menu with the right button at (x, y) and follows the path:
    // at each level the entry's index among that menu's entry count.
    struct MenuStep {
        int index;
        int entries;
    };
    void choose(int x, int y, const std::vector<MenuStep>& path) const;

    std::vector<std::string> outputLines() const;

private:
    pid_t pid = -1;
    std::string windowId;
    std::string outputPath;
};

// Runs a shell command and returns what it printed.
std::string shell(const std::string& command);
