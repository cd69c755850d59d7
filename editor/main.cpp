// callimora: the desktop program. Starts from its own folder so that
// "../data/" is the data directory, reads its command line (a wrong argument
// ends it with the usage before any window opens), refuses to run without a
// display, and hands over to the main window.
#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "editor/EditorOptions.h"
#include "editor/EditorScript.h"
#include "editor/EditorWindow.h"

namespace {

// Exit code when there is nothing to show the window on.
constexpr int kNoDisplayExitCode = 2;

void enterOwnFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && self.has_parent_path())
        std::filesystem::current_path(self.parent_path(), error);
}

int noDisplay(const char* why) {
    std::fprintf(stderr,
                 "callimora: no display to open a window on (%s); for pictures without a display run `make tour`\n",
                 why);
    return kNoDisplayExitCode;
}

int refuse(const std::string& why) {
    std::fprintf(stderr, "callimora: %s\n", why.c_str());
    EditorOptions::usage(stderr);
    return EditorOptions::kUsageExitCode;
}

}  // namespace

int main(int argc, char** argv) {
    enterOwnFolder();
    EditorOptions options;
    if (!options.parse(argc, argv))
        return refuse(options.error());
    if (options.help) {
        EditorOptions::usage(stdout);
        return 0;
    }
    if (!options.cameraName.empty()) {
        CameraStore cameras;
        cameras.load();
        if (!options.findCamera(cameras))
            return refuse(options.error());
    }
    // Frames follow each other more closely at a higher priority; without the
    // right to raise it the program runs as it is.
    (void)setpriority(PRIO_PROCESS, 0, -5);

    EditorScript script;
    const char* scriptText = std::getenv(EditorScript::kVariable);
    const bool scripted = scriptText && *scriptText;
    if (scripted && !script.parse(scriptText)) {
        std::fprintf(stderr, "callimora: %s: %s\n", EditorScript::kVariable, script.error().c_str());
        return kNoDisplayExitCode;
    }

    // Decided before SDL starts: its fallback drivers run without a screen.
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    const bool screenless =
        requested && (std::strcmp(requested, "offscreen") == 0 || std::strcmp(requested, "dummy") == 0);
    const bool named = requested && *requested && !screenless;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!scripted && screenless)
        return noDisplay((std::string("SDL_VIDEODRIVER=") + requested).c_str());
    if (!scripted && !named && !(display && *display) && !(wayland && *wayland))
        return noDisplay("neither DISPLAY nor WAYLAND_DISPLAY is set");

    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return noDisplay(SDL_GetError());
    const char* driver = SDL_GetCurrentVideoDriver();
    // Drivers without a screen would run the window where nobody sees it.
    if (!scripted && driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        SDL_Quit();
        return noDisplay((std::string("video driver ") + driver).c_str());
    }

    int code = 0;
    {
        EditorWindow window(scripted ? &script : nullptr, options.start);
        if (window.create()) {
            code = window.run();
        } else {
            std::fprintf(stderr, "callimora: cannot open the window: %s\n", window.error().c_str());
            code = kNoDisplayExitCode;
        }
    }
    SDL_Quit();
    return code;
}
