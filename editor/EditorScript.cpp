#include "editor/EditorScript.h"

#include <SDL.h>

#include <cstdlib>
#include <sstream>

namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

int scancodeOf(const std::string& name) {
    static const struct {
        const char* name;
        SDL_Scancode code;
    } kKeys[] = {{"Up", SDL_SCANCODE_UP},       {"Down", SDL_SCANCODE_DOWN},   {"Left", SDL_SCANCODE_LEFT},
                 {"Right", SDL_SCANCODE_RIGHT}, {"Ctrl", SDL_SCANCODE_LCTRL},  {"Alt", SDL_SCANCODE_LALT},
                 {"Shift", SDL_SCANCODE_LSHIFT}, {"D", SDL_SCANCODE_D},        {"F", SDL_SCANCODE_F},
                 {"V", SDL_SCANCODE_V},         {"S", SDL_SCANCODE_S}};
    for (const auto& k : kKeys)
        if (name == k.name)
            return k.code;
    return -1;
}

// A whole positive count; false for anything else.
bool readCount(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::atoi(text.c_str());
    return value > 0;
}

}  // namespace

bool EditorScript::parse(const std::string& text) {
    steps_.clear();
    cursor_ = 0;
    framesDone_ = 0;
    error_.clear();
    std::string normalised = text;
    for (char& c : normalised)
        if (c == ';')
            c = '\n';
    std::istringstream lines(normalised);
    std::string line;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.empty())
            continue;
        const auto space = line.find(' ');
        const std::string word = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : trim(line.substr(space + 1));
        Step step;
        bool ok = true;
        if (word == "hold") {
            step.kind = Kind::Hold;
            const auto split = rest.rfind(' ');
            ok = split != std::string::npos && readCount(rest.substr(split + 1), step.frames);
            const std::string names = ok ? rest.substr(0, split) : std::string();
            ok = ok && names.front() != '+' && names.back() != '+' && names.find("++") == std::string::npos;
            if (ok) {
                std::istringstream keys(names);
                std::string key;
                while (ok && std::getline(keys, key, '+')) {
                    const int code = scancodeOf(trim(key));
                    ok = code >= 0;
                    step.keys.push_back(code);
                }
            }
        } else if (word == "wait") {
            step.kind = Kind::Wait;
            ok = readCount(rest, step.frames);
        } else if (word == "menu" || word == "type" || word == "press" || word == "capture") {
            step.kind = word == "menu"    ? Kind::Menu
                        : word == "type"  ? Kind::Type
                        : word == "press" ? Kind::Press
                                          : Kind::Capture;
            step.text = rest;
            ok = !rest.empty() || step.kind == Kind::Type;
        } else if (word == "resize" || word == "click") {
            step.kind = word == "resize" ? Kind::Resize : Kind::Click;
            std::istringstream size(rest);
            std::string w, h, extra;
            size >> w >> h >> extra;
            ok = readCount(w, step.width) && readCount(h, step.height) && extra.empty();
        } else if (word == "assert" && rest.empty()) {
            step.kind = Kind::Assert;
        } else if (word == "quit" && rest.empty()) {
            step.kind = Kind::Quit;
        } else {
            ok = false;
        }
        if (!ok) {
            error_ = "cannot read script step \"" + line + "\"";
            steps_.clear();
            return false;
        }
        steps_.push_back(step);
    }
    updateKeys();
    return true;
}

void EditorScript::advance() {
    if (finished())
        return;
    if (++framesDone_ >= current().frames) {
        ++cursor_;
        framesDone_ = 0;
    }
    updateKeys();
}

void EditorScript::updateKeys() {
    keyState_.assign(SDL_NUM_SCANCODES, 0);
    if (!finished() && current().kind == Kind::Hold)
        for (int code : current().keys)
            keyState_[code] = 1;
}
