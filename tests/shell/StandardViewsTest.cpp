// The standard views: the entries of View > Standard views, their keys and names, and
// --view. Where the compass lands on the picture is read through the camera's own
// matrices, so that a north and a south, or an east and a west, swapped anywhere
// between the table and the picture shows here.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "QtTestApplication.h"
#include "ShellViewer.h"
#include "render/CameraMath.h"
#include "shell/CommandLine.h"
#include "shell/CommandNames.h"
#include "shell/InputScript.h"

#include <QKeySequence>
#include <QMenu>

namespace talan {
namespace {

using testing::Viewer;

// A point in file axes (x, y, elevation) seen through `view` in view space: x right,
// y up on the picture, z away from the eye.
glm::vec3 Seen(const ViewState& view, glm::vec3 file) {
    const glm::mat4 m =
        BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, view.cameraYaw * kDegreesToRadians) *
        BuildWorldMatrix(view);
    return glm::vec3(m * glm::vec4(file.x, file.z, file.y, 1.0f));
}

// Which way a file direction goes on the picture: "right", "left", "up", "down",
// "away" or "near", whichever of the view axes it follows most.
std::string Way(const ViewState& view, glm::vec3 direction) {
    const glm::vec3 target(view.cameraTarget[0], view.cameraTarget[1], view.cameraTarget[2]);
    const glm::vec3 d = Seen(view, target + direction) - Seen(view, target);
    const glm::vec3 a = glm::abs(d);
    if (a.x >= a.y && a.x >= a.z) return d.x > 0 ? "right" : "left";
    if (a.y >= a.z) return d.y > 0 ? "up" : "down";
    return d.z > 0 ? "away" : "near";
}

using StandardViews = testing::QtApplicationTest;

// Each entry turns the camera about its target, from the same distance, whatever
// angles it had: the plan view has north up and east right, a level view faces its
// point of the compass with the elevation up.
TEST_F(StandardViews, EachEntryFacesItsWayAndKeepsTheTargetAndTheDistance) {
    Viewer viewer(kLanguageEnglish);
    struct Case {
        int32_t id;
        float yaw, pitch;
        const char* east;   // where +x goes on the picture
        const char* north;  // where +y goes
        const char* up;     // where the elevation goes
    };
    const Case cases[] = {
        {kCommandPlanView, 0, 90, "right", "up", "near"},
        {kCommandLookNorth, 0, 0, "right", "away", "up"},
        {kCommandLookSouth, 180, 0, "left", "near", "up"},
        {kCommandLookEast, 90, 0, "away", "left", "up"},
        {kCommandLookWest, 270, 0, "near", "right", "up"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CommandName(c.id));
        viewer.view.cameraYaw = 33.0f;
        viewer.view.cameraPitch = -20.0f;
        viewer.view.cameraTarget = {512.5f, -7300.0f, 41.0f};
        viewer.view.cameraDistance = 250.0f;
        viewer.Choose(c.id);
        EXPECT_EQ(std::pair(viewer.view.cameraYaw, viewer.view.cameraPitch), std::pair(c.yaw, c.pitch));
        EXPECT_EQ(viewer.view.cameraTarget, (std::array<float, 3>{512.5f, -7300.0f, 41.0f}));
        EXPECT_EQ(viewer.view.cameraDistance, 250.0f);
        EXPECT_EQ(Way(viewer.view, {1, 0, 0}), c.east);
        EXPECT_EQ(Way(viewer.view, {0, 1, 0}), c.north);
        EXPECT_EQ(Way(viewer.view, {0, 0, 1}), c.up);
    }
    // The entries switch nothing.
    for (const Case& c : cases) EXPECT_FALSE(viewer.menus.actions.at(c.id)->isCheckable()) << c.id;
}

// The submenu in both languages, the keys P, N, S, E, W from the one key table that
// the menus and input scripts read, beside every key there was, and the names.
TEST_F(StandardViews, TheSubmenuKeysAndNamesInBothLanguages) {
    const int32_t ids[] = {kCommandPlanView, kCommandLookNorth, kCommandLookSouth, kCommandLookEast, kCommandLookWest};
    const char* keys[] = {"P", "N", "S", "E", "W"};
    const char* names[] = {"plan-view", "look-north", "look-south", "look-east", "look-west"};
    for (const auto& [language, title, first] :
         {std::tuple(kLanguageSpanish, "Vistas estándar", "Planta"), std::tuple(kLanguageEnglish, "Standard views", "Plan view")}) {
        Viewer viewer(language);
        const QAction* plan = viewer.menus.actions.at(kCommandPlanView);
        ASSERT_EQ(plan->associatedObjects().size(), 1);
        const auto* submenu = qobject_cast<const QMenu*>(plan->associatedObjects().front());
        ASSERT_NE(submenu, nullptr);
        EXPECT_EQ(submenu->title().toStdString(), title);
        EXPECT_EQ(submenu->menuAction()->associatedObjects().front(), viewer.menus.viewMenu);
        EXPECT_EQ(plan->text().toStdString(), first);
        for (size_t k = 0; k < std::size(ids); ++k) {
            EXPECT_EQ(viewer.menus.actions.at(ids[k])->shortcut(), QKeySequence(keys[k])) << names[k];
            EXPECT_EQ(viewer.menus.actions.at(ids[k])->parent(), submenu) << names[k];
        }
    }
    std::string script;
    for (size_t k = 0; k < std::size(ids); ++k) {
        EXPECT_EQ(CommandOfName(names[k]), ids[k]);
        EXPECT_EQ(CommandOfStroke({*KeyOfName(keys[k]), false, false, false}), ids[k]) << keys[k];
        script += std::string("key ") + keys[k] + "\n";
    }
    std::vector<InputEvent> events;
    // Ctrl+P chooses nothing: the views take the plain letters only.
    EXPECT_EQ(ParseInputScript(script + "key p ctrl\n", events).message, "line 6: Ctrl+P chooses no menu entry");
    ASSERT_FALSE(ParseInputScript(script, events).Failed());
    std::vector<int32_t> chosen;
    for (const InputEvent& e : events) chosen.push_back(e.command);
    EXPECT_EQ(chosen, std::vector<int32_t>(std::begin(ids), std::end(ids)));
    // No stroke is bound twice: the fifteen keys there were, the five views, the two
    // exaggeration steps and the eighteen of the saved views.
    std::vector<KeyStroke> strokes;
    for (int32_t id = 0; id < kFirstObjectMenuId; ++id) {
        const KeyBinding* binding = KeyOfCommand(id);
        if (binding == nullptr) continue;
        for (const KeyStroke& seen : strokes) EXPECT_FALSE(seen == binding->stroke) << CommandName(id);
        strokes.push_back(binding->stroke);
        EXPECT_EQ(CommandOfStroke(binding->stroke), id) << CommandName(id);
    }
    EXPECT_EQ(strokes.size(), 40u);
}

// --view takes the views by name and comes after the fit and --command; --yaw and
// --pitch set their angle after it. A wrong name is refused with the names there are.
TEST(StandardViewOption, ReadsTheNamesAndRefusesOthers) {
    CommandLine line;
    for (const auto& [name, id] : {std::pair("plan", kCommandPlanView), std::pair("north", kCommandLookNorth),
                                   std::pair("south", kCommandLookSouth), std::pair("east", kCommandLookEast),
                                   std::pair("west", kCommandLookWest)}) {
        ASSERT_FALSE(ParseCommandLine({"--pick", "1,2", "--view", name, "a.KDX"}, line).Failed()) << name;
        EXPECT_EQ(line.view, id) << name;
    }
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "a.KDX"}, line).Failed());
    EXPECT_EQ(line.view, 0);
    for (const char* wrong : {"Plan", "up", "", "plan-view"}) {
        EXPECT_EQ(ParseCommandLine({"--render", "p.png", "--view", wrong, "a.KDX"}, line).message,
                  std::string("bad value '") + wrong + "' for --view")
            << wrong;
    }
    EXPECT_EQ(ParseCommandLine({"--info", "--view", "plan", "a.KDX"}, line).message,
              "unknown option '--view' for --info");
}

}  // namespace
}  // namespace talan
