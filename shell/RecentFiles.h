// The scene files opened last, newest first, listed in the File menu. They are kept
// between runs in "recent.cfg" beside config.cfg, one absolute path a line, read at
// start-up and rewritten whole at shutdown, so that config.cfg stays as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scene/Status.h"

namespace talan {

inline constexpr size_t kRecentFileCount = 10;
inline constexpr char kRecentFilesFile[] = "recent.cfg";

// Puts `path` first, taking it from where it stood, and keeps the newest
// kRecentFileCount.
void RememberRecentFile(std::vector<std::string>& recent, const std::string& path);

// Takes `path` out of the list, as when it could not be read.
void ForgetRecentFile(std::vector<std::string>& recent, const std::string& path);

// The list of a file's text: one path a line (LF or CR LF), blank lines and repeats
// skipped, the first kRecentFileCount kept.
std::vector<std::string> ReadRecentFilesText(std::string_view text);

// The file's text: each path on its own line, ended with LF.
std::string RecentFilesText(const std::vector<std::string>& recent);

// Reads the list from `path`; none from a missing or unreadable file.
std::vector<std::string> LoadRecentFiles(const std::string& path);

// Rewrites `path` with the list, replacing the old file whole or leaving it as it was
// (as SaveSettings does); fails with FailureKind::WriteFile and the system's reason.
Failure SaveRecentFiles(const std::string& path, const std::vector<std::string>& recent);

}  // namespace talan
