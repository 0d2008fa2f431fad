// Numbers and strings written for people and for JSON readers alike.
#pragma once

#include <string>
#include <string_view>

namespace talan {

// The shortest decimal that reads back as the same number; "NaN", "Infinity" and
// "-Infinity" for the values without one.
std::string FormatNumber(float value);
std::string FormatNumber(double value);

// The same as a JSON value: the three special values as strings.
std::string JsonNumber(float value);
std::string JsonNumber(double value);

// A JSON string of UTF-8 text.
std::string JsonString(std::string_view utf8);

}  // namespace talan
