#include "scene/DelimitedText.h"

#include <charconv>
#include <cstring>
#include <system_error>

#include "scene/NumberParsing.h"
#include "scene/TextDecoding.h"

namespace talan {

namespace {

// Spaces around a field that mean nothing: blanks, the CR of a CR LF line end, and
// tabs where the tab does not separate fields.
bool IsPadding(char c, char separator) { return c == ' ' || c == '\r' || (c == '\t' && separator != '\t'); }

bool EqualsIgnoringCase(std::string_view field, std::string_view upper) {
    if (field.size() != upper.size()) return false;
    for (size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i]) return false;
    }
    return true;
}

// from_chars over what follows an optional sign, which must not be a second sign.
bool ParseGeneral(const char* p, const char* end, bool negative, double& value) {
    if (p == end || *p == '+' || *p == '-') return false;
    double x = 0.0;
    const auto [last, error] = std::from_chars(p, end, x, std::chars_format::general);
    if (last != end) return false;
    // Beyond the double range: infinity or zero, as the C library gives them.
    if (error == std::errc::result_out_of_range)
        x = ParseDoubleLikeAtof(std::string_view(p, static_cast<size_t>(end - p)));
    else if (error != std::errc())
        return false;
    value = negative ? -x : x;
    return true;
}

}  // namespace

std::string_view DelimitedTextAsUtf8(std::string_view text, std::string& storage) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
    if (IsValidUtf8(text)) return text;
    storage = DecodeNameForDisplay(text);
    return storage;
}

char DetectSeparator(std::string_view header) {
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (char c : header) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        commas += c == ',';
        semicolons += c == ';';
        tabs += c == '\t';
    }
    if (semicolons > commas && semicolons >= tabs) return ';';
    if (tabs > commas && tabs > semicolons) return '\t';
    return ',';
}

bool NextRecord(DelimitedCursor& cursor, DelimitedRecord& record) {
    record.fields.clear();
    record.unescaped.clear();
    const char separator = cursor.separator;
    const char* const begin = cursor.text.data();
    const char* const end = begin + cursor.text.size();
    const char* p = begin + cursor.position;

    // Blank lines are no records.
    for (;;) {
        const char* q = p;
        while (q != end && IsPadding(*q, separator)) ++q;
        if (q == end) {
            cursor.position = cursor.text.size();
            return false;
        }
        if (*q != '\n') break;
        p = q + 1;
        ++cursor.line;
    }
    record.line = cursor.line;

    // Fields that held doubled quotes are copied into `unescaped`; their views are made
    // once the record is whole, as the copy may move while it grows.
    record.unescapedSpans.clear();

    for (;;) {
        while (p != end && IsPadding(*p, separator)) ++p;
        if (p != end && *p == '"') {
            const char* start = ++p;
            bool doubled = false;
            const size_t copyStart = record.unescaped.size();
            for (;;) {
                const char* quote = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(end - p)));
                const char* stop = quote == nullptr ? end : quote;
                for (const char* c = p; c != stop; ++c) cursor.line += *c == '\n';
                if (quote != nullptr && quote + 1 != end && quote[1] == '"') {
                    if (!doubled)
                        record.unescaped.append(start, quote + 1);
                    else
                        record.unescaped.append(p, quote + 1);
                    doubled = true;
                    p = quote + 2;
                    continue;
                }
                if (doubled) {
                    record.unescaped.append(p, stop);
                    record.unescapedSpans.push_back(
                        {record.fields.size(), copyStart, record.unescaped.size() - copyStart});
                    record.fields.emplace_back();
                } else {
                    record.fields.emplace_back(start, static_cast<size_t>(stop - start));
                }
                p = quote == nullptr ? end : quote + 1;
                break;
            }
            // Whatever stands between the closing quote and the separator is dropped.
            while (p != end && *p != separator && *p != '\n') ++p;
        } else {
            const char* start = p;
            while (p != end && *p != separator && *p != '\n') ++p;
            const char* stop = p;
            while (stop != start && IsPadding(stop[-1], separator)) --stop;
            record.fields.emplace_back(start, static_cast<size_t>(stop - start));
        }
        if (p == end) break;
        if (*p == '\n') {
            ++p;
            ++cursor.line;
            break;
        }
        ++p;  // the separator
        if (p == end || *p == '\n') {
            // A separator at the end of the line gives one more, empty field.
            record.fields.emplace_back();
            if (p != end) {
                ++p;
                ++cursor.line;
            }
            break;
        }
    }
    cursor.position = static_cast<size_t>(p - begin);

    for (const auto& [field, start, length] : record.unescapedSpans) {
        record.fields[field] = std::string_view(record.unescaped).substr(start, length);
    }
    return true;
}

bool ParseNumberField(std::string_view field, bool decimalComma, double& value) {
    if (field.empty()) return false;
    const char* p = field.data();
    const char* const end = p + field.size();
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    double x = 0.0;
    if (ParsePlainDecimal<true>(p, end, x) == end) {
        value = negative ? -x : x;
        return true;
    }
    if (ParseGeneral(p, end, negative, value)) return true;
    if (!decimalComma) return false;
    // "1,5": the comma taken for the point, when there is exactly one and no point.
    const std::string_view rest(p, static_cast<size_t>(end - p));
    const size_t comma = rest.find(',');
    char buffer[64];
    if (comma == std::string_view::npos || rest.size() > sizeof buffer ||
        rest.find(',', comma + 1) != std::string_view::npos || rest.find('.') != std::string_view::npos) {
        return false;
    }
    std::memcpy(buffer, rest.data(), rest.size());
    buffer[comma] = '.';
    return ParseGeneral(buffer, buffer + rest.size(), negative, value);
}

bool IsMissingValue(std::string_view field) {
    return field.empty() || field == "-" || EqualsIgnoringCase(field, "NA") || EqualsIgnoringCase(field, "N/A") ||
           EqualsIgnoringCase(field, "NULL");
}

}  // namespace talan
