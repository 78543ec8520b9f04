// The native designer as the web tests' reference: the real start-up in a real freeglut
// window on Mesa, its menu tree as the toolkit holds it, and the picture a frame presents
// after choices made through the menus' own handlers and drags through the camera's.
//
//   web_reference menu                          the attached menu tree, as JSON
//   web_reference frame OUT.ppm [--size N] [CHOICE ...]
//                                               one frame after the choices, as a binary PPM, in a
//                                               window resized to N by N (700 by default); a choice
//                                               is a menu path, "Colors/Main Color/Blood Red", or a
//                                               drag by (DX, DY) pixels, "drag:19,0"
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup.h"
#include "interact/interact.h"
#include "render/frame.h"
#include "support/menu_recorder.h"
#include "state/state.h"
#include "support/recorder.h"

namespace {

MenuTree menus;

const BuiltMenu* attachedMenu(int button)
{
    for (const MenuAttachment& attachment : menus.attachments) {
        if (attachment.button == button) return menus.find(attachment.menu);
    }
    return nullptr;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

void printMenu(const BuiltMenu& menu)
{
    std::printf("[");
    const char* separator = "";
    for (const MenuEntry& entry : menu.entries) {
        std::printf("%s{\"label\":%s,", separator, quoted(entry.label).c_str());
        const BuiltMenu* submenu = entry.isSubmenu ? menus.find(entry.value) : nullptr;
        if (submenu != nullptr) {
            std::printf("\"entries\":");
            printMenu(*submenu);
        } else {
            std::printf("\"value\":%d", entry.value);
        }
        std::printf("}");
        separator = ",";
    }
    std::printf("]");
}

// Follows a path of labels from the right button's menu and calls the chosen entry's handler.
bool choose(const std::string& path)
{
    const BuiltMenu* menu = attachedMenu(GLUT_RIGHT_BUTTON);
    std::size_t start = 0;
    while (menu != nullptr) {
        const std::size_t end = path.find('/', start);
        const std::string label = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const MenuEntry* found = nullptr;
        for (const MenuEntry& entry : menu->entries) {
            if (entry.label == label) found = &entry;
        }
        if (found == nullptr) return false;
        if (!found->isSubmenu) {
            if (end != std::string::npos) return false;
            menu->handler(found->value);
            return true;
        }
        menu = menus.find(found->value);
        start = end + 1;
        if (end == std::string::npos) return false;
    }
    return false;
}

// A press at the window's centre, one motion by (dx, dy) and a release, as the mouse makes them.
bool drag(const std::string& choice)
{
    int dx = 0;
    int dy = 0;
    if (std::sscanf(choice.c_str(), "drag:%d,%d", &dx, &dy) != 2) return false;
    const int x = windowWidth / 2;
    const int y = windowHeight / 2;
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    motion(x + dx, y + dy);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, x + dx, y + dy);
    return true;
}

bool apply(const std::string& choice)
{
    return choice.rfind("drag:", 0) == 0 ? drag(choice) : choose(choice);
}

bool writePpm(const char* path, const Image& image)
{
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    std::fprintf(file, "P6\n%d %d\n255\n", image.width, image.height);
    const bool written = std::fwrite(image.rgb.data(), 1, image.rgb.size(), file) == image.rgb.size();
    return std::fclose(file) == 0 && written;
}

// Resizes the window as a user would and waits until the designer has been told.
bool resizeWindow(int size)
{
    glutReshapeWindow(size, size);
    for (int i = 0; i < 200 && (windowWidth != size || windowHeight != size); ++i) glutMainLoopEvent();
    return windowWidth == size && windowHeight == size;
}

int frame(int count, char** choices, const char* out, int size)
{
    if (size != initialWindowSize && !resizeWindow(size)) {
        std::fprintf(stderr, "web_reference: the window did not take the size %d\n", size);
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        if (!apply(choices[i])) {
            std::fprintf(stderr, "web_reference: no menu entry or drag %s\n", choices[i]);
            return 2;
        }
    }
    // Let the window map and take its size before the frame that is kept.
    for (int i = 0; i < 5; ++i) glutMainLoopEvent();
    const Image image = capturePresented(display);
    if (image.width == 0 || !writePpm(out, image)) {
        std::fprintf(stderr, "web_reference: could not write %s\n", out);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    static char program[] = "web_reference";
    static char* toolkitArguments[] = {program, nullptr};
    int toolkitCount = 1;
    menus = recordMenus([&] { startUp(&toolkitCount, toolkitArguments); });

    if (argc == 2 && std::strcmp(argv[1], "menu") == 0) {
        const BuiltMenu* top = attachedMenu(GLUT_RIGHT_BUTTON);
        if (top == nullptr) return 1;
        printMenu(*top);
        std::printf("\n");
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "frame") == 0) {
        int size = initialWindowSize;
        int first = 3;
        if (argc >= 5 && std::strcmp(argv[3], "--size") == 0) {
            size = std::atoi(argv[4]);
            first = 5;
        }
        if (size > 0) return frame(argc - first, argv + first, argv[2], size);
    }
    std::fprintf(stderr, "usage: web_reference menu | web_reference frame OUT.ppm [--size N] [MENU/PATH | drag:DX,DY ...]\n");
    return 2;
}
