#include "shell/Viewer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

// The renderer's headers bring the GL declarations; Qt's must come after them.
#include "render/EffectFile.h"
#include "render/Graphics.h"
#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"
#include "shell/CommandLine.h"
#include "shell/Commands.h"
#include "shell/QtDialogs.h"
#include "shell/SlabsAndPicks.h"
#include "shell/SceneView.h"
#include "shell/RenderCommand.h"
#include "shell/SceneFileDrop.h"
#include "shell/RecentFiles.h"
#include "shell/SavedViews.h"
#include "shell/Settings.h"
#include "shell/ShellState.h"
#include "shell/Texts.h"
#include "shell/WindowHost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QScreen>
#include <QShortcut>
#include <QSurfaceFormat>

#include <functional>
#include <optional>

// The icon is compiled into the shell's static library, whose resources the linker
// keeps only when something names them.
static void InitShellResources() { Q_INIT_RESOURCE(talan3d); }

namespace talan {

namespace {

constexpr char kSettingsFile[] = "config.cfg";
constexpr uint32_t kDefaultWidth = 1024, kDefaultHeight = 768;

// The records of the running program.
struct Program {
    Records records;
    QtDialogs dialogs;
    SettingsFile settingsFile;  // as read at start-up, written back at shutdown
    SettingsValues settings;
    std::vector<std::string> recentFilesRead;  // recent.cfg as read, rewritten only when the run changed it
};

// The main window keeps the outer rectangle up to date and owns the keys that act
// wherever the focus is.
class MainWindow : public QMainWindow {
public:
    explicit MainWindow(Program& program) : program_(program) {
        // Shortcuts of the window rather than key handlers: the menu bar keeps the
        // keyboard after a menu was used, and keys would no longer reach a handler.
        AddKey(Qt::Key_Escape, [this] {
            centralWidget()->setFocus();  // the menu bar lets the keyboard go
            isFullScreen() ? showNormal() : static_cast<void>(close());
        });
        for (const QKeySequence& keys : {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter),
                                         QKeySequence(Qt::Key_F11)}) {
            AddKey(keys, [this] { isFullScreen() ? showNormal() : showFullScreen(); });
        }
        AddKey(Qt::Key_F10, [this] {
            if (!menuBar()->actions().isEmpty()) menuBar()->setActiveAction(menuBar()->actions().first());
        });
        menuBar()->installEventFilter(this);
    }

    // Places the window so that its outer rectangle, frame included, is `outer`. A
    // window manager adds its frame only after the window is shown, and tells its size
    // with a later move: until then the window's own size is the whole of `outer`, and
    // then it is shrunk by the frame. Without a window manager there is no frame.
    void StartAt(const QRect& outer) {
        startOuter_ = outer;
        move(outer.topLeft());
        resize(outer.size());
    }

protected:
    void moveEvent(QMoveEvent* event) override {
        QMainWindow::moveEvent(event);
        KeepRect();
    }
    void resizeEvent(QResizeEvent* event) override {
        QMainWindow::resizeEvent(event);
        KeepRect();
    }

    // After a menu closes, or after Alt alone, the menu bar keeps the keyboard and
    // takes Escape for itself, with no sign of it on the screen. With no menu open,
    // Escape is the window's.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == menuBar() && event->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && QApplication::activePopupWidget() == nullptr) {
            return true;  // not accepted: the window's shortcut acts
        }
        return QMainWindow::eventFilter(watched, event);
    }

private:
    void AddKey(const QKeySequence& keys, const std::function<void()>& action) {
        auto* shortcut = new QShortcut(keys, this);
        QObject::connect(shortcut, &QShortcut::activated, this, action);
    }

    void KeepRect() {
        if (isFullScreen()) return;  // the window's own rectangle is what is saved
        const QRect frame = frameGeometry();
        if (startOuter_ && frame != geometry()) {
            // The frame has just become known: the outer size is the one asked for.
            const QRect outer = *startOuter_;
            startOuter_.reset();
            resize(outer.size() - (frame.size() - size()));
            program_.records.shell.windowRect = {frame.left(), frame.top(), frame.left() + outer.width(),
                                         frame.top() + outer.height()};
            return;
        }
        program_.records.shell.windowRect = {frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
    }

    Program& program_;
    std::optional<QRect> startOuter_;  // the outer rectangle asked for, while the frame is unknown
};

// Start-up, step by step.

// Without a display Qt would abort with a message about plugins; say it plainly.
Failure FindDisplay() {
    const bool platformChosen = std::getenv("QT_QPA_PLATFORM") != nullptr;
    if (platformChosen || std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) return {};
    return {FailureKind::NoDisplay, kStatusFail,
            "there is no display to open the viewer window on (DISPLAY is not set).\n"
            "Run it on a desktop, under xvfb-run, or use 'talan3d --info FILE' or "
            "'talan3d --render OUT.png FILE' instead."};
}

// Every window of the program draws with OpenGL 3.3 core and a depth buffer, without
// waiting for the screen.
void ChooseSurfaceFormat() {
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setSwapInterval(0);
    QSurfaceFormat::setDefaultFormat(format);
}

