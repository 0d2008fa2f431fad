// Input scripts and command names: what a script's lines read as, which lines are
// refused and why, that replaying the events does what the window's events do, and
// that the names and keys of the fixed commands are one table shared with the menus.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "shell/CommandLine.h"
#include "shell/CommandNames.h"
#include "shell/InputScript.h"
#include "shell/Menus.h"

#include "QtTestApplication.h"

#include <QAction>
#include <QMenuBar>

namespace talan {
namespace {

using Kind = InputEvent::Kind;

TEST(CommandNames, EveryFixedCommandHasOneLowercaseNameThatLeadsBackToIt) {
    std::set<std::string> names;
    for (int32_t id = 0; id < kFirstObjectMenuId; ++id) {
        const char* name = CommandName(id);
        EXPECT_EQ(name != nullptr, IsMenuIdentifier(id)) << id;
        if (name == nullptr) continue;
        EXPECT_EQ(CommandOfName(name), id) << name;
        EXPECT_TRUE(names.insert(name).second) << name << " names two commands";
        for (char c : std::string(name)) EXPECT_TRUE(std::islower(static_cast<unsigned char>(c)) || c == '-') << name;
    }
    EXPECT_EQ(std::tuple(CommandOfName("Wireframe"), CommandOfName(""), CommandName(kFirstObjectMenuId)),
              std::tuple(std::nullopt, std::nullopt, nullptr));

    // --command takes a name or an identifier; a wrong name is told with every name.
    CommandLine line;
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "--command", "wireframe", "--command", "4012", "--command",
                                   "look-along", "a.KDX"}, line).Failed());
    EXPECT_EQ(line.commands, (std::vector<int32_t>{kCommandSolidFace, kCommandFrontFace, kCommandLookAlongSection}));
    const Failure wrong = ParseCommandLine({"--render", "p.png", "--command", "solid", "a.KDX"}, line);
    EXPECT_EQ(wrong.message, "bad value 'solid' for --command; the command names are " + CommandNameList());
    // The README lists the names as the program does.
    std::ifstream in(TALAN_README);
    std::string readme, word;
    while (in >> word) readme += word + " ";
    EXPECT_NE(readme.find(" " + CommandNameList() + ". "), std::string::npos)
        << "README.md should list the command names: " << CommandNameList();
}

class KeyTable : public testing::QtApplicationTest {};

// The menu bar's shortcuts are made from the key table that scripts read; each is
// compared here with the key as Qt spells it.
TEST_F(KeyTable, TheMenusShortcutsAreTheKeysScriptsType) {
    QMenuBar bar;
    MenuHandles menus;
    BuildMenuBar(&bar, TextsFor(0).menu, menus, [](const Command&) {});
    const std::pair<int32_t, QKeySequence> expected[] = {
        {kCommandOpenAdd, QKeySequence("Ctrl+O")}, {kCommandEnd, QKeySequence("Ctrl+Q")},
        {kCommandObjectsPanel, QKeySequence("F9")}, {kCommandSectionX, QKeySequence("X")},
        {kCommandSectionZ, QKeySequence("Z")},     {kCommandSectionForward, QKeySequence("PgUp")},
        {kCommandSectionBack, QKeySequence("PgDown")}, {kCommandSectionThicker, QKeySequence(Qt::Key_Plus)},
        {kCommandSectionThinner, QKeySequence("-")}, {kCommandSectionRemove, QKeySequence("Backspace")},
        {kCommandLookAlongSection, QKeySequence("L")}, {kCommandMeasure, QKeySequence("M")},
        {kCommandCopyResult, QKeySequence(QKeySequence::Copy)}, {kCommandHelp, QKeySequence("F1")},
        {kCommandNew, QKeySequence()}, {kCommandSolidFace, QKeySequence()},
    };
    for (const auto& [id, keys] : expected) {
        ASSERT_TRUE(menus.actions.count(id)) << id;
        EXPECT_EQ(menus.actions[id]->shortcut(), keys) << CommandName(id);
        const KeyBinding* binding = KeyOfCommand(id);
        EXPECT_EQ(binding != nullptr, !keys.isEmpty()) << CommandName(id);
        if (binding != nullptr) {
            EXPECT_EQ(CommandOfStroke(binding->stroke), id) << CommandName(id);
        }
    }
    EXPECT_EQ(std::tuple(KeyOfName("pageup"), KeyOfName("PAGEUP"), KeyOfName("Page"), KeyName(Key::PageDown)),
              std::tuple(Key::PageUp, Key::PageUp, std::nullopt, std::string_view("PageDown")));
}

