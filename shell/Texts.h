// Every text the program shows its user, one table per interface language. Texts
// that carry numbers or names are printf patterns (FormatText fills them); both
// languages' patterns take the same values in the same order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "scene/SceneModel.h"

namespace talan {

// Every member of these structs is a const char* or an array of them, and none is
// null or empty in either table: the tests walk a table as one array of texts.

// The menu bar's labels; the objects panel shares its title, the kinds and "Transparent".
struct MenuTexts {
    const char* file; const char* newScene; const char* openAdd; const char* smoothOnOpen; const char* end;
    const char* objects; const char* kinds[kObjectKindCount];  // in ObjectKind order
    const char* view; const char* smoothActives; const char* transparent; const char* solidFace;
    const char* autoTurn; const char* frontFace; const char* backFace; const char* objectsPanel;
    const char* setup; const char* backColour; const char* language; const char* antialiased;
    const char* spanish; const char* english;
    const char* help; const char* helpEntry; const char* about;
    const char* section; const char* sectionAxis[3]; const char* sectionForward; const char* sectionBack;
    const char* sectionThicker; const char* sectionThinner; const char* sectionRemove; const char* lookAlong;
    const char* measure; const char* copyResult;
    // The View menu's "Standard views" submenu: plan, then north, south, east, west.
    const char* standardViews; const char* standardView[5];
    const char* exaggeration; const char* exaggerationUp; const char* exaggerationDown;
    const char* exaggerationFactor;  // a step's entry, with the factor (%g)
    // The View menu's "Saved views" submenu: a slot's entry with its number (%d), yaw,
    // pitch (%.0f) and exaggeration (%g), or with its number alone while it is empty;
    // then the submenu of the entries that save the view.
    const char* savedViews; const char* savedViewEntry; const char* savedViewEmpty; const char* saveView;
    const char* followChanges;       // the View menu's switch: reload changed files without asking
    const char* overlay;             // the View menu's switch: the axes triad and scale bar
    // The View menu's "Colour by" submenu: the entry that keeps every object's own
    // colours, then one entry per value the objects carry; the "Colour map" submenu.
    const char* colourBy; const char* ownColours; const char* colourMap;
};

// The objects panel's column headers and the filter's placeholder.
struct PanelTexts {
    const char* name; const char* kind; const char* elements; const char* filter;
    const char* colourBy;  // the label of the list that chooses the value to colour by
};

// The about box, and the captions of the message boxes that are not help or notices.
struct DialogTexts {
    const char* aboutCaption; const char* aboutVersion; const char* aboutOk;
    const char* errorCaption;
};

// Help's message, and the notice that a language chosen takes effect at the next start.
struct HelpTexts {
    const char* caption; const char* text;
    const char* languageCaption; const char* languageNotice;
};

// The status line's parts: the section slab, what a click picked, the measurement.
struct StatusTexts {
    const char* section;         // the axis letter (%s), the slab's centre and thickness
    const char* sectionEmpty;    // appended when nothing shown reaches into the slab
    // What a click picked: the point's x, y, z and the object's number, then its name
    // in quotes, then its kind's tag, the element's word and number.
    const char* pickPoint; const char* pickElement;
    const char* elementWords[kObjectKindCount];  // what an element of each kind is, in ObjectKind order
    const char* measureFirst; const char* measureSecond;
    const char* measured;        // slope, horizontal distance, dz, azimuth, dip
    const char* exaggeration;    // the vertical exaggeration (%g) when it is not 1
    const char* viewSaved; const char* noSavedView;  // a slot's number (%d) saved, or found empty
};

// A scene file that could not be loaded: the first line, then why.
struct LoadErrorTexts {
    const char* readError;
    // The file could not be read at all; the system's own refusal takes its text (%s).
    const char* notFound; const char* folder; const char* noPermission; const char* notAFile;
    const char* empty; const char* noSignature; const char* outOfMemory; const char* systemError;
    // The read stopped at a line of the file, which they take (%lld).
    const char* countRefused; const char* outOfMemoryAtLine; const char* cutShort;
    // Read in full, yet nothing could be drawn: no vertex, or the device refused the
    // vertex buffer with a code (0x%08X).
    const char* nothingToDraw; const char* vertexBufferFailed;
    // A file of another format that gives nothing: a delimited text that is no drill-hole
    // table, survey or interval tables without their collars, GOCAD text without objects.
    const char* notATable; const char* noCollarTable; const char* noObjects;
};

// Rows skipped while the rest of the files was read: the message's caption, its first
// line (the count), one line per row (the file, the line number, why), the line that
// counts the rows not listed, and why a row was skipped, in RowFault order.
struct SkippedRowTexts {
    const char* caption; const char* heading; const char* row; const char* more;
    const char* faults[8];
};

// The window's start-up failures: no OpenGL context (the error's number and text, then
// where to look for drivers), or no effect file.
struct ViewerTexts {
    const char* contextFailed; const char* contextDrivers; const char* effectFileMissing;
};

// A file of the scene changed on disk: the question (the file's name, %s) and its
// caption, and the status line's note when the files cannot be read again (the name,
// then why).
struct ReloadTexts {
    const char* question; const char* caption; const char* failed;
};

struct Texts {
    MenuTexts menu;
    PanelTexts panel;
    DialogTexts dialogs;
    HelpTexts help;
    StatusTexts status;
    LoadErrorTexts loadErrors;
    SkippedRowTexts skippedRows;
    ViewerTexts viewer;
    ReloadTexts reload;
};

// The Spanish table for kLanguageSpanish, the English one for any other value.
const Texts& TextsFor(uint32_t language);

// A pattern of the table filled with `values`, as printf would.
template <typename... Values>
std::string FormatText(const char* pattern, Values... values) {
    const int size = std::snprintf(nullptr, 0, pattern, values...);
    if (size <= 0) return {};
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern, values...);
    text.pop_back();
    return text;
}

}  // namespace talan