void NameApplication() {
    QApplication::setApplicationName(QStringLiteral("Talan 3D"));
    // The installed application entry, which desktops show with the window.
    QGuiApplication::setDesktopFileName(QStringLiteral(TALAN_APP_ID));
    InitShellResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/talan3d.png")));
}

// Keeps the command line's scene file and the start-up directory, and reads the
// settings there: language, background colour, window size and position.
void ReadSettingsAtStart(Program& program, const std::vector<std::string>& scenePaths) {
    ShellState& shell = program.records.shell;
    shell.pendingScenePaths = scenePaths;
    std::error_code ec;
    shell.startDirectory = std::filesystem::current_path(ec).string();
    const SettingsValues& settings = program.settings;
    LoadSettings(kSettingsFile, program.settingsFile, program.settings);
    program.recentFilesRead = LoadRecentFiles(kRecentFilesFile);
    shell.recentFiles = program.recentFilesRead;
    shell.savedViews.sets = LoadSavedViews(kSavedViewsFile);
    shell.language = settings.language;
    program.records.view.backgroundColor = {settings.backgroundColor[0], settings.backgroundColor[1],
                                    settings.backgroundColor[2], 0.0f};
    shell.clientWidth = settings.width;
    shell.clientHeight = settings.height;
    shell.windowPosX = settings.posx;
    shell.windowPosY = settings.posy;
}

// The outer size and position from the settings: a position not below the size
// starts at 0,0; a missing size gets a default, and a size beyond the screen is
// brought within it.
QRect StartGeometry(const ShellState& shell, const QRect& screen) {
    uint32_t x = shell.windowPosX, y = shell.windowPosY;
    uint32_t width = shell.clientWidth, height = shell.clientHeight;
    if (x >= width) x = y = 0;
    if (y >= height) x = y = 0;
    if (width == 0) width = kDefaultWidth;
    if (height == 0) height = kDefaultHeight;
    const auto clampTo = [](uint32_t value, int limit) {
        return static_cast<int>(std::min<uint64_t>(value, static_cast<uint64_t>(std::max(limit, 1))));
    };
    return {clampTo(x, screen.width() - 1), clampTo(y, screen.height() - 1), clampTo(width, screen.width()),
            clampTo(height, screen.height())};
}

void PlaceWindow(MainWindow& window, const ShellState& shell) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, kDefaultWidth, kDefaultHeight);
    window.StartAt(StartGeometry(shell, area));
}

// A click picks what the full picture shows at the pixel.
void PickOnClick(ShellContext& ctx, SceneView* sceneView) {
    sceneView->OnClick([&ctx, sceneView](int32_t x, int32_t y) {
        Records& records = ctx.records;
        if (!records.graphics.ready || records.shell.loading) return;
        sceneView->makeCurrent();
        const MeasureMarks marks = records.view.measure;
        Picked(ctx, PickPixel(records.graphics, records.view, records.scene, x, y, sceneView->PictureFramebuffer()));
        ctx.host.ShowStatus(StatusText(ctx));
        ctx.host.ShowRecords();
        // Only a measurement's marks change the picture.
        const MeasureMarks& now = records.view.measure;
        if (now.count != marks.count || now.points != marks.points) sceneView->Redraw();
    });
}

// Whether an OpenGL 3.3 core context can be had at all.
bool CanCreateContext() {
    QOpenGLContext context;
    context.setFormat(QSurfaceFormat::defaultFormat());
    if (!context.create()) return false;
    const QSurfaceFormat format = context.format();
    return format.version() >= qMakePair(3, 3) && format.profile() == QSurfaceFormat::CoreProfile;
}

void ShowContextFailure(Program& program) {
    const int code = errno != 0 ? errno : ENODEV;
    const Texts& texts = TextsFor(program.records.shell.language);
    const char* caption = texts.dialogs.errorCaption;
    program.dialogs.ShowMessage(FormatText(texts.viewer.contextFailed, code, std::strerror(code)), caption);
    program.dialogs.ShowMessage(FormatText(texts.viewer.contextDrivers, kProductWebAddress), caption);
}

// Shows the window once an OpenGL context is sure, and makes the drawing area's
// context current; false, after the messages, when there is none.
bool ShowWindowWithContext(MainWindow& window, SceneView* sceneView, Program& program) {
    if (!CanCreateContext()) {
        ShowContextFailure(program);
        return false;
    }
    window.show();
    sceneView->setFocus();
    QCoreApplication::processEvents();
    sceneView->makeCurrent();
    if (sceneView->context() == nullptr || !sceneView->context()->isValid()) {
        ShowContextFailure(program);
        return false;
    }
    return true;
}

