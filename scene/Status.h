// Windows-style status codes: 0 for success, negative for failure. They travel from
// a load or a set-up step to whoever shows the message.
#pragma once

#include <cstdint>

namespace talan {

inline constexpr int32_t kStatusOk = 0;
inline constexpr int32_t kStatusFail = static_cast<int32_t>(0x80004005u);        // not a scene file, a refused section
inline constexpr int32_t kStatusInvalidArg = static_cast<int32_t>(0x80070057u);  // a 0-byte vertex buffer
inline constexpr int32_t kStatusFileNotFound = static_cast<int32_t>(0x80070002u);
inline constexpr int32_t kStatusOutOfMemory = static_cast<int32_t>(0x8007000Eu);

}  // namespace talan
