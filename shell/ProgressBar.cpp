#include "shell/ProgressBar.h"

#include <algorithm>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace talan {

QPoint ProgressBarPosition(uint32_t clientWidth, uint32_t clientHeight, const QRect& screen) {
    auto centre = [](uint32_t extent, int size, int low, int high) {
        if (extent < static_cast<uint32_t>(size)) return low;  // would wrap far out of sight
        const int64_t at = (int64_t{extent} - size) / 2;
        return static_cast<int>(std::clamp<int64_t>(at, low, std::max(low, high - size)));
    };
    return {centre(clientWidth, kProgressWidth, screen.left(), screen.right() + 1),
            centre(clientHeight, kProgressHeight, screen.top(), screen.bottom() + 1)};
}

ProgressBar::ProgressBar(QWidget* owner) : owner_(owner) {}
ProgressBar::~ProgressBar() = default;

void ProgressBar::Show(const std::string& title, uint32_t clientWidth, uint32_t clientHeight) {
    // A title and a close box only, no task-bar entry, kept over the main window.
    window_ = std::make_unique<QWidget>(
        owner_, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window_->setWindowTitle(QString::fromStdString(title));
    window_->setFixedSize(kProgressWidth, kProgressHeight);
    bar_ = new QProgressBar(window_.get());
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: #00ff00; }"));
    auto* layout = new QVBoxLayout(window_.get());
    layout->addWidget(bar_);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window_->move(ProgressBarPosition(clientWidth, clientHeight, area));
    window_->show();
    Paint();
}

void ProgressBar::SetPosition(int percent) {
    if (bar_ == nullptr) return;
    bar_->setValue(percent);
    Paint();
}

void ProgressBar::Paint() {
    if (sincePaint_.isValid() && sincePaint_.elapsed() < kProgressPaintIntervalMs) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sincePaint_.start();
}

int ProgressBar::Position() const { return bar_ != nullptr ? bar_->value() : -1; }

void ProgressBar::Close() {
    bar_ = nullptr;
    window_.reset();
}

}  // namespace talan
