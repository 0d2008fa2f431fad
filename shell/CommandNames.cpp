#include "shell/CommandNames.h"

#include <algorithm>
#include <cctype>

namespace talan {

namespace {

struct NamedCommand {
    int32_t id;
    const char* name;
};

// Every fixed command by its name, in the order of the identifiers. The names stay
// as they are once given: scripts and command lines use them.
constexpr NamedCommand kCommandNames[] = {
    {kCommandEnd, "end"},
    {kCommandNew, "new"},
    {kCommandOpenAdd, "open-add"},
    {kCommandSmoothOnOpen, "smooth-on-open"},
    {kCommandSolidFace, "wireframe"},
    {kCommandFrontFace, "front-face"},
    {kCommandBackFace, "back-face"},
    {kCommandSmoothActives, "smooth-actives"},
    {kCommandBackColour, "back-colour"},
    {kCommandAntialiased, "antialiased"},
    {kCommandSpanish, "spanish"},
    {kCommandEnglish, "english"},
    {kCommandHelp, "help"},
    {kCommandAbout, "about"},
    {kCommandAutoTurn, "auto-turn"},
    {kCommandObjectsPanel, "objects-panel"},
    {kCommandSectionX, "section-x"},
    {kCommandSectionY, "section-y"},
    {kCommandSectionZ, "section-z"},
    {kCommandSectionForward, "section-forward"},
    {kCommandSectionBack, "section-back"},
    {kCommandSectionThicker, "section-thicker"},
    {kCommandSectionThinner, "section-thinner"},
    {kCommandSectionRemove, "section-remove"},
    {kCommandLookAlongSection, "look-along"},
    {kCommandMeasure, "measure"},
    {kCommandCopyResult, "copy-result"},
    {kCommandPlanView, "plan-view"},
    {kCommandLookNorth, "look-north"},
    {kCommandLookSouth, "look-south"},
    {kCommandLookEast, "look-east"},
    {kCommandLookWest, "look-west"},
    {kCommandExaggerationUp, "exaggeration-up"},
    {kCommandExaggerationDown, "exaggeration-down"},
    {kCommandExaggeration1, "exaggeration-one"},
    {kCommandExaggeration1 + 1, "exaggeration-one-and-half"},
    {kCommandExaggeration1 + 2, "exaggeration-two"},
    {kCommandExaggeration1 + 3, "exaggeration-three"},
    {kCommandExaggeration1 + 4, "exaggeration-five"},
    {kCommandExaggeration1 + 5, "exaggeration-ten"},
    {kCommandFollowChanges, "follow-changes"},
    {kCommandOverlay, "overlay"},
    {kCommandOwnColours, "own-colours"},
    {kCommandColourMap1, "colour-map-viridis"},
    {kCommandColourMap1 + 1, "colour-map-plasma"},
    {kCommandColourMap1 + 2, "colour-map-inferno"},
    {kCommandColourMap1 + 3, "colour-map-magma"},
    {kCommandColourMap1 + 4, "colour-map-cividis"},
    {kCommandColourMap1 + 5, "colour-map-turbo"},
    {kCommandColourMap1 + 6, "colour-map-greys"},
};

constexpr const char* kKeyNames[] = {
    "X", "Y", "Z", "L", "M", "C", "O", "Q", "PageUp", "PageDown", "Plus", "Minus", "Backspace", "F1", "F9",
    "Escape", "Return", "Enter", "F10", "F11", "P", "N", "S", "E", "W", "Up", "Down",
    "1", "2", "3", "4", "5", "6", "7", "8", "9",
};
static_assert(std::size(kKeyNames) == static_cast<size_t>(Key::Digit9) + 1, "one name per key");

constexpr KeyStroke Plain(Key key) { return {key, false, false, false}; }
constexpr KeyStroke Control(Key key) { return {key, true, false, false}; }
constexpr KeyStroke Alt(Key key) { return {key, false, false, true}; }

// The keys of the menu entries.
constexpr KeyBinding kKeyBindings[] = {
    {Control(Key::O), kCommandOpenAdd, false},
    {Control(Key::Q), kCommandEnd, false},
    {Plain(Key::F9), kCommandObjectsPanel, false},
    {Plain(Key::X), kCommandSectionX, false},
    {Plain(Key::Y), kCommandSectionY, false},
    {Plain(Key::Z), kCommandSectionZ, false},
    {Plain(Key::PageUp), kCommandSectionForward, false},
    {Plain(Key::PageDown), kCommandSectionBack, false},
    {Plain(Key::Plus), kCommandSectionThicker, false},
    {Plain(Key::Minus), kCommandSectionThinner, false},
    {Plain(Key::Backspace), kCommandSectionRemove, false},
    {Plain(Key::L), kCommandLookAlongSection, false},
    {Plain(Key::M), kCommandMeasure, false},
    {Control(Key::C), kCommandCopyResult, true},
    {Plain(Key::F1), kCommandHelp, false},
    {Plain(Key::P), kCommandPlanView, false},
    {Plain(Key::N), kCommandLookNorth, false},
    {Plain(Key::S), kCommandLookSouth, false},
    {Plain(Key::E), kCommandLookEast, false},
    {Plain(Key::W), kCommandLookWest, false},
    {Control(Key::Up), kCommandExaggerationUp, false},
    {Control(Key::Down), kCommandExaggerationDown, false},
    // The saved views: a digit brings slot N back, Ctrl and the digit saves the view there.
    {Plain(Key::Digit1), kCommandRestoreView1, false},     {Control(Key::Digit1), kCommandSaveView1, false},
    {Plain(Key::Digit2), kCommandRestoreView1 + 1, false}, {Control(Key::Digit2), kCommandSaveView1 + 1, false},
    {Plain(Key::Digit3), kCommandRestoreView1 + 2, false}, {Control(Key::Digit3), kCommandSaveView1 + 2, false},
    {Plain(Key::Digit4), kCommandRestoreView1 + 3, false}, {Control(Key::Digit4), kCommandSaveView1 + 3, false},
    {Plain(Key::Digit5), kCommandRestoreView1 + 4, false}, {Control(Key::Digit5), kCommandSaveView1 + 4, false},
    {Plain(Key::Digit6), kCommandRestoreView1 + 5, false}, {Control(Key::Digit6), kCommandSaveView1 + 5, false},
    {Plain(Key::Digit7), kCommandRestoreView1 + 6, false}, {Control(Key::Digit7), kCommandSaveView1 + 6, false},
    {Plain(Key::Digit8), kCommandRestoreView1 + 7, false}, {Control(Key::Digit8), kCommandSaveView1 + 7, false},
    {Plain(Key::Digit9), kCommandRestoreView1 + 8, false}, {Control(Key::Digit9), kCommandSaveView1 + 8, false},
};

// The keys of the main window itself (shell/Viewer.cpp), which act on the window.
struct WindowKey {
    KeyStroke stroke;
    const char* action;
};
constexpr WindowKey kWindowKeys[] = {
    {Plain(Key::Escape), "leaves full screen or closes the window"},
    {Alt(Key::Return), "switches full screen"},
    {Alt(Key::Enter), "switches full screen"},
    {Plain(Key::F11), "switches full screen"},
    {Plain(Key::F10), "opens the menu bar"},
};

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

const char* CommandName(int32_t id) {
    for (const NamedCommand& command : kCommandNames) {
        if (command.id == id) return command.name;
    }
    return nullptr;
}

std::optional<int32_t> CommandOfName(std::string_view name) {
    for (const NamedCommand& command : kCommandNames) {
        if (name == command.name) return command.id;
    }
    return std::nullopt;
}

std::string CommandNameList() {
    std::string list;
    for (const NamedCommand& command : kCommandNames) list += (list.empty() ? "" : ", ") + std::string(command.name);
    return list;
}

const char* KeyName(Key key) { return kKeyNames[static_cast<size_t>(key)]; }

std::optional<Key> KeyOfName(std::string_view name) {
    for (size_t k = 0; k < std::size(kKeyNames); ++k) {
        if (SameLetters(name, kKeyNames[k])) return static_cast<Key>(k);
    }
    return std::nullopt;
}

std::string KeyNameList() {
    std::string list;
    for (const char* name : kKeyNames) list += (list.empty() ? "" : ", ") + std::string(name);
    return list;
}

const KeyBinding* KeyOfCommand(int32_t command) {
    for (const KeyBinding& binding : kKeyBindings) {
        if (binding.command == command) return &binding;
    }
    return nullptr;
}

std::optional<int32_t> CommandOfStroke(const KeyStroke& stroke, const char** windowAction) {
    if (windowAction != nullptr) *windowAction = nullptr;
    for (const KeyBinding& binding : kKeyBindings) {
        if (binding.stroke == stroke) return binding.command;
    }
    for (const WindowKey& key : kWindowKeys) {
        if (key.stroke == stroke && windowAction != nullptr) *windowAction = key.action;
    }
    return std::nullopt;
}

}  // namespace talan
