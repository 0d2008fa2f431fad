#include "shell/LoadErrors.h"

#include <cstring>
#include <iterator>

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
        case ReadProblem::NotATable: return t.notATable;
        case ReadProblem::NoCollarTable: return t.noCollarTable;
        case ReadProblem::NoObjects: return t.noObjects;
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

std::string SkippedRowsText(const std::vector<SkippedRow>& skipped, uint32_t language, size_t listed) {
    const SkippedRowTexts& t = TextsFor(language).skippedRows;
    std::string text = FormatText(t.heading, skipped.size());
    for (size_t i = 0; i < skipped.size() && i < listed; ++i) {
        const SkippedRow& row = skipped[i];
        const auto fault = static_cast<size_t>(row.fault);
        const char* why = fault < std::size(t.faults) ? t.faults[fault] : "?";
        text += "\n" + FormatText(t.row, DecodeNameForDisplay(row.file).c_str(), static_cast<long long>(row.line), why);
    }
    if (skipped.size() > listed) text += "\n" + FormatText(t.more, skipped.size() - listed);
    return text;
}

std::string LoadFailureReason(const SceneReadResult& read, int32_t status, uint32_t language) {
    return Reason(TextsFor(language).loadErrors, read, status);
}

}  // namespace talan
