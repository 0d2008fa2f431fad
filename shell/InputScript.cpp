#include "shell/InputScript.h"

#include <charconv>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace talan {

namespace {

Failure LineFailure(int32_t line, const std::string& message) {
    return {FailureKind::Usage, kStatusFail, "line " + std::to_string(line) + ": " + message};
}

bool ReadInt(const std::string& text, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// The words of a line, without its comment.
std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// The held keys named by the words from `first` on, each at most once, from those
// `allowed` lists ("ctrl", "shift", "alt", "x1").
Failure ReadKeysHeld(const std::vector<std::string>& words, size_t first, std::string_view allowed, int32_t line,
                     InputKeys& keys, bool* alt = nullptr) {
    for (size_t i = first; i < words.size(); ++i) {
        const std::string& word = words[i];
        bool* held = word == "ctrl" ? &keys.control : word == "shift" ? &keys.shift : word == "x1" ? &keys.extraButton1
                     : word == "alt" ? alt : nullptr;
        const bool listed = (" " + std::string(allowed) + " ").find(" " + word + " ") != std::string::npos;
        if (held == nullptr || !listed) {
            return LineFailure(line, "'" + word + "' is not held with " + words[0] + " (it takes " + std::string(allowed) + ")");
        }
        if (*held) return LineFailure(line, "'" + word + "' is named twice");
        *held = true;
    }
    return {};
}

Failure ReadPixel(const std::vector<std::string>& words, size_t first, int32_t line, InputEvent& event) {
    if (!ReadInt(words[first], event.x) || !ReadInt(words[first + 1], event.y)) {
        return LineFailure(line, "bad pixel '" + words[first] + " " + words[first + 1] + "' (X Y, whole numbers)");
    }
    return {};
}

std::string StrokeText(const KeyStroke& stroke) {
    return std::string(stroke.control ? "Ctrl+" : "") + (stroke.alt ? "Alt+" : "") + (stroke.shift ? "Shift+" : "") +
           KeyName(stroke.key);
}

Failure ReadKey(const std::vector<std::string>& words, int32_t line, InputEvent& event) {
    const std::optional<Key> key = KeyOfName(words[1]);
    if (!key) return LineFailure(line, "unknown key '" + words[1] + "' (the keys are " + KeyNameList() + ")");
    KeyStroke stroke{*key};
    InputKeys keys;
    if (Failure failure = ReadKeysHeld(words, 2, "ctrl shift alt", line, keys, &stroke.alt); failure.Failed()) {
        return failure;
    }
    stroke.control = keys.control;
    stroke.shift = keys.shift;
    const char* windowAction = nullptr;
    const std::optional<int32_t> command = CommandOfStroke(stroke, &windowAction);
    if (windowAction != nullptr) {
        return LineFailure(line, StrokeText(stroke) + " " + windowAction + ", which only a window can do");
    }
    if (!command) return LineFailure(line, StrokeText(stroke) + " chooses no menu entry");
    event.command = *command;
    return {};
}

// One line's event; `event.line` is set.
Failure ReadEvent(const std::vector<std::string>& words, InputEvent& event) {
    using Kind = InputEvent::Kind;
    const std::string& name = words[0];
    const int32_t line = event.line;
    const auto needs = [&](size_t least, bool more, const char* form) -> Failure {
        if (words.size() < least || (!more && words.size() > least)) return LineFailure(line, name + " takes " + form);
        return {};
    };
    if (name == "press") {
        event.kind = Kind::Press;
        if (Failure f = needs(4, true, "BUTTON X Y [ctrl] [shift]"); f.Failed()) return f;
        const std::string& button = words[1];
        if (button != "left" && button != "right" && button != "middle") {
            return LineFailure(line, "unknown button '" + button + "' (left, right or middle)");
        }
        event.button = button == "left" ? MouseButton::Left : button == "right" ? MouseButton::Right : MouseButton::Middle;
        if (Failure f = ReadPixel(words, 2, line, event); f.Failed()) return f;
        return ReadKeysHeld(words, 4, "ctrl shift", line, event.keys);
    }
    if (name == "move") {
        event.kind = Kind::Move;
        if (Failure f = needs(3, false, "X Y"); f.Failed()) return f;
        return ReadPixel(words, 1, line, event);
    }
    if (name == "release") {
        event.kind = Kind::Release;
        return needs(1, false, "nothing more");
    }
    if (name == "wheel") {
        event.kind = Kind::Wheel;
        if (Failure f = needs(2, true, "DELTA [ctrl] [shift] [x1]"); f.Failed()) return f;
        if (!ReadInt(words[1], event.delta)) return LineFailure(line, "bad wheel turn '" + words[1] + "' (a whole number)");
        return ReadKeysHeld(words, 2, "ctrl shift x1", line, event.keys);
    }
    if (name == "key") {
        event.kind = Kind::Key;
        if (Failure f = needs(2, true, "NAME [ctrl] [shift] [alt]"); f.Failed()) return f;
        return ReadKey(words, line, event);
    }
    return LineFailure(line, "unknown event '" + name + "' (press, move, release, wheel or key)");
}

}  // namespace

Failure ParseInputScript(const std::string& text, std::vector<InputEvent>& events) {
    events.clear();
    std::istringstream in(text);
    int32_t number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        InputEvent event;
        event.line = number;
        if (Failure failure = ReadEvent(words, event); failure.Failed()) return failure;
        events.push_back(event);
    }
    return {};
}

Failure ReplayInput(const std::vector<InputEvent>& events, ViewState& view, int32_t width, int32_t height,
                    const std::function<void(int32_t command)>& dispatch) {
    int32_t wheelPending = 0;  // wheel travel short of a whole notch
    for (const InputEvent& event : events) {
        switch (event.kind) {
            case InputEvent::Kind::Press:
                if (event.x < 0 || event.y < 0 || event.x >= width || event.y >= height) {
                    return LineFailure(event.line, "the pixel " + std::to_string(event.x) + "," + std::to_string(event.y) +
                                                       " is outside the " + std::to_string(width) + "x" +
                                                       std::to_string(height) + " picture");
                }
                PressMouseButton(view, event.button, event.keys, event.x, event.y);
                break;
            case InputEvent::Kind::Move:
                // The drawing area passes on moves only while a drag is in progress.
                if (Dragging(view)) MoveMouse(view, event.x, event.y, static_cast<uint32_t>(height));
                break;
            case InputEvent::Kind::Release: ReleaseMouseButtons(view); break;
            case InputEvent::Kind::Wheel: {
                const int32_t steps = WheelSteps(wheelPending, event.delta);
                for (int32_t i = 0; i < std::abs(steps); ++i) {
                    TurnWheel(view, steps < 0 ? -kWheelNotch : kWheelNotch, event.keys);
                }
                break;
            }
            case InputEvent::Kind::Key: dispatch(event.command); break;
        }
    }
    return {};
}

}  // namespace talan
