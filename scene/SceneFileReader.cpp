#include "scene/SceneFileReader.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "scene/LargeAllocation.h"
#include "scene/NumberParsing.h"
#include "scene/SectionReaders.h"
#include "scene/SceneStream.h"

namespace talan {

namespace {

constexpr std::string_view kSignature = "Tavrin";

bool HasAt(std::string_view line, size_t position, std::string_view text) {
    return line.size() >= position + text.size() && line.substr(position, text.size()) == text;
}

// A tag line spells one of the six tags from position 10; the first match wins.
bool MatchTag(std::string_view line, ObjectKind& kind) {
    static constexpr ObjectKind kOrder[kObjectKindCount] = {ObjectKind::T3,     ObjectKind::LIN, ObjectKind::SUP,
                                                            ObjectKind::BLKKDX, ObjectKind::PTS, ObjectKind::SONKDX};
    for (ObjectKind candidate : kOrder) {
        if (HasAt(line, 10, ObjectKindTag(candidate))) {
            kind = candidate;
            return true;
        }
    }
    return false;
}

// The lines that end a run of skipped lines: a double quotation mark first, or the
// signature's first three letters at positions 1, 2 or 3.
bool IsHeaderLine(std::string_view line) {
    return (line.size() > 0 && line[0] == '"') || (line.size() > 1 && line[1] == kSignature[0]) ||
           (line.size() > 2 && line[2] == kSignature[1]) || (line.size() > 3 && line[3] == kSignature[2]);
}

ReadProblem ReadSection(SectionContext& ctx, ObjectKind kind) {
    switch (kind) {
        case ObjectKind::T3: return ReadTriangulatedSurfaceSection(ctx);
        case ObjectKind::LIN: return ReadLineSection(ctx);
        case ObjectKind::SUP: return ReadSurfaceSection(ctx);
        case ObjectKind::BLKKDX: return ReadBlockModelSection(ctx);
        case ObjectKind::PTS: return ReadPointsSection(ctx);
        case ObjectKind::SONKDX: return ReadDrillHoleSection(ctx);
    }
    return ReadProblem::None;
}

// The line of `text` that `at` lies on, counted from 1.
int64_t LineAt(std::string_view text, const char* at) { return 1 + std::count(text.data(), at, '\n'); }

// The MAX block: three lines "largest,smallest" for x, y and z. They only ever widen
// the bounds, so an Open (Add) keeps what the scene held.
void ReadBoundsBlock(SceneModel& scene, SceneStream& s) {
    for (int axis = 0; axis < 3; ++axis) {
        const float largest = NarrowToFloat(ParseDoubleLikeAtof(ReadField(s)));
        const float smallest = NarrowToFloat(ParseDoubleLikeAtof(ReadRestOfLine(s)));
        if (largest > scene.boundsMax[axis]) scene.boundsMax[axis] = largest;
        if (smallest < scene.boundsMin[axis]) scene.boundsMin[axis] = smallest;
    }
}

}  // namespace

SceneReadResult ReadSceneText(SceneModel& scene, std::string_view text, SceneLoadObserver* observer, int workers) {
    SceneLoadObserver silent;
    if (observer == nullptr) observer = &silent;
    // An empty file carries no signature (and an empty view may have no storage,
    // which memchr must never be given).
    SceneReadResult result;
    if (text.empty()) {
        result.problem = ReadProblem::Empty;
        return result;
    }
    SceneStream stream = MakeSceneStream(text);
    std::string_view currentLine = ReadRestOfLine(stream);
    if (!HasAt(currentLine, 1, kSignature)) {
        result.problem = ReadProblem::NoSignature;
        return result;
    }
    result.read = true;

    scene.boundsFromFile = false;
    if (HasAt(currentLine, 10, "MAX")) {
        scene.boundsFromFile = true;
        ReadBoundsBlock(scene, stream);
        currentLine = ReadRestOfLine(stream);
    }

    while (!stream.eof) {
        ObjectKind kind;
        if (MatchTag(currentLine, kind)) {
            SectionContext ctx{scene, stream, currentLine, observer, workers};
            if (const ReadProblem refused = ReadSection(ctx, kind); refused != ReadProblem::None) {
                result.sectionRefused = true;
                if (result.problem == ReadProblem::None) {
                    result.problem = refused;
                    result.line = LineAt(text, currentLine.data());
                }
            }
            currentLine = ReadRestOfLine(stream);
        } else {
            // Skip up to the next header line; a line that ends the file unterminated
            // is never examined.
            currentLine = ReadRestOfLine(stream);
            if (stream.eof) break;
            while (!IsHeaderLine(currentLine)) {
                currentLine = ReadRestOfLine(stream);
                if (stream.eof) break;
            }
        }
        scene.objectCount = CountObjects(scene);
    }
    scene.objectCount = CountObjects(scene);
    return result;
}

namespace {

// Reading a mapped page that another program has cut off the file meanwhile raises
// SIGBUS. While a file is mapped for reading, the handler puts a page of zeros in the
// lost page's place and notes it, so that the read goes on to its end and the load
// fails instead of the program. Faults anywhere else go to the handler that was there
// before. One file is mapped at a time.
struct MappedScene {
    std::atomic<const char*> begin{nullptr};
    std::atomic<size_t> size{0};
    std::atomic<bool> cut{false};
    std::atomic<uintptr_t> firstLostPage{UINTPTR_MAX};  // the lowest page replaced by zeros
    size_t pageSize = 4096;
    struct sigaction previous {};
};
MappedScene gMapped;
std::mutex gMappedMutex;

void OnBusError(int, siginfo_t* info, void*) {
    const char* at = static_cast<const char*>(info->si_addr);
    const char* begin = gMapped.begin.load();
    if (begin != nullptr && at >= begin && at < begin + gMapped.size.load()) {
        const auto page = reinterpret_cast<uintptr_t>(at) & ~static_cast<uintptr_t>(gMapped.pageSize - 1);
        if (mmap(reinterpret_cast<void*>(page), gMapped.pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED,
                 -1, 0) != MAP_FAILED) {
            uintptr_t lowest = gMapped.firstLostPage.load();
            while (page < lowest && !gMapped.firstLostPage.compare_exchange_weak(lowest, page)) {
            }
            gMapped.cut.store(true);
            return;
        }
    }
    // Not ours: the instruction faults again under the handler that was there before.
    sigaction(SIGBUS, &gMapped.previous, nullptr);
}

// Notes that the file was shortened while it was read and now ends at `end`: the
// load fails, with the line where the file now ends unless an earlier line failed.
void NoteCutShort(SceneReadResult& result, std::string_view text, const char* end) {
    const int64_t line = LineAt(text, end);
    result.cutShort = true;
    if (result.problem == ReadProblem::None || result.problem == ReadProblem::NoSignature || result.line > line) {
        result.problem = ReadProblem::CutShort;
        result.line = line;
    }
}

// The file's size now, or `size` when it cannot be told.
size_t SizeNow(int fd, size_t size) {
    struct stat info {};
    return fstat(fd, &info) == 0 && info.st_size >= 0 ? static_cast<size_t>(info.st_size) : size;
}

// Reads the text of a mapped file; the mapping replaces a copy of the file in memory.
// A file shortened within its last page raises no fault: its size afterwards tells.
SceneReadResult ReadMappedScene(SceneModel& scene, int fd, const char* text, size_t size,
                                SceneLoadObserver* observer, int workers) {
    const std::lock_guard<std::mutex> lock(gMappedMutex);
    gMapped.pageSize = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    gMapped.cut = false;
    gMapped.firstLostPage = UINTPTR_MAX;
    gMapped.size = size;
    gMapped.begin = text;
    struct sigaction handler {};
    handler.sa_sigaction = OnBusError;
    handler.sa_flags = SA_SIGINFO;
    sigemptyset(&handler.sa_mask);
    sigaction(SIGBUS, &handler, &gMapped.previous);
    SceneReadResult result = ReadSceneText(scene, std::string_view(text, size), observer, workers);
    const size_t sizeNow = SizeNow(fd, size);
    if (gMapped.cut || sizeNow < size) {
        // The file ends where it now ends, or at the first page found lost if it grew
        // again; the handler is still in place while the lines up to there are counted.
        const char* end = text + std::min(sizeNow, size);
        const uintptr_t lost = gMapped.firstLostPage.load();
        if (lost < reinterpret_cast<uintptr_t>(end)) end = reinterpret_cast<const char*>(lost);
        NoteCutShort(result, std::string_view(text, size), end);
    }
    sigaction(SIGBUS, &gMapped.previous, nullptr);
    gMapped.begin = nullptr;
    return result;
}

// Reads the whole file behind `fd` into memory, for files that cannot be mapped; null,
// with the reason in `failed`, when it cannot.
char* ReadWholeFile(int fd, size_t capacity, size_t& size, SceneReadResult& failed) {
    char* data = static_cast<char*>(AllocateLarge(capacity));
    if (data == nullptr) {
        failed.problem = ReadProblem::OutOfMemory;
        return nullptr;
    }
    constexpr size_t kChunk = size_t{8} << 20;
    size = 0;
    while (size < capacity) {
        const ssize_t got = read(fd, data + size, std::min(kChunk, capacity - size));
        if (got == 0) break;  // the file shrank meanwhile: read what is there
        if (got < 0) {
            if (errno == EINTR) continue;
            failed.problem = ReadProblemOfError(errno);
            failed.systemError = errno;
            FreeLarge(data);
            return nullptr;
        }
        size += static_cast<size_t>(got);
    }
    return data;
}

}  // namespace

ReadProblem ReadProblemOfError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return ReadProblem::NotFound;
        case EACCES:
        case EPERM: return ReadProblem::NoPermission;
        case EISDIR: return ReadProblem::Folder;
        case ENOMEM: return ReadProblem::OutOfMemory;
        default: return ReadProblem::SystemError;
    }
}

