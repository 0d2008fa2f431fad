#include "shell/Texts.h"

#include "shell/ShellState.h"

namespace talan {

namespace {

// One table, written once with each text in both languages side by side: Spanish
// first, then English. A member left out of it stays null, which the tests catch.
constexpr Texts MakeTexts(bool spanish) {
    const auto t = [spanish](const char* inSpanish, const char* inEnglish) { return spanish ? inSpanish : inEnglish; };
    // A text that is the same in both languages.
    const auto both = [](const char* text) { return text; };
    Texts texts{};
    texts.menu = {
        .file = t("Archivo", "File"),
        .newScene = t("Nuevo", "New"),
        .openAdd = t("Abrir (Añadir)", "Open (Add)"),
        .smoothOnOpen = t("Suavizar T3 al abrir", "Smooth T3 wend open"),
        .end = t("Salir", "End"),
        .objects = t("Objetos", "Objects"),
        .kinds = {both("T3"), t("Líneas", "Lines"), t("Superficies", "Surfaces"), t("Bloques", "Blocks"),
                  t("Puntos", "Points"), t("Sondeos", "D.Holes")},
        .view = t("Ver", "View"),
        .smoothActives = t("Suavizar T3 activos", "Smooth T3 actives"),
        .transparent = t("Transparente", "Transparent"),
        .solidFace = t("Cara Sólida", "Sólid face"),
        .autoTurn = t("Modo autogiro", "Mode auto-turn"),
        .frontFace = t("Cara Delantera", "Front face"),
        .backFace = t("Cara Trasera", "Back face"),
        .objectsPanel = t("Panel de objetos", "Objects panel"),
        .setup = t("Configuración", "Setup"),
        .backColour = t("Color del Fondo", "Back color"),
        .language = t("Idioma", "Language"),
        .antialiased = both("Antialiased"),
        .spanish = t("Español", "Spanish"),
        .english = t("Ingles", "English"),
        .help = both("?"),
        .helpEntry = t("Ayuda", "Help"),
        .about = t("Acerca de...", "About..."),
        .section = t("Sección", "Section"),
        .sectionAxis = {t("Según X", "Across X"), t("Según Y", "Across Y"), t("Según Z", "Across Z")},
        .sectionForward = t("Avanzar", "Forward"),
        .sectionBack = t("Retroceder", "Back"),
        .sectionThicker = t("Más gruesa", "Thicker"),
        .sectionThinner = t("Más fina", "Thinner"),
        .sectionRemove = t("Quitar", "Remove"),
        .lookAlong = t("Mirar a lo largo", "Look along"),
        .measure = t("Medir", "Measure"),
        .copyResult = t("Copiar el resultado", "Copy the result"),
        .standardViews = t("Vistas estándar", "Standard views"),
        .standardView = {t("Planta", "Plan view"), t("Mirar al norte", "Look north"), t("Mirar al sur", "Look south"),
                         t("Mirar al este", "Look east"), t("Mirar al oeste", "Look west")},
        .exaggeration = t("Exageración vertical", "Vertical exaggeration"),
        .exaggerationUp = t("Aumentar", "Increase"),
        .exaggerationDown = t("Reducir", "Decrease"),
        .exaggerationFactor = both("×%g"),
        .savedViews = t("Vistas guardadas", "Saved views"),
        .savedViewEntry = t("%d  rumbo %.0f, inclinación %.0f, ×%g", "%d  yaw %.0f, pitch %.0f, ×%g"),
        .savedViewEmpty = t("%d  (vacía)", "%d  (empty)"),
        .saveView = t("Guardar la vista como", "Save the view as"),
        .followChanges = t("Seguir los cambios", "Follow changes"),
        .overlay = t("Ejes y escala", "Axes and scale"),
        .colourBy = t("Colorear por", "Colour by"),
        .ownColours = t("Colores propios", "Own colours"),
        .colourMap = t("Mapa de colores", "Colour map"),
    };
    texts.panel = {
        .name = t("Nombre", "Name"),
        .kind = t("Tipo", "Kind"),
        .elements = t("Elementos", "Elements"),
        .filter = t("Filtrar por nombre o tipo", "Filter by name or kind"),
        .colourBy = t("Colorear por:", "Colour by:"),
    };
    texts.dialogs = {
        .aboutCaption = t("Acerca de", "About"),
        .aboutVersion = both("Talan3D Version 1.0"),
        .aboutOk = both("OK"),
        .errorCaption = both("Error"),
    };
    texts.help = {
        .caption = t("Ayuda", "Help"),
        .text = t("Boton pulsado:\n - Izquierdo = giramos los objetos \n - Derecho = movemos los objetos\n"
                  " - Rueda central = acercamos o alejamos objetos\nBoton pulsado + CONTROL:\n"
                  " - Izquierdo = cambiamos la direccion dela luz\n"
                  " - Rueda central = modifica la intensidad de la luz\n"
                  "Boton pulsado + MAYUSCULAS:\n - Derecho = acercamos o alejamos los objetos suavemente\n"
                  " - Rueda central = modificamos grado de transparencia (en modo transparente)\n"
                  "Teclas:\n - X, Y, Z = corte según ese eje (la misma tecla o Retroceso lo quita)\n"
                  " - RePág, AvPág = movemos el corte; +, - = doble o mitad de espesor\n"
                  " - L = miramos a lo largo del corte\n"
                  " - P = vista en planta, con el norte arriba; N, S, E, W = miramos en horizontal al norte, sur, "
                  "este u oeste\n"
                  " - Clic = el punto bajo el cursor; M = medimos entre dos puntos; Ctrl+C = copiamos el resultado\n"
                  " - F9 = panel de objetos: escribimos para filtrar, Abajo a la lista, Espacio cambia los "
                  "seleccionados (o el actual)\n"
                  " - Ctrl+Arriba, Ctrl+Abajo = más o menos exageración vertical\n"
                  " - Ctrl+1 … Ctrl+9 = guardamos la vista; 1 … 9 = la recuperamos",
                  "Button down:\n - Left = turn the objects \n - Right = move the objects\n - Central roll = zoom\n"
                  "Button down + CONTROL:\n - Left = change the light direction \n"
                  " - Central roll = change the light intensity\n"
                  "Button down + SHIFT:\n - Right = slowly zoom\n"
                  " - Central rool = change the intensity of the transparency (in transparent mode)\n"
                  "Keys:\n - X, Y, Z = section across that axis (the same key or Backspace removes it)\n"
                  " - Page Up, Page Down = move the section; +, - = double or halve its thickness\n"
                  " - L = look along the section\n"
                  " - P = plan view, north up; N, S, E, W = look level towards north, south, east or west\n"
                  " - Click = the point under the cursor; M = measure between two points; Ctrl+C = copy the result\n"
                  " - F9 = objects panel: type to filter, Down to the list, Space switches the selected ones (or the "
                  "current one)\n"
                  " - Ctrl+Up, Ctrl+Down = more or less vertical exaggeration\n"
                  " - Ctrl+1 … Ctrl+9 = save the view; 1 … 9 = bring it back"),
        .languageCaption = t("Aviso", "Notice"),
        .languageNotice = t("Para actualizar el idioma hay que reiniciar el programa.",
                            "To update the language you have to restart the program."),
    };
    texts.status = {
        .section = t("Sección según %s = %.2f, espesor %.2f", "Section across %s = %.2f, %.2f thick"),
        .sectionEmpty = t(" (nada visible en ella)", " (nothing visible in it)"),
        .pickPoint = t("Punto %.2f, %.2f, %.2f: objeto %zu", "Point %.2f, %.2f, %.2f: object %zu"),
        .pickElement = both("(%s), %s %lld"),
        .elementWords = {t("triángulo", "triangle"), t("segmento", "segment"), t("segmento", "segment"),
                         t("bloque", "block"), t("punto", "point"), t("tramo", "interval")},
        .measureFirst = t("Medir: pulse el primer punto", "Measure: click the first point"),
        .measureSecond = t("Medir: pulse el segundo punto", "Measure: click the second point"),
        .measured = t("Medida: inclinada %.2f, horizontal %.2f, dz %.2f, azimut %.2f°, buzamiento %.2f°",
                      "Measured: slope %.2f, horizontal %.2f, dz %.2f, azimuth %.2f°, dip %.2f°"),
        .exaggeration = t("Exageración ×%g", "Exaggeration ×%g"),
        .viewSaved = t("Vista guardada como %d", "View saved as %d"),
        .noSavedView = t("Ninguna vista guardada como %d", "No view saved as %d"),
    };
    texts.loadErrors = {
        .readError = both("Error en la lectura del fichero."),
        // Why the file could not be read at all.
        .notFound = t("no existe.", "not found."),
        .folder = t("es una carpeta.", "it is a folder."),
        .noPermission = t("no hay permiso para leerlo.", "no permission to read it."),
        .notAFile = t("no es un fichero normal (es un dispositivo o una tubería).",
                      "not a regular file (a device or a pipe)."),
        .empty = t("el fichero está vacío.", "the file is empty."),
        .noSignature = t("no es un fichero de escena: la línea 1 no lleva la firma \"Tavrin\".",
                         "not a scene file: line 1 does not carry the \"Tavrin\" signature."),
        .outOfMemory = t("memoria insuficiente.", "out of memory."),
        .systemError = t("no se puede leer: %s.", "cannot be read: %s."),
        // What stopped the read at a line of the file.
        .countRefused = t("línea %lld: se rechaza el número de elementos de la sección (negativo, o más vértices de "
                          "los que caben en una escena).",
                          "line %lld: the section's element count is refused (negative, or more vertices than a "
                          "scene holds)."),
        .outOfMemoryAtLine = t("línea %lld: no hay memoria para la sección.",
                               "line %lld: out of memory for the section."),
        .cutShort = t("otro programa acortó el fichero mientras se leía; ahora acaba en la línea %lld.",
                      "another program cut the file short while it was read; it now ends at line %lld."),
        // Read in full, yet nothing could be drawn.
        .nothingToDraw = t("no hay nada que dibujar: la escena no tiene ningún vértice.",
                           "nothing to draw: the scene holds no vertex."),
        .vertexBufferFailed = t("no se pudo crear el búfer de vértices (0x%08X).",
                                "the vertex buffer could not be made (0x%08X)."),
        .notATable = t("no es una tabla de sondeos: la primera línea no nombra las columnas de collares (sondeo, "
                       "X, Y, Z), de desviaciones (sondeo, profundidad, azimut, buzamiento) ni de tramos (sondeo, "
                       "FROM, TO).",
                       "not a drill-hole table: its first line names neither collar columns (hole id, X, Y, Z), "
                       "survey columns (hole id, depth, azimuth, dip) nor interval columns (hole id, FROM, TO)."),
        .noCollarTable = t("es una tabla de desviaciones o de tramos, abierta sin una tabla de collares que sitúe "
                           "sus sondeos; ábrala junto con la de collares.",
                           "a survey or interval table, opened without a collar table to place its holes; open "
                           "it together with the collar table."),
        .noObjects = t("el fichero GOCAD no tiene ningún objeto con algo que dibujar.",
                       "the GOCAD file holds no object with anything to draw."),
    };
    texts.skippedRows = {
        .caption = t("Filas omitidas", "Rows skipped"),
        .heading = t("Se omitieron %zu filas; el resto se leyó:", "%zu rows were skipped; the rest was read:"),
        .row = t("%s, línea %lld: %s", "%s, line %lld: %s"),
        .more = t("… y %zu más", "… and %zu more"),
        .faults = {t("sondeo sin collar", "hole without a collar"),
                   t("collar repetido", "collar given twice"),
                   t("FROM no es menor que TO", "FROM is not below TO"),
                   t("el tramo se solapa con el anterior", "the interval overlaps the one before"),
                   t("un campo no es un número", "a field is not a number"),
                   t("faltan campos", "fields missing"),
                   t("nombra un vértice que no existe", "names a vertex that does not exist"),
                   t("vértice sin identificador o sin tres coordenadas", "a vertex without an id and three "
                     "coordinates")},
    };
    texts.viewer = {
        .contextFailed = both("Error en CreateOpenGLContext failed with error %d: %s"),
        .contextDrivers = t("Error en CreateOpenGLContext, posiblemente necesites intalar/actualizar los drivers de "
                            "OpenGL 3.3, mira sugerencias en %s",
                            "Error in CreateOpenGLContext, may need to install/ update OpenGL 3.3 drivers, see %s "
                            "comments"),
        .effectFileMissing = both("The FX file cannot be located.  Please run this executable from the directory "
                                  "that contains the FX file."),
    };
    texts.reload = {
        .question = t("%s ha cambiado en el disco. ¿Volver a cargarlo?", "%s changed on disk. Reload it?"),
        .caption = t("Fichero cambiado", "File changed"),
        .failed = t("No se pudo volver a cargar %s: %s; se mantiene la escena mostrada",
                    "Could not reload %s: %s; keeping the scene shown"),
    };
    return texts;
}

constexpr Texts kSpanish = MakeTexts(true);
constexpr Texts kEnglish = MakeTexts(false);

}  // namespace

const Texts& TextsFor(uint32_t language) { return language == kLanguageSpanish ? kSpanish : kEnglish; }

}  // namespace talan
