#include "shell/JsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace talan {

namespace {

template <typename Number>
std::string Shortest(Number value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

template <typename Number>
std::string Json(Number value) {
    const std::string text = Shortest(value);
    return std::isfinite(value) ? text : "\"" + text + "\"";
}

}  // namespace

std::string FormatNumber(float value) { return Shortest(value); }
std::string FormatNumber(double value) { return Shortest(value); }
std::string JsonNumber(float value) { return Json(value); }
std::string JsonNumber(double value) { return Json(value); }

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", b);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace talan