TEST(InputScript, EachFormReadsAsItsEventWithTheKeysHeld) {
    std::vector<InputEvent> events;
    ASSERT_FALSE(ParseInputScript("# a drag\n"
                                  "press left 400 300\n"
                                  "  move   450 -20   # past the top edge\n"
                                  "release\n"
                                  "\n"
                                  "press right 1 2 shift ctrl\n"
                                  "wheel -120 ctrl x1\n"
                                  "key x\n"
                                  "key PageUp\r\n"
                                  "key Plus\n"
                                  "key C ctrl",
                                  events).Failed());
    std::vector<std::tuple<Kind, int32_t, MouseButton, int32_t, int32_t, int32_t, bool, bool, bool, int32_t>> read;
    for (const InputEvent& e : events) {
        read.emplace_back(e.kind, e.line, e.button, e.x, e.y, e.delta, e.keys.control, e.keys.shift,
                          e.keys.extraButton1, e.command);
    }
    using L = MouseButton;
    EXPECT_EQ(read, (decltype(read){
                        {Kind::Press, 2, L::Left, 400, 300, 0, false, false, false, 0},
                        {Kind::Move, 3, L::Left, 450, -20, 0, false, false, false, 0},
                        {Kind::Release, 4, L::Left, 0, 0, 0, false, false, false, 0},
                        {Kind::Press, 6, L::Right, 1, 2, 0, true, true, false, 0},
                        {Kind::Wheel, 7, L::Left, 0, 0, -120, true, false, true, 0},
                        {Kind::Key, 8, L::Left, 0, 0, 0, false, false, false, kCommandSectionX},
                        {Kind::Key, 9, L::Left, 0, 0, 0, false, false, false, kCommandSectionForward},
                        {Kind::Key, 10, L::Left, 0, 0, 0, false, false, false, kCommandSectionThicker},
                        {Kind::Key, 11, L::Left, 0, 0, 0, false, false, false, kCommandCopyResult},
                    }));
    ASSERT_FALSE(ParseInputScript("", events).Failed());
    EXPECT_TRUE(events.empty());
}

TEST(InputScript, AWrongLineIsRefusedWithItsNumberAndWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"click 1 2", "line 1: unknown event 'click' (press, move, release, wheel or key)"},
        {"\n# x\npress left 1", "line 3: press takes BUTTON X Y [ctrl] [shift]"},
        {"press up 1 2", "line 1: unknown button 'up' (left, right or middle)"},
        {"press left 1 2.5", "line 1: bad pixel '1 2.5' (X Y, whole numbers)"},
        {"press left 1 2 alt", "line 1: 'alt' is not held with press (it takes ctrl shift)"},
        {"press left 1 2 ctrl ctrl", "line 1: 'ctrl' is named twice"},
        {"move 1", "line 1: move takes X Y"},
        {"move 1 2 shift", "line 1: move takes X Y"},
        {"release left", "line 1: release takes nothing more"},
        {"wheel", "line 1: wheel takes DELTA [ctrl] [shift] [x1]"},
        {"wheel up", "line 1: bad wheel turn 'up' (a whole number)"},
        {"wheel 120 alt", "line 1: 'alt' is not held with wheel (it takes ctrl shift x1)"},
        {"key", "line 1: key takes NAME [ctrl] [shift] [alt]"},
        {"key Home", "line 1: unknown key 'Home' (the keys are X, Y, "},
        {"key X x1", "line 1: 'x1' is not held with key (it takes ctrl shift alt)"},
        {"key PageUp shift", "line 1: Shift+PageUp chooses no menu entry"},
        {"key Escape", "line 1: Escape leaves full screen or closes the window, which only a window can do"},
        {"key F11", "line 1: F11 switches full screen, which only a window can do"},
        {"key Return alt", "line 1: Alt+Return switches full screen, which only a window can do"},
        {"key F10", "line 1: F10 opens the menu bar, which only a window can do"},
    };
    for (const auto& [script, message] : cases) {
        std::vector<InputEvent> events;
        const Failure failure = ParseInputScript(script, events);
        EXPECT_EQ(failure.kind, FailureKind::Usage) << script;
        EXPECT_EQ(failure.message.rfind(message, 0), 0u) << script << " -> " << failure.message;
    }
}

