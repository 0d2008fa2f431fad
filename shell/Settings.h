// The settings file "config.cfg": interface language, window position and size and
// background colour, kept between runs as "key : value" lines that users may also
// edit by hand. It is read once at start-up and rewritten once after a normal run;
// the rewrite keeps every line as read (comments, blank lines, unknown keys, line
// ends) and only replaces the values of the recognised keys; a key that has no line
// yet gets one added at the end.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene/Status.h"
#include "shell/ShellState.h"

namespace talan {

// What the file sets and what is written back.
struct SettingsValues {
    std::array<float, 3> backgroundColor{0, 0, 0};  // color_r, color_g, color_b (0 to 1)
    uint32_t width = 0, height = 0;  // outer window size; a value read below 200 becomes 500
    uint32_t posx = 0, posy = 0;     // outer window position
    uint32_t language = kLanguageSpanish;  // idioma (0 reads as kLanguageSpanish; other values are kept)
};

// The file as read, kept until shutdown so that it can be written back line by line.
struct SettingsFile {
    std::vector<std::string> lines;  // every line, without its line end, in file order
    std::vector<bool> crlf;          // per line: it ended with CR LF rather than LF
    // Every "key : value" pair read, keys and values trimmed; the first occurrence of a
    // key wins. Only the eight known keys are applied.
    std::map<std::string, std::string> entries;
};

// Splits `text` into lines and applies the known keys to `values`, which start from
// their start values. An empty text, like one ending with a line end, yields a final
// empty line, so that writing back reproduces the final line end or its absence.
void ReadSettingsText(std::string_view text, SettingsFile& file, SettingsValues& values);

// The text to write: every line of `file` in order, with the line end it was read
// with (none after the last one); a line whose key is one of the known ones becomes
// "key : value" with the value from `values`, any other line is kept byte for byte.
// Each known key that no line holds is then added as a "key : value" line, in the
// order color_r, color_g, color_b, width, height, posx, posy, idioma, each ended with
// the line end the file used last (LF in a new file).
std::string SettingsText(const SettingsFile& file, const SettingsValues& values);

// Reads the file at `path`; a missing or unreadable file leaves `values` at their
// start values and `file` empty.
void LoadSettings(const std::string& path, SettingsFile& file, SettingsValues& values);

// Rewrites `path` from `file` and `values` (a file that was not read is created with
// a line for each key). The new text is written to a temporary file beside it and renamed over it,
// so the old file is either replaced whole or untouched. Fails with
// FailureKind::WriteFile and the system's reason, leaving the old file as it was,
// when it could not be written or is not writable.
Failure SaveSettings(const std::string& path, const SettingsFile& file, const SettingsValues& values);

// The whole text of the file at `path`, read as bytes so that each line's CR LF or LF
// is seen as it is; nothing when it cannot be opened or read (a folder of that name).
std::optional<std::string> ReadFileText(const std::string& path);

// Replaces the file at `path` (or the file a link there leads to) with `text`, written
// to a temporary file beside it and renamed over it; a file that may not be written is
// left as it was. Returns the system's reason when it fails, empty when it succeeds.
std::string ReplaceFileText(const std::string& path, const std::string& text);

}  // namespace talan
