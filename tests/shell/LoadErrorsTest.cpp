// The read error's message: its fixed first line, then the file and why, in the
// language of the menus for the viewer and in English on the command line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "shell/InfoCommand.h"
#include "shell/LoadErrors.h"
#include "shell/ShellState.h"

namespace talan {
namespace {

SceneReadResult Failed(ReadProblem problem, int64_t line = 0, int systemError = 0) {
    SceneReadResult read;
    read.problem = problem;
    read.line = line;
    read.systemError = systemError;
    return read;
}

TEST(LoadErrors, TheFirstLineIsTheReadErrorThenTheFileAndWhyInEitherLanguage) {
    struct Case {
        SceneReadResult read;
        int32_t status;
        const char* spanish;
        const char* english;
    };
    const Case cases[] = {
        {Failed(ReadProblem::NotFound), kStatusFail, "no existe.", "not found."},
        {Failed(ReadProblem::Folder), kStatusFail, "es una carpeta.", "it is a folder."},
        {Failed(ReadProblem::NoPermission), kStatusFail, "no hay permiso para leerlo.", "no permission to read it."},
        {Failed(ReadProblem::Empty), kStatusFail, "el fichero está vacío.", "the file is empty."},
        {Failed(ReadProblem::NoSignature), kStatusFail,
         "no es un fichero de escena: la línea 1 no lleva la firma \"Tavrin\".",
         "not a scene file: line 1 does not carry the \"Tavrin\" signature."},
        {Failed(ReadProblem::CountRefused, 1234567890123), kStatusFail,
         "línea 1234567890123: se rechaza el número de elementos de la sección (negativo, o más vértices de los que "
         "caben en una escena).",
         "line 1234567890123: the section's element count is refused (negative, or more vertices than a scene "
         "holds)."},
        {Failed(ReadProblem::CutShort, 50006), kStatusFail,
         "otro programa acortó el fichero mientras se leía; ahora acaba en la línea 50006.",
         "another program cut the file short while it was read; it now ends at line 50006."},
        {Failed(ReadProblem::OutOfMemory, 12), kStatusFail, "línea 12: no hay memoria para la sección.",
         "line 12: out of memory for the section."},
        {Failed(ReadProblem::OutOfMemory), kStatusFail, "memoria insuficiente.", "out of memory."},
        {Failed(ReadProblem::SystemError, 0, ELOOP), kStatusFail,
         "no se puede leer: Too many levels of symbolic links.", "cannot be read: Too many levels of symbolic links."},
        // Read in full, then nothing to draw, or a vertex buffer the device refused.
        {SceneReadResult{.read = true}, kStatusInvalidArg, "no hay nada que dibujar: la escena no tiene ningún vértice.",
         "nothing to draw: the scene holds no vertex."},
        {SceneReadResult{.read = true}, static_cast<int32_t>(0x8007000Eu),
         "no se pudo crear el búfer de vértices (0x8007000E).", "the vertex buffer could not be made (0x8007000E)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        EXPECT_EQ(LoadFailureText("/pits/Año 3.KDX", c.read, c.status, kLanguageSpanish),
                  std::string("Error en la lectura del fichero.\n/pits/Año 3.KDX: ") + c.spanish);
        const std::string english = std::string("Error en la lectura del fichero.\n/pits/Año 3.KDX: ") + c.english;
        EXPECT_EQ(LoadFailureText("/pits/Año 3.KDX", c.read, c.status, kLanguageEnglish), english);
        EXPECT_EQ(LoadFailureText("/pits/Año 3.KDX", c.read, c.status, 7), english) << "any other language";
    }
    // A name that is not UTF-8 is shown as the file's bytes would be in the name of an object.
    EXPECT_EQ(LoadFailureText("A\xF1o.KDX", Failed(ReadProblem::NotFound), kStatusFail, kLanguageEnglish),
              "Error en la lectura del fichero.\nA\xC3\xB1o.KDX: not found.");
}

// Runs --info in the process; its exit status, standard output and standard error.
struct InfoRun {
    int status;
    std::string out, err;
};
InfoRun RunInfo(const std::vector<std::string>& files, bool json) {
    CommandLine line;
    line.mode = Mode::Info;
    line.files = files;
    line.json = json;
    char* outText = nullptr;
    char* errText = nullptr;
    size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    const int status = RunInfoCommand(line, out, err);
    std::fclose(out);
    std::fclose(err);
    InfoRun run{status, std::string(outText, outSize), std::string(errText, errSize)};
    std::free(outText);
    std::free(errText);
    return run;
}

TEST(LoadErrors, InfoSaysWhyEachFileFailedAndShowsNoBoundsWhenNothingGaveAny) {
    const testing::TempFolder dir;
    const std::string missing = dir.path + "/missing.KDX", empty = dir.Write("empty.KDX", "");
    const std::string refused = dir.Write("refused.KDX", "\"Tavrin\"\n\n" + testing::TagLine("T3", -1));
    const InfoRun table = RunInfo({missing, empty, refused}, false);
    EXPECT_EQ(table.status, 1);
    EXPECT_EQ(table.err, "talan3d: Error en la lectura del fichero.\n" + missing + ": not found.\n" +
                             "talan3d: Error en la lectura del fichero.\n" + empty + ": the file is empty.\n" +
                             "talan3d: Error en la lectura del fichero.\n" + refused +
                             ": line 3: the section's element count is refused (negative, or more vertices than a "
                             "scene holds).\n");
    EXPECT_NE(table.out.find("\nBounds: none, no file gave any\nCamera: not fitted\n"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find("e+12"), std::string::npos) << "the starting values are no bounds";
    // The JSON document keeps its fields.
    const InfoRun json = RunInfo({missing}, true);
    EXPECT_NE(json.out.find("\"boundsMin\": [1e+12, 1e+12, 1e+12], \"boundsMax\": [-1e+12, -1e+12, -1e+12]"), std::string::npos) << json.out;
    // A file that gives bounds shows them.
    const InfoRun good = RunInfo({missing, dir.Write("good.KDX", testing::kExampleScene)}, false);
    EXPECT_NE(good.out.find("Bounds (x, y, z), declared by the file:\n  min 990 1990 290\n  max 1010 2010 310\n"),
              std::string::npos)
        << good.out;
}

}  // namespace
}  // namespace talan