// Replayed events reach the view as the drawing area's do: a move only within a drag,
// the middle button starts none, wheel deltas add up to notches, a key chooses its
// entry; a press outside the picture is refused.
TEST(InputScript, ReplayDoesWhatTheWindowsEventsDo) {
    std::vector<InputEvent> events;
    ASSERT_FALSE(ParseInputScript("move 5 5\npress middle 10 10\nmove 30 10\nrelease\n"
                                  "press left 10 10\nmove 13 8\nmove 13 2\nrelease\nmove 0 0\n"
                                  "press right 10 10\nmove 10 0\nrelease\n"
                                  "wheel -60\nwheel -60\nwheel 40 x1\nwheel -120 shift\nkey Y\nkey Minus\n",
                                  events).Failed());
    ViewState replayed, direct;
    replayed.sceneSize = direct.sceneSize = 10.0f;
    replayed.cameraDistance = direct.cameraDistance = 20.0f;
    std::vector<int32_t> commands;
    ASSERT_FALSE(ReplayInput(events, replayed, 160, 120, [&](int32_t id) { commands.push_back(id); }).Failed());

    PressMouseButton(direct, MouseButton::Left, {}, 10, 10);
    for (auto [x, y] : {std::pair{13, 8}, std::pair{13, 2}}) MoveMouse(direct, x, y, 120);
    ReleaseMouseButtons(direct);
    PressMouseButton(direct, MouseButton::Right, {}, 10, 10);
    MoveMouse(direct, 10, 0, 120);
    ReleaseMouseButtons(direct);
    TurnWheel(direct, -kWheelNotch, {});
    TurnWheel(direct, -kWheelNotch, {false, true, false});
    EXPECT_EQ(std::tuple(replayed.cameraYaw, replayed.cameraPitch, replayed.cameraTarget, replayed.cameraDistance,
                         replayed.transparencyLevel, Dragging(replayed)),
              std::tuple(direct.cameraYaw, direct.cameraPitch, direct.cameraTarget, direct.cameraDistance,
                         direct.transparencyLevel, false));
    EXPECT_EQ(std::tuple(direct.cameraYaw, direct.cameraPitch), std::tuple(1.0f, -2.0f)) << "the drag did turn";
    EXPECT_EQ(commands, (std::vector<int32_t>{kCommandSectionY, kCommandSectionThinner}));

    for (const char* outside : {"press left 160 0", "press right 0 120", "press left -1 5"}) {
        ASSERT_FALSE(ParseInputScript(std::string("wheel 120\n") + outside, events).Failed()) << outside;
        const Failure failure = ReplayInput(events, replayed, 160, 120, [](int32_t) {});
        EXPECT_EQ(failure.kind, FailureKind::Usage) << outside;
        EXPECT_NE(failure.message.find("line 2: the pixel "), std::string::npos) << failure.message;
        EXPECT_NE(failure.message.find(" is outside the 160x120 picture"), std::string::npos) << failure.message;
    }
}

}  // namespace
}  // namespace talan
