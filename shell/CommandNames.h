// The fixed commands' names on the command line (--command NAME)
// and in input scripts, and the keys of the window that choose them. The menus set
// their entries' shortcuts from the same key table that an input script reads, so
// that a key typed in the window and a key line of a script do the same.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shell/CommandIds.h"

namespace talan {

// The short lowercase name of a fixed command ("wireframe"), or nullptr for an
// identifier that is none.
const char* CommandName(int32_t id);

// The fixed command of a name, or nothing for a name no command has.
std::optional<int32_t> CommandOfName(std::string_view name);

// Every name, in the order of the identifiers, separated by ", ".
std::string CommandNameList();

// The keys the window takes: those of menu entries and those of the window itself.
enum class Key {
    X, Y, Z, L, M, C, O, Q, PageUp, PageDown, Plus, Minus, Backspace, F1, F9,
    Escape, Return, Enter, F10, F11, P, N, S, E, W, Up, Down,
    Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
};

struct KeyStroke {
    Key key = Key::X;
    bool control = false, shift = false, alt = false;
    bool operator==(const KeyStroke&) const = default;
};

// The name of a key as an input script writes it ("PageUp"), and the key of a name,
// whatever its letter case.
const char* KeyName(Key key);
std::optional<Key> KeyOfName(std::string_view name);
// Every key name, separated by ", ".
std::string KeyNameList();

// A key of a menu entry: the command it chooses.
struct KeyBinding {
    KeyStroke stroke;
    int32_t command;
    bool desktopCopy;  // the window also takes the desktop's other keys for copying
};

// The menu entry's key of a fixed command, or nullptr when it has none.
const KeyBinding* KeyOfCommand(int32_t command);

// What a stroke does in the window: the command of a menu entry's key; or, for a key
// of the window itself (full screen, the menu bar, closing), what it does there in
// `windowAction`; or nothing at all.
std::optional<int32_t> CommandOfStroke(const KeyStroke& stroke, const char** windowAction = nullptr);

}  // namespace talan
