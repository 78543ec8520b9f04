#include "e2e/desktop.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

void pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// A window the designer has on screen: its id and its place on the root window.
struct MappedWindow {
    std::string id;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The toolkit's pop-up menus that are on screen now.
std::vector<MappedWindow> openMenus()
{
    std::vector<MappedWindow> menus;
    std::istringstream children(shell("xwininfo -root -children 2>/dev/null | grep 'freeglut menu'"));
    for (std::string line; std::getline(children, line);) {
        std::istringstream words(line);
        std::string id;
        words >> id;
        const std::string info = shell("xwininfo -id " + id + " 2>/dev/null");
        if (info.find("IsViewable") == std::string::npos) continue;
        MappedWindow w;
        w.id = id;
        const auto field = [&](const std::string& name) {
            const auto at = info.find(name);
            return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + name.size());
        };
        w.x = field("Absolute upper-left X:");
        w.y = field("Absolute upper-left Y:");
        w.width = field("Width:");
        w.height = field("Height:");
        menus.push_back(w);
    }
    return menus;
}

}  // namespace

std::string shell(const std::string& command)
{
    // No single step may hang the test: a stuck tool fails its check instead.
    const std::string bounded = "timeout 30 " + command;
    std::string output;
    FILE* pipe = popen(bounded.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    pclose(pipe);
    return output;
}

std::array<int, 3> Screenshot::pixel(int x, int y) const
{
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

bool Screenshot::save(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    return static_cast<bool>(out);
}

Designer::Designer()
{
    char outputTemplate[] = "/tmp/korvath-e2e-output-XXXXXX";
    const int output = mkstemp(outputTemplate);
    if (output < 0) throw std::runtime_error("cannot make a file for the designer's output");
    outputPath = outputTemplate;
    pid = fork();
    if (pid == 0) {
        // Into a file, not a terminal: each notice must still arrive as it is written.
        dup2(output, STDOUT_FILENO);
        execl(KORVATH_DESIGNER, KORVATH_DESIGNER, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output);
    windowId = shell("xdotool search --sync --onlyvisible --name '^Korvath Designer$' 2>/dev/null | head -n 1");
    while (!windowId.empty() && (windowId.back() == '\n' || windowId.back() == ' ')) windowId.pop_back();
    if (windowId.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        throw std::runtime_error("the designer's window did not appear");
    }
    // With no window manager the window opens partly off the screen's corner; bring it whole into view.
    shell("xdotool windowmove --sync " + windowId + " 0 0");
    settle(500);
}

Designer::~Designer()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::remove(outputPath.c_str());
}

bool Designer::running() const
{
    return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0;
}

void Designer::settle(int milliseconds) const
{
    pause(milliseconds);
}

Screenshot Designer::screenshot() const
{
    Screenshot shot;
    const std::string ppm = shell("import -silent -window " + windowId + " -depth 8 ppm:- 2>/dev/null");
    std::istringstream in(ppm);
    std::string magic;
    int maximum = 0;
    in >> magic >> shot.width >> shot.height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255) return Screenshot{};
    shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
    in.read(reinterpret_cast<char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
    return shot;
}

void Designer::moveTo(int x, int y) const
{
    shell("xdotool mousemove --window " + windowId + " " + std::to_string(x) + " " + std::to_string(y));
}

void Designer::press(int button, int x, int y) const
{
    moveTo(x, y);
    shell("xdotool mousedown " + std::to_string(button));
}

void Designer::release(int button) const
{
    shell("xdotool mouseup " + std::to_string(button));
}

void Designer::drag(int button, int fromX, int fromY, int toX, int toY, int steps) const
{
    press(button, fromX, fromY);
    for (int i = 1; i <= steps; ++i) {
        moveTo(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
        pause(10);
    }
    release(button);
}

void Designer::key(const std::string& keyName) const
{
    // The pointer over the window gives it the keyboard focus.
    moveTo(5, 5);
    shell("xdotool key " + keyName);
}

void Designer::resize(int width, int height) const
{
    shell("xdotool windowsize --sync " + windowId + " " + std::to_string(width) + " " + std::to_string(height));
}

std::vector<std::string> Designer::outputLines() const
{
    std::vector<std::string> lines;
    std::ifstream in(outputPath);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

namespace {

// The menu that opened since `known` was taken, waiting for it to appear.
MappedWindow newMenu(const std::vector<MappedWindow>& known)
{
    for (int attempt = 0; attempt < 40; ++attempt) {
        for (const MappedWindow& w : openMenus()) {
            bool seen = false;
            for (const MappedWindow& k : known) seen = seen || k.id == w.id;
            if (!seen) return w;
        }
        pause(50);
    }
    throw std::runtime_error("no menu opened");
}

}  // namespace

void Designer::choose(int x, int y, const std::vector<MenuStep>& path) const
{
    // A click opens the menu and leaves it open; hovering opens each submenu;
    // a click on the last entry chooses it.
    constexpr int menuBorder = 2;
    std::vector<MappedWindow> known = openMenus();
    moveTo(x, y);
    shell("xdotool click 3");
    for (const MenuStep& step : path) {
        const MappedWindow menu = newMenu(known);
        known.push_back(menu);
        const int entryHeight = (menu.height - 2 * menuBorder) / step.entries;
        const int entryX = menu.x + menu.width / 2;
        const int entryY = menu.y + menuBorder + entryHeight * step.index + entryHeight / 2;
        shell("xdotool mousemove " + std::to_string(entryX) + " " + std::to_string(entryY));
        pause(150);
    }
    shell("xdotool click 3");
    pause(100);
}
