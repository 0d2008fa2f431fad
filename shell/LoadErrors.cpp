#include "shell/LoadErrors.h"

#include <cstdio>
#include <cstring>

#include "scene/TextDecoding.h"
#include "shell/ShellState.h"

namespace talan {

namespace {

struct Reason {
    const char* spanish;
    const char* english;
};

// Each problem's words; "%L" stands for the line number, "%E" for the system's text.
Reason ReasonOf(const SceneReadResult& read) {
    switch (read.problem) {
        case ReadProblem::NotFound: return {"no existe.", "not found."};
        case ReadProblem::Folder: return {"es una carpeta.", "it is a folder."};
        case ReadProblem::NoPermission: return {"no hay permiso para leerlo.", "no permission to read it."};
        case ReadProblem::NotAFile:
            return {"no es un fichero normal (es un dispositivo o una tubería).",
                    "not a regular file (a device or a pipe)."};
        case ReadProblem::Empty: return {"el fichero está vacío.", "the file is empty."};
        case ReadProblem::NoSignature:
            return {"no es un fichero de escena: la línea 1 no lleva la firma \"Tavrin\".",
                    "not a scene file: line 1 does not carry the \"Tavrin\" signature."};
        case ReadProblem::CountRefused:
            return {"línea %L: se rechaza el número de elementos de la sección (negativo, o más vértices de los que "
                    "caben en una escena).",
                    "line %L: the section's element count is refused (negative, or more vertices than a scene "
                    "holds)."};
        case ReadProblem::OutOfMemory:
            if (read.line > 0) {
                return {"línea %L: no hay memoria para la sección.", "line %L: out of memory for the section."};
            }
            return {"memoria insuficiente.", "out of memory."};
        case ReadProblem::CutShort:
            return {"otro programa acortó el fichero mientras se leía; ahora acaba en la línea %L.",
                    "another program cut the file short while it was read; it now ends at line %L."};
        case ReadProblem::SystemError: return {"no se puede leer: %E.", "cannot be read: %E."};
        case ReadProblem::None: break;
    }
    return {"", ""};
}

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    if (const size_t at = text.find(what); at != std::string::npos) text.replace(at, what.size(), with);
    return text;
}

}  // namespace

std::string LoadFailureText(const std::string& path, const SceneReadResult& read, int32_t status,
                            uint32_t language) {
    const bool spanish = language == kLanguageSpanish;
    std::string reason;
    if (read.problem != ReadProblem::None) {
        const Reason words = ReasonOf(read);
        reason = Replace(spanish ? words.spanish : words.english, "%L", std::to_string(read.line));
        reason = Replace(reason, "%E", std::strerror(read.systemError));
    } else if (status == kStatusInvalidArg) {
        // Read in full, yet no vertex at all: the vertex buffer cannot be made.
        reason = spanish ? "no hay nada que dibujar: la escena no tiene ningún vértice."
                         : "nothing to draw: the scene holds no vertex.";
    } else {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<uint32_t>(status));
        reason = (spanish ? "no se pudo crear el búfer de vértices (" : "the vertex buffer could not be made (") +
                 std::string(code) + ").";
    }
    return std::string(kReadErrorText) + "\n" + DecodeNameForDisplay(path) + ": " + reason;
}

}  // namespace talan
