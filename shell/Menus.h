// The menu bar: its texts in both languages, the command identifiers, and the
// per-object entries that every load adds.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "scene/SceneModel.h"

class QAction;
class QMenu;
class QMenuBar;

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
};

// One text per label, chosen once at start-up by the language (1 Spanish, else English).
struct MenuTexts {
    const char* file; const char* newScene; const char* openAdd; const char* smoothOnOpen; const char* end;
    const char* objects; const char* kinds[kObjectKindCount];  // in ObjectKind order
    const char* view; const char* smoothActives; const char* transparent; const char* solidFace;
    const char* autoTurn; const char* frontFace; const char* backFace;
    const char* setup; const char* backColour; const char* language; const char* antialiased;
    const char* spanish; const char* english;
    const char* help; const char* helpEntry; const char* about;
};
const MenuTexts& SelectMenuTexts(uint32_t language);

struct MenuHandles {
    QMenuBar* menuBar = nullptr;
    QMenu* fileMenu = nullptr;
    QMenu* objectsMenu = nullptr;
    std::array<QMenu*, kObjectKindCount> kindSubmenu{};  // indexed by ObjectKind
    QMenu* viewMenu = nullptr;
    QMenu* transparentSubmenu = nullptr;
    QMenu* setupMenu = nullptr;
    QMenu* languageMenu = nullptr;
    QMenu* helpMenu = nullptr;
    std::map<int32_t, QAction*> actions;  // every command entry by identifier, per-object ones included
};

// Fills `menuBar` with the menus in both languages' order, each action carrying its
// identifier; `dispatch` is called with the identifier when an entry is chosen.
void BuildMenuBar(QMenuBar* menuBar, const MenuTexts& texts, uint32_t language, MenuHandles& menus,
                  const std::function<void(int32_t)>& dispatch);

// Whether the entry of `id` carries its check mark (false when there is no such entry).
bool IsChecked(const MenuHandles& menus, int32_t id);
void SetChecked(MenuHandles& menus, int32_t id, bool checked);

// Appends the entries of object `index`: checked in its kind's submenu, and for T3
// and block models unchecked in the Transparent submenu.
void AddObjectEntries(MenuHandles& menus, ObjectKind kind, std::string_view rawName, int32_t menuId,
                      int32_t transparencyMenuId, const std::function<void(int32_t)>& dispatch);

// Removes every per-object entry below the given counters, as New does before the reset.
void RemoveObjectEntries(MenuHandles& menus, int32_t nextObjectMenuId, int32_t nextTransparencyMenuId);

}  // namespace talan
