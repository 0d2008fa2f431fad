#include "shell/Settings.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <locale>
#include <optional>
#include <random>
#include <sstream>
#include <utility>

#include "scene/NumberParsing.h"

namespace talan {
namespace {

namespace fs = std::filesystem;

// The known keys, in the order of the value texts below.
enum KeyIndex { kColorR, kColorG, kColorB, kWidth, kHeight, kPosX, kPosY, kIdioma, kKeyCount };
constexpr std::array<std::string_view, kKeyCount> kKeys = {"color_r", "color_g", "color_b", "width",
                                                           "height",  "posx",    "posy",    "idioma"};

std::optional<size_t> KnownKey(std::string_view key) {
    for (size_t i = 0; i < kKeys.size(); ++i)
        if (kKeys[i] == key) return i;
    return std::nullopt;
}

// Only spaces and horizontal tabs are blanks; a stray CR or form feed is part of the text.
std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

struct Entry {
    std::string_view key, value;
};

// The key and value of a setting line, both trimmed; none for blank lines, comments
// ('#' first after blanks) and lines without ':'. The key may be empty.
std::optional<Entry> SplitEntry(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == '#') return std::nullopt;
    const size_t colon = trimmed.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    return Entry{TrimBlanks(trimmed.substr(0, colon)), TrimBlanks(trimmed.substr(colon + 1))};
}

uint32_t ReadUnsigned(const std::string& text) { return static_cast<uint32_t>(ParseIntLikeAtoi(text)); }

// A window side read below 200 (compared unsigned, so a negative number stays) would
// leave an unusable window.
uint32_t ReadWindowSide(const std::string& text) {
    const uint32_t side = ReadUnsigned(text);
    return side < 200 ? 500 : side;
}

// The stream defaults: at most six significant digits, shortest general notation. The
// classic locale keeps the decimal point whatever the program's locale is.
std::string FloatText(float value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

std::array<std::string, kKeyCount> ValueTexts(const SettingsValues& values) {
    return {FloatText(values.backgroundColor[0]), FloatText(values.backgroundColor[1]),
            FloatText(values.backgroundColor[2]), std::to_string(values.width),
            std::to_string(values.height),        std::to_string(values.posx),
            std::to_string(values.posy),          std::to_string(values.language)};
}

// A name for the temporary file that no other writer picks at the same moment.
fs::path TemporaryName(const fs::path& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    uint64_t noise = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        noise ^= static_cast<uint64_t>(std::random_device{}()) << 32;
    } catch (...) {
        // No random source: the clock and the counter still tell the names apart.
    }
    noise ^= (static_cast<uint64_t>(counter++) << 20) ^ attempt;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(noise));
    fs::path name = target;
    name += suffix;
    return name;
}

// The file the path finally names: a link is replaced in its target's directory, not
// turned into a plain file.
fs::path ResolveLinks(fs::path path) {
    std::error_code ec;
    for (int depth = 0; depth < 40 && fs::is_symlink(fs::symlink_status(path, ec)); ++depth) {
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

bool WriteWhole(std::FILE* stream, const std::string& text) {
    const bool written = text.empty() || std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    const bool flushed = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    return std::fclose(stream) == 0 && written && flushed;
}

}  // namespace

void ReadSettingsText(std::string_view text, SettingsFile& file, SettingsValues& values) {
    file = SettingsFile{};
    values = SettingsValues{};

    // Every LF ends a line, and the rest after the last one is a line too (empty when
    // the text ends with a line end). A CR just before the LF belongs to the line end.
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        const bool crlf = end != std::string_view::npos && line.ends_with('\r');
        if (crlf) line.remove_suffix(1);
        file.lines.emplace_back(line);
        file.crlf.push_back(crlf);
        if (const auto entry = SplitEntry(line)) file.entries.emplace(entry->key, entry->value);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }

    for (const auto& [key, value] : file.entries) {
        const auto index = KnownKey(key);
        if (!index) continue;
        switch (*index) {
            case kColorR:
            case kColorG:
            case kColorB: values.backgroundColor[*index - kColorR] = NarrowToFloat(ParseDoubleLikeAtof(value)); break;
            case kWidth: values.width = ReadWindowSide(value); break;
            case kHeight: values.height = ReadWindowSide(value); break;
            case kPosX: values.posx = ReadUnsigned(value); break;
            case kPosY: values.posy = ReadUnsigned(value); break;
            case kIdioma: values.language = ReadUnsigned(value); break;
        }
    }
    if (values.language == 0) values.language = kLanguageSpanish;
}