// Errors that the toolkit's own GL calls left behind are not the set-up's.
void ClearPendingGlErrors() {
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// The graphics set-up for the drawing area's size; false, after its messages, when it
// fails. An effect file that cannot be opened also says where it belongs.
bool InitViewerGraphics(SceneView* sceneView, Program& program) {
    ShellState& shell = program.records.shell;
    shell.clientWidth = static_cast<uint32_t>(sceneView->width() * sceneView->devicePixelRatioF());
    shell.clientHeight = static_cast<uint32_t>(sceneView->height() * sceneView->devicePixelRatioF());
    std::error_code ec;
    const std::string effectPath = FindEffectFile(std::filesystem::canonical("/proc/self/exe", ec).string());
    ClearPendingGlErrors();
    const Failure failure = InitGraphics(program.records.graphics, effectPath, static_cast<int32_t>(shell.clientWidth),
                                         static_cast<int32_t>(shell.clientHeight));
    if (!failure.Failed()) {
                return true;
    }
    const Texts& texts = TextsFor(shell.language);
    program.dialogs.ShowMessage(failure.message, texts.dialogs.errorCaption);
    if (failure.kind == FailureKind::EffectFileMissing) {
        program.dialogs.ShowMessage(texts.viewer.effectFileMissing, texts.dialogs.errorCaption);
    }
    ReleaseGraphics(program.records.graphics);
    return false;
}

// The command line's scene file, or the one the open dialog gives; false, after the
// read error, when it cannot be read.
bool LoadStartScene(ShellContext& ctx, SceneView* sceneView, Program& program) {
    if (LoadSceneFileWithMessage(ctx) >= 0) return true;
    sceneView->makeCurrent();
    sceneView->ReleasePictures();
    ReleaseGraphics(program.records.graphics);
    return false;
}

// Shutdown, step by step.

void ReleaseViewerGraphics(SceneView* sceneView, Program& program) {
    sceneView->makeCurrent();
    sceneView->ReleasePictures();
    ReleaseGraphics(program.records.graphics);
    }

// What the settings file keeps of the run: the outer window rectangle, the language
// and the background colour.
void KeepSettingsOfTheRun(Program& program) {
    SettingsValues& settings = program.settings;
    const WindowRect& rect = program.records.shell.windowRect;
    settings.posx = static_cast<uint32_t>(rect.left);
    settings.posy = static_cast<uint32_t>(rect.top);
    settings.width = static_cast<uint32_t>(rect.right - rect.left);
    settings.height = static_cast<uint32_t>(rect.bottom - rect.top);
    settings.language = program.records.shell.language;
    const std::array<float, 4>& colour = program.records.view.backgroundColor;
    settings.backgroundColor = {colour[0], colour[1], colour[2]};
}

// Back in the start-up directory (the open dialog may have left another current),
// the settings file is rewritten where it was read; a failure is told on standard
// error, as the window is gone.
void SaveSettingsInStartDirectory(const Program& program) {
    std::error_code ec;
    std::filesystem::current_path(program.records.shell.startDirectory, ec);
    const Failure failure = SaveSettings(kSettingsFile, program.settingsFile, program.settings);
    if (failure.Failed()) std::fprintf(stderr, "talan3d: %s\n", failure.message.c_str());
    // The list of files opened last, in a file of its own beside config.cfg.
    const std::vector<std::string>& recent = program.records.shell.recentFiles;
    if (recent != program.recentFilesRead) {
        const Failure recentFailure = SaveRecentFiles(kRecentFilesFile, recent);
        if (recentFailure.Failed()) std::fprintf(stderr, "talan3d: %s\n", recentFailure.message.c_str());
    }
    // The saved views, only when the run saved one.
    const SavedViews& views = program.records.shell.savedViews;
    if (!views.changed) return;
    const Failure viewsFailure = SaveSavedViews(kSavedViewsFile, views.sets);
    if (viewsFailure.Failed()) std::fprintf(stderr, "talan3d: %s\n", viewsFailure.message.c_str());
}

}  // namespace

int RunViewer(int argc, char** argv, const std::vector<std::string>& scenePaths) {
    if (const Failure failure = FindDisplay(); failure.Failed()) {
        std::fprintf(stderr, "talan3d: %s\n", failure.message.c_str());
        return ExitStatus(failure.kind);
    }
    ChooseSurfaceFormat();
    QApplication app(argc, argv);
    NameApplication();

    Program program;
    ReadSettingsAtStart(program, scenePaths);
    const auto qtTexts = InstallQtTranslations(program.records.shell.language);  // Qt's dialogs in the interface language
    MainWindow window(program);
    window.setWindowTitle(QStringLiteral("Talan 3D"));
    program.dialogs.owner = &window;
    auto* sceneView = new SceneView(program.records);
    window.setCentralWidget(sceneView);
    WindowHost host(program.records, program.dialogs, window, *sceneView);
    ShellContext& ctx = host.Context();
    PickOnClick(ctx, sceneView);
    PlaceWindow(window, program.records.shell);

    // A failure from here on has shown its messages; the program ends without
    // writing the settings.
    if (!ShowWindowWithContext(window, sceneView, program)) return 0;
    if (!InitViewerGraphics(sceneView, program)) return 0;
    if (!LoadStartScene(ctx, sceneView, program)) return 0;
    sceneView->Redraw();
    new SceneFileDropTarget(&window, ctx);  // drops are taken once the start-up load is over

    const int status = QApplication::exec();

    ReleaseViewerGraphics(sceneView, program);
    KeepSettingsOfTheRun(program);
    SaveSettingsInStartDirectory(program);
    return status;
}

}  // namespace talan
