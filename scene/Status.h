// How failures travel. Windows-style status codes (0 for success, negative for
// failure) go from a load or a graphics step to whoever shows the message; a
// Failure carries what kind of thing failed with its message, so that the caller
// chooses what to show, or the exit status, from the kind and never from the text.
#pragma once

#include <cstdint>
#include <string>

namespace talan {

inline constexpr int32_t kStatusOk = 0;
inline constexpr int32_t kStatusFail = static_cast<int32_t>(0x80004005u);        // not a scene file, a refused section
inline constexpr int32_t kStatusInvalidArg = static_cast<int32_t>(0x80070057u);  // a 0-byte vertex buffer
inline constexpr int32_t kStatusFileNotFound = static_cast<int32_t>(0x80070002u);
inline constexpr int32_t kStatusOutOfMemory = static_cast<int32_t>(0x8007000Eu);

enum class FailureKind {
    None,
    Usage,              // the command line asks for something that is not there
    NoDisplay,          // there is no display to open the viewer window on
    SceneFile,          // a scene file could not be read
    NoContext,          // no OpenGL 3.3 core context could be had
    EffectFileMissing,  // the effect file could not be opened
    EffectFile,         // the effect file cannot be used: its format, a compile or a link error
    Graphics,           // another graphics step failed
    WriteFile,          // a file could not be written
};

struct [[nodiscard]] Failure {
    FailureKind kind = FailureKind::None;
    int32_t status = kStatusOk;  // the failed step's status code, where it has one
    std::string message;         // what failed, for people: a sentence, or a compiler's log after one

    bool Failed() const { return kind != FailureKind::None; }
};

}  // namespace talan