std::string SettingsText(const SettingsFile& file, const SettingsValues& values) {
    const auto texts = ValueTexts(values);
    std::array<bool, kKeyCount> written{};
    std::string out;
    // The final line is empty when the text ended with a line end (or was empty); lines
    // for missing keys go before it, so that the text still ends with a line end.
    const size_t count = file.lines.size();
    const bool endsWithLineEnd = count == 0 || file.lines.back().empty();
    const size_t kept = endsWithLineEnd && count > 0 ? count - 1 : count;
    bool lastEndCrlf = false;  // missing keys get the line end the file used last
    const auto lineEnd = [&file, &lastEndCrlf](size_t i) {
        lastEndCrlf = i < file.crlf.size() && file.crlf[i];
        return lastEndCrlf ? "\r\n" : "\n";
    };
    for (size_t i = 0; i < kept; ++i) {
        const std::string& line = file.lines[i];
        // A line in the canonical form, the key at the start followed by " : ", keeps
        // exactly its key and separator and gets the new value. Any other line whose
        // trimmed key is a known one ("width:800", "  width : 800", "width\t: 800") would
        // be cut in the wrong place by that rule, so it gets the same canonical text;
        // both come down to key, " : ", value. Lines with other keys stay as they are.
        const auto entry = SplitEntry(line);
        const auto index = entry ? KnownKey(entry->key) : std::nullopt;
        if (index) {
            out += kKeys[*index];
            out += " : ";
            out += texts[*index];
            written[*index] = true;
        } else {
            out += line;
        }
        if (i + 1 < count) out += lineEnd(i);
    }

    // A key the file has no line for gets one, in the order of the key list, so that a
    // new or hand-trimmed file keeps what the run set instead of losing it.
    bool appended = false;
    for (size_t k = 0; k < kKeyCount; ++k) {
        if (written[k]) continue;
        if (!appended && kept == count && count > 0) out += lastEndCrlf ? "\r\n" : "\n";  // the last line had none
        appended = true;
        out += kKeys[k];
        out += " : ";
        out += texts[k];
        out += lastEndCrlf ? "\r\n" : "\n";
    }
    return out;
}

void LoadSettings(const std::string& path, SettingsFile& file, SettingsValues& values) {
    file = SettingsFile{};
    values = SettingsValues{};
    // Each line's CR LF or LF is seen, and written back as it was.
    if (const std::optional<std::string> text = ReadFileText(path)) ReadSettingsText(*text, file, values);
}

std::optional<std::string> ReadFileText(const std::string& path) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) return std::nullopt;
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, got);
    const bool failed = std::ferror(stream) != 0;  // for example a directory of that name
    std::fclose(stream);
    if (failed) return std::nullopt;
    return text;
}

std::string ReplaceFileText(const std::string& path, const std::string& text) {
    const fs::path target = ResolveLinks(path);
    std::error_code ec;
    const fs::file_status targetStatus = fs::status(target, ec);
    const bool exists = fs::exists(targetStatus);

    // A file that may not be written (read-only, or one that could not even be read)
    // is left alone, as opening it for writing would have failed; appending nothing
    // tests that without touching it.
    if (exists) {
        std::FILE* probe = std::fopen(target.c_str(), "ab");
        if (probe == nullptr) return std::strerror(errno);
        std::fclose(probe);
    }

    for (unsigned attempt = 0; attempt < 8; ++attempt) {
        const fs::path temporary = TemporaryName(target, attempt);
        // "x": never take over a file of that name that someone else is writing.
        std::FILE* stream = std::fopen(temporary.c_str(), "wbx");
        if (stream == nullptr) {
            const int error = errno;
            // The directory refuses, unless the name was taken: then another name is tried.
            if (!fs::exists(fs::symlink_status(temporary, ec))) return std::strerror(error);
            continue;
        }
        if (!WriteWhole(stream, text)) {
            const int error = errno;
            fs::remove(temporary, ec);
            return std::strerror(error);
        }
        if (exists) fs::permissions(temporary, targetStatus.permissions(), ec);  // best effort
        fs::rename(temporary, target, ec);
        if (ec) {
            const std::string reason = ec.message();
            fs::remove(temporary, ec);
            return reason;
        }
        return {};
    }
    return "no free name for the temporary file beside it";
}

Failure SaveSettings(const std::string& path, const SettingsFile& file, const SettingsValues& values) {
    const std::string reason = ReplaceFileText(path, SettingsText(file, values));
    if (reason.empty()) return {};
    return Failure{FailureKind::WriteFile, kStatusFail, "the settings could not be saved in " + path + ": " + reason};
}

}  // namespace talan
