// What the menus, the keys, the objects panel and the command line ask the shell to
// do: fixed commands by identifier and the switches of single objects.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace talan {

// Command identifiers of the fixed entries.
enum CommandId : int32_t {
    kCommandEnd = 16,
    kCommandNew = 4000,
    kCommandOpenAdd = 4001,
    kCommandSmoothOnOpen = 4002,
    kCommandSolidFace = 4010,
    kCommandFrontFace = 4012,
    kCommandBackFace = 4013,
    kCommandSmoothActives = 4014,
    kCommandBackColour = 4020,
    kCommandAntialiased = 4021,
    kCommandSpanish = 4022,
    kCommandEnglish = 4023,
    kCommandHelp = 4030,
    kCommandAbout = 4031,
    kCommandAutoTurn = 4060,
    kCommandObjectsPanel = 4070,  // shows or hides the objects panel
    // Sections and measuring, after the first menus' entries (the View menu's "Section"
    // entry and the keys of the window).
    kCommandSectionX = 4100,
    kCommandSectionY = 4101,
    kCommandSectionZ = 4102,
    kCommandSectionForward = 4103,
    kCommandSectionBack = 4104,
    kCommandSectionThicker = 4105,
    kCommandSectionThinner = 4106,
    kCommandSectionRemove = 4107,
    kCommandLookAlongSection = 4108,
    kCommandMeasure = 4110,
    kCommandCopyResult = 4111,
    // The standard views: the camera keeps its target and distance and turns to look
    // straight down (north up) or level towards one point of the compass.
    kCommandPlanView = 4120,
    kCommandLookNorth = 4121,
    kCommandLookSouth = 4122,
    kCommandLookEast = 4123,
    kCommandLookWest = 4124,
    // The File menu's entries of the scene files opened last: the first of ten
    // identifiers, newest first. They change with the list, so --command takes none.
    kCommandRecentFile = 4130,
    // Vertical exaggeration: a step up or down (Ctrl+Up, Ctrl+Down), or one of the
    // steps of kExaggerationSteps by its entry (1, 1.5, 2, 3, 5, 10).
    kCommandExaggerationUp = 4140,
    kCommandExaggerationDown = 4141,
    kCommandExaggeration1 = 4142,  // to 4142 + kExaggerationEntries - 1
    // Saved views: bring back slot 1 + (id - first) (keys 1 to 9), or save the view
    // there (Ctrl+1 to Ctrl+9). The slots are the run's, so --command takes none.
    kCommandRestoreView1 = 4150,  // to 4150 + kSavedViewSlots - 1
    kCommandSaveView1 = 4170,     // to 4170 + kSavedViewSlots - 1
    // Reload the scene as soon as a file of it changes on disk, without asking.
    kCommandFollowChanges = 4160,
    // The axes triad and scale bar over the picture, on and off.
    kCommandOverlay = 4180,
    // Colour by value: every object in its own colours, or by the value number
    // (id - first) of the values the scene's objects carry, in order of first
    // appearance (these change with the scene, so --command takes none); the colour
    // map by its number.
    kCommandOwnColours = 4190,
    kCommandColourByValue1 = 4200,  // to 4200 + kColourByValueEntries - 1
    kCommandColourMap1 = 4240,      // to 4240 + kColourMapEntries - 1
};
inline constexpr int32_t kColourByValueEntries = 32;
inline constexpr int32_t kColourMapEntries = 8;
inline constexpr int32_t kExaggerationEntries = 6;
inline constexpr int32_t kSavedViewSlots = 9;

// The flag of one object that its entry switches: shown (its entry in its kind's
// submenu) or drawn transparent (its entry in the Transparent submenu).
enum class ObjectFlag { Visible, Transparent };

// What a menu entry asks for: a fixed command by its identifier, or the switch of
// one flag of one object. Object entries carry the object number itself: the
// identifiers 5000 + 2k and 10000 + 2k that --info reports meet from object 2,500
// on (5000 + 2k = 10000 + 2(k - 2500)), so they cannot tell the objects apart.
struct Command {
    int32_t id = 0;       // a fixed command's identifier; 0 for an object's entry
    int32_t object = -1;  // an object's entry: its number since the last New; -1 otherwise
    ObjectFlag flag = ObjectFlag::Visible;

    static Command Fixed(int32_t id) { return {id, -1, ObjectFlag::Visible}; }
    static Command OfObject(ObjectFlag flag, int32_t object) { return {0, object, flag}; }
};

// The command of an identifier as --info reports them: even identifiers from 5000
// below 10000 show or hide object (id - 5000) / 2, even ones from 10000 on switch the
// transparency of object (id - 10000) / 2, any other is a fixed command.
Command CommandOfIdentifier(int32_t id);

// Whether a menu entry has this identifier: a fixed command's, or an object's.
bool IsMenuIdentifier(int32_t id);

using CommandHandler = std::function<void(const Command&)>;
// Several commands carried out in a row and shown once: the objects panel switches
// thousands of objects at a time.
using CommandsHandler = std::function<void(const std::vector<Command>&)>;
// Whether a command's switch is on, for its check mark; none for a command that
// switches nothing.
using SwitchReader = std::function<std::optional<bool>(const Command&)>;

}  // namespace talan
