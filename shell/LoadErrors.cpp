#include "shell/LoadErrors.h"

#include <cstring>

#include "scene/TextDecoding.h"
#include "shell/Texts.h"

namespace talan {

namespace {

// Why the load failed, in the table's words.
std::string Reason(const LoadErrorTexts& t, const SceneReadResult& read, int32_t status) {
    const long long line = read.line;
    switch (read.problem) {
        case ReadProblem::NotFound: return t.notFound;
        case ReadProblem::Folder: return t.folder;
        case ReadProblem::NoPermission: return t.noPermission;
        case ReadProblem::NotAFile: return t.notAFile;
        case ReadProblem::Empty: return t.empty;
        case ReadProblem::NoSignature: return t.noSignature;
        case ReadProblem::CountRefused: return FormatText(t.countRefused, line);
        case ReadProblem::OutOfMemory: return read.line > 0 ? FormatText(t.outOfMemoryAtLine, line) : t.outOfMemory;
        case ReadProblem::CutShort: return FormatText(t.cutShort, line);
        case ReadProblem::SystemError: return FormatText(t.systemError, std::strerror(read.systemError));
        case ReadProblem::None: break;
    }
    // Read in full, yet no vertex at all: the vertex buffer cannot be made.
    if (status == kStatusInvalidArg) return t.nothingToDraw;
    return FormatText(t.vertexBufferFailed, static_cast<uint32_t>(status));
}

}  // namespace

std::string LoadFailureText(const std::string& path, const SceneReadResult& read, int32_t status,
                            uint32_t language) {
    const LoadErrorTexts& t = TextsFor(language).loadErrors;
    return std::string(t.readError) + "\n" + DecodeNameForDisplay(path) + ": " + Reason(t, read, status);
}

std::string LoadFailureReason(const SceneReadResult& read, int32_t status, uint32_t language) {
    return Reason(TextsFor(language).loadErrors, read, status);
}

}  // namespace talan