int OpenFileToRead(const std::string& path, size_t& size, SceneReadResult& failed) {
    const auto systemFailure = [&failed](int error) {
        failed.problem = ReadProblemOfError(error);
        failed.systemError = error;
        return -1;
    };
    // Opened without blocking: a FIFO with no writer would otherwise hold the open
    // for ever, before the regular-file check can turn it away. Regular files ignore
    // the flag. Devices and pipes could go on for ever and are refused.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return systemFailure(errno);
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        const int error = errno;
        close(fd);
        return systemFailure(error);
    }
    if (!S_ISREG(info.st_mode) || info.st_size <= 0) {
        close(fd);
        failed.problem = S_ISDIR(info.st_mode)   ? ReadProblem::Folder
                         : S_ISREG(info.st_mode) ? ReadProblem::Empty
                                                 : ReadProblem::NotAFile;
        return -1;
    }
    size = static_cast<size_t>(info.st_size);
    return fd;
}

SceneReadResult ReadSceneFile(SceneModel& scene, const std::string& path, SceneLoadObserver* observer, int workers) {
    SceneReadResult failed;
    size_t size = 0;
    const int fd = OpenFileToRead(path, size, failed);
    if (fd < 0) return failed;
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped != MAP_FAILED) {
        const SceneReadResult result =
            ReadMappedScene(scene, fd, static_cast<const char*>(mapped), size, observer, workers);
        close(fd);
        munmap(mapped, size);
        return result;
    }
    size_t got = 0;
    char* data = ReadWholeFile(fd, size, got, failed);
    close(fd);
    if (data == nullptr) return failed;
    SceneReadResult result = ReadSceneText(scene, std::string_view(data, got), observer, workers);
    if (got < size) NoteCutShort(result, std::string_view(data, got), data + got);
    FreeLarge(data);
    return result;
}

}  // namespace talan
