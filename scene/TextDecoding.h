// Object names are 8-bit text as written by whatever made the scene file: UTF-8
// from current tools, Windows-1252 from older ones. The raw bytes stay in the scene
// model; this turns them into UTF-8 for display.
#pragma once

#include <string>
#include <string_view>

namespace talan {

bool IsValidUtf8(std::string_view bytes);

// UTF-8 when the bytes are valid UTF-8, otherwise each byte read as Windows-1252.
std::string DecodeNameForDisplay(std::string_view raw);

}  // namespace talan
