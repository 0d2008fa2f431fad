#include "shell/RecentFiles.h"

#include <algorithm>

#include "shell/Settings.h"

namespace talan {

void RememberRecentFile(std::vector<std::string>& recent, const std::string& path) {
    ForgetRecentFile(recent, path);
    recent.insert(recent.begin(), path);
    if (recent.size() > kRecentFileCount) recent.resize(kRecentFileCount);
}

void ForgetRecentFile(std::vector<std::string>& recent, const std::string& path) {
    recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
}

std::vector<std::string> ReadRecentFilesText(std::string_view text) {
    std::vector<std::string> recent;
    size_t start = 0;
    while (start < text.size() && recent.size() < kRecentFileCount) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string path(line);
        if (!path.empty() && std::find(recent.begin(), recent.end(), path) == recent.end()) recent.push_back(path);
        start = end + 1;
    }
    return recent;
}

std::string RecentFilesText(const std::vector<std::string>& recent) {
    std::string text;
    for (const std::string& path : recent) text += path + "\n";
    return text;
}

std::vector<std::string> LoadRecentFiles(const std::string& path) {
    const std::optional<std::string> text = ReadFileText(path);
    return text ? ReadRecentFilesText(*text) : std::vector<std::string>{};
}

Failure SaveRecentFiles(const std::string& path, const std::vector<std::string>& recent) {
    const std::string reason = ReplaceFileText(path, RecentFilesText(recent));
    if (reason.empty()) return {};
    return {FailureKind::WriteFile, kStatusFail, "the recent files could not be saved in " + path + ": " + reason};
}

}  // namespace talan
