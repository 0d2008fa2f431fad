#include "shell/Menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "scene/TextDecoding.h"

namespace talan {

namespace {

constexpr MenuTexts kSpanish{
    "Archivo", "Nuevo", "Abrir (Añadir)", "Suavizar T3 al abrir", "Salir",
    "Objetos", {"T3", "Líneas", "Superficies", "Bloques", "Puntos", "Sondeos"},
    "Ver", "Suavizar T3 activos", "Transparente", "Cara Sólida", "Modo autogiro", "Cara Delantera", "Cara Trasera",
    "Configuración", "Color del Fondo", "Idioma", "Antialiased", "Español", "Ingles",
    "?", "Ayuda", "Acerca de...",
};

constexpr MenuTexts kEnglish{
    "File", "New", "Open (Add)", "Smooth T3 wend open", "End",
    "Objects", {"T3", "Lines", "Surfaces", "Blocks", "Points", "D.Holes"},
    "View", "Smooth T3 actives", "Transparent", "Sólid face", "Mode auto-turn", "Front face", "Back face",
    "Setup", "Back color", "Language", "Antialiased", "Spanish", "English",
    "?", "Help", "About...",
};

// Menu texts are shown as written: '&' would otherwise mark a shortcut.
QString MenuLabel(const std::string& utf8) { return QString::fromStdString(utf8).replace('&', QStringLiteral("&&")); }

QAction* AddEntry(QMenu* menu, MenuHandles& menus, const char* text, int32_t id,
                  const std::function<void(int32_t)>& dispatch, int checked = -1) {
    QAction* action = menu->addAction(MenuLabel(text));
    action->setData(id);
    if (checked >= 0) {
        action->setCheckable(true);
        action->setChecked(checked == 1);
    }
    // The check mark changes only through the command, as on every platform.
    QObject::connect(action, &QAction::triggered, action, [action, id, dispatch](bool) {
        if (action->isCheckable()) action->setChecked(!action->isChecked());
        dispatch(id);
    });
    menus.actions[id] = action;
    return action;
}

}  // namespace

const MenuTexts& SelectMenuTexts(uint32_t language) { return language == 1 ? kSpanish : kEnglish; }

void BuildMenuBar(QMenuBar* menuBar, const MenuTexts& t, uint32_t language, MenuHandles& menus,
                  const std::function<void(int32_t)>& dispatch) {
    menus.menuBar = menuBar;
    menus.fileMenu = menuBar->addMenu(MenuLabel(t.file));
    AddEntry(menus.fileMenu, menus, t.newScene, kCommandNew, dispatch);
    AddEntry(menus.fileMenu, menus, t.openAdd, kCommandOpenAdd, dispatch);
    AddEntry(menus.fileMenu, menus, t.smoothOnOpen, kCommandSmoothOnOpen, dispatch, 0);
    menus.fileMenu->addSeparator();
    AddEntry(menus.fileMenu, menus, t.end, kCommandEnd, dispatch);

    // The kind submenus, in the menu's order: T3, Blocks, Surfaces, Lines, Points, D.Holes.
    menus.objectsMenu = menuBar->addMenu(MenuLabel(t.objects));
    for (ObjectKind kind : {ObjectKind::T3, ObjectKind::BLKKDX, ObjectKind::SUP, ObjectKind::LIN, ObjectKind::PTS,
                            ObjectKind::SONKDX}) {
        menus.kindSubmenu[static_cast<size_t>(kind)] = menus.objectsMenu->addMenu(MenuLabel(t.kinds[static_cast<int>(kind)]));
    }

    menus.viewMenu = menuBar->addMenu(MenuLabel(t.view));
    AddEntry(menus.viewMenu, menus, t.smoothActives, kCommandSmoothActives, dispatch);
    menus.transparentSubmenu = menus.viewMenu->addMenu(MenuLabel(t.transparent));
    menus.viewMenu->addSeparator();
    AddEntry(menus.viewMenu, menus, t.solidFace, kCommandSolidFace, dispatch, 1);
    menus.viewMenu->addSeparator();
    AddEntry(menus.viewMenu, menus, t.autoTurn, kCommandAutoTurn, dispatch, 0);
    menus.viewMenu->addSeparator();
    AddEntry(menus.viewMenu, menus, t.frontFace, kCommandFrontFace, dispatch, 1);
    AddEntry(menus.viewMenu, menus, t.backFace, kCommandBackFace, dispatch, 1);

    menus.setupMenu = menuBar->addMenu(MenuLabel(t.setup));
    AddEntry(menus.setupMenu, menus, t.backColour, kCommandBackColour, dispatch);
    menus.languageMenu = menus.setupMenu->addMenu(MenuLabel(t.language));
    AddEntry(menus.setupMenu, menus, t.antialiased, kCommandAntialiased, dispatch, 0);
    AddEntry(menus.languageMenu, menus, t.spanish, kCommandSpanish, dispatch, language == 1 ? 1 : 0);
    AddEntry(menus.languageMenu, menus, t.english, kCommandEnglish, dispatch, language == 1 ? 0 : 1);

    menus.helpMenu = menuBar->addMenu(MenuLabel(t.help));
    AddEntry(menus.helpMenu, menus, t.helpEntry, kCommandHelp, dispatch);
    AddEntry(menus.helpMenu, menus, t.about, kCommandAbout, dispatch);
}

bool IsChecked(const MenuHandles& menus, int32_t id) {
    const auto found = menus.actions.find(id);
    return found != menus.actions.end() && found->second->isChecked();
}

void SetChecked(MenuHandles& menus, int32_t id, bool checked) {
    const auto found = menus.actions.find(id);
    if (found != menus.actions.end()) found->second->setChecked(checked);
}

void AddObjectEntries(MenuHandles& menus, ObjectKind kind, std::string_view rawName, int32_t menuId,
                      int32_t transparencyMenuId, const std::function<void(int32_t)>& dispatch) {
    const std::string label = DecodeNameForDisplay(rawName);
    AddEntry(menus.kindSubmenu[static_cast<size_t>(kind)], menus, label.c_str(), menuId, dispatch, 1);
    if (transparencyMenuId >= 0) AddEntry(menus.transparentSubmenu, menus, label.c_str(), transparencyMenuId, dispatch, 0);
}

void RemoveObjectEntries(MenuHandles& menus, int32_t nextObjectMenuId, int32_t nextTransparencyMenuId) {
    auto remove = [&menus](int32_t id) {
        const auto found = menus.actions.find(id);
        if (found == menus.actions.end()) return;
        delete found->second;  // a deleted action leaves every menu that held it
        menus.actions.erase(found);
    };
    for (int32_t id = nextObjectMenuId; id >= kFirstObjectMenuId; id -= 2) remove(id);
    for (int32_t id = nextTransparencyMenuId; id >= kFirstTransparencyMenuId; id -= 2) remove(id);
}

}  // namespace talan
