// The program-wide values of the shell: start-up directory, window geometry,
// language and the options the menus switch.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/SavedViewSlots.h"

namespace talan {

// The interface languages, as the settings file's "idioma" numbers them; any other
// value shows the English texts.
inline constexpr uint32_t kLanguageSpanish = 1;
inline constexpr uint32_t kLanguageEnglish = 2;

// Outer window rectangle in screen coordinates.
struct WindowRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct ShellState {
    std::string startDirectory;   // where config.cfg was read and is written back
    // The files the next load reads together (the command line's, a drop's, a recent
    // file's); when empty, the open dialog asks for them.
    std::vector<std::string> pendingScenePaths;
    std::string lastSceneFolder;  // the folder of the last scene file opened in the run; the open dialog starts there
    std::vector<std::string> recentFiles;  // absolute paths of the scene files opened last, newest first
    uint32_t clientWidth = 0, clientHeight = 0;  // drawing area in pixels (outer size while starting)
    WindowRect windowRect;
    uint32_t windowPosX = 0, windowPosY = 0;
    uint32_t language = kLanguageSpanish;  // kLanguageSpanish, kLanguageEnglish, or another value kept as read
    bool smoothOnOpen = false;    // "Smooth T3 wend open"
    bool loading = false;         // a scene file is being read: the drawing area keeps its last picture
    bool objectsPanelShown = false;  // the objects panel (F9) is shown
    std::array<uint32_t, 16> customColours{};  // the colour dialog's custom colours, kept for the run
    std::string pickText;         // what the last click picked, for the status line; empty: nothing
    std::string resultText;       // the last pick or measurement as Ctrl+C copies it
    SavedViews savedViews;        // the views saved by Ctrl+1 … Ctrl+9, per set of scene files
    std::string noticeText;       // what the last command has to tell in the status line, until the next one
    std::vector<std::string> loadedFiles;  // absolute paths of the files read since the last New, in order
    bool followChanges = false;   // "Follow changes": a file changed on disk is reloaded without asking
    std::string reloadNote;       // why the last reload failed, for the status line; empty: it did not
};

// The product's web address, shown by the about box and the context-creation message.
inline constexpr char kProductWebAddress[] = "https://talan3d.example.org";

}  // namespace talan
