#include "shell/QtDialogs.h"

#include <algorithm>

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTranslator>

#include "shell/ShellState.h"
#include "shell/Texts.h"

namespace talan {

namespace {

// Dialog units of the about box, turned into pixels.
int Units(int dialogUnits) { return dialogUnits * 7 / 4; }

// Where the about box's parts lie in each language, in dialog units.
struct AboutLayout {
    int width, height;
    int iconX, iconY, iconSize;
    int textX, textY, textW, textH;
    int okX, okY, okW, okH;
    int webX, webY, webW, webH;
};

constexpr AboutLayout kSpanishAbout{203, 75, 19, 10, 16, 47, 16, 119, 8, 156, 16, 30, 11, 139, 52, 55, 8};
constexpr AboutLayout kEnglishAbout{204, 75, 19, 10, 20, 47, 16, 119, 8, 161, 16, 30, 11, 136, 52, 55, 8};

void Place(QWidget* widget, int x, int y, int w, int h) { widget->setGeometry(Units(x), Units(y), Units(w), Units(h)); }

}  // namespace

std::vector<std::string> QtDialogs::OpenSceneFiles(const std::string& folder) {
    // Several files chosen together load together: a drill-hole set is its collar,
    // survey and interval tables.
    const QString all = QStringLiteral("Talan 3D (*.KDX *.kdx *.ts *.TS *.pl *.PL *.vs *.VS *.csv *.CSV *.tsv *.txt)");
    const QString filters = QStringLiteral("*.* (*);;Tavrin(*.KDX) (*.KDX *.kdx);;") + all +
                            QStringLiteral(";;GOCAD (*.ts *.TS *.pl *.PL *.vs *.VS);;CSV (*.csv *.CSV *.tsv *.txt)");
    QString selected = all;
    const QStringList chosen =
        QFileDialog::getOpenFileNames(owner, QString(), QFile::decodeName(folder.c_str()), filters, &selected);
    std::vector<std::string> paths;
    for (const QString& path : chosen) paths.push_back(QFile::encodeName(path).toStdString());
    return paths;
}

std::optional<uint32_t> QtDialogs::ChooseColour(std::array<uint32_t, 16>& customColours) {
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = customColours[static_cast<size_t>(i)];
        QColorDialog::setCustomColor(i, QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
    }
    const QColor colour = QColorDialog::getColor(Qt::black, owner);
    for (int i = 0; i < 16; ++i) {
        const QColor custom = QColorDialog::customColor(i);
        customColours[static_cast<size_t>(i)] = static_cast<uint32_t>(custom.red()) |
                                                 static_cast<uint32_t>(custom.green()) << 8 |
                                                 static_cast<uint32_t>(custom.blue()) << 16;
    }
    if (!colour.isValid()) return std::nullopt;
    return static_cast<uint32_t>(colour.red()) | static_cast<uint32_t>(colour.green()) << 8 |
           static_cast<uint32_t>(colour.blue()) << 16;
}

void QtDialogs::ShowMessage(const std::string& text, const std::string& caption) {
    QWidget* over = owner != nullptr && owner->isVisible() ? owner : nullptr;
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, over);
    box.exec();
}

bool QtDialogs::Question(const std::string& text, const std::string& caption) {
    QWidget* over = owner != nullptr && owner->isVisible() ? owner : nullptr;
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, over);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::ShowAbout(uint32_t language) {
    const AboutLayout& layout = language == kLanguageSpanish ? kSpanishAbout : kEnglishAbout;
    const DialogTexts& texts = TextsFor(language).dialogs;
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8(texts.aboutCaption));
    dialog.setFixedSize(Units(layout.width), Units(layout.height));
    auto* icon = new QLabel(&dialog);
    icon->setPixmap(QApplication::windowIcon().pixmap(Units(layout.iconSize), Units(layout.iconSize)));
    Place(icon, layout.iconX, layout.iconY, layout.iconSize, layout.iconSize);
    auto* text = new QLabel(QString::fromUtf8(texts.aboutVersion), &dialog);
    text->setTextFormat(Qt::PlainText);
    Place(text, layout.textX, layout.textY, layout.textW, layout.textH + 2);
    auto* ok = new QPushButton(QString::fromUtf8(texts.aboutOk), &dialog);
    ok->setDefault(true);
    Place(ok, layout.okX, layout.okY, layout.okW, layout.okH + 4);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* web = new QLabel(QString::fromUtf8(kProductWebAddress), &dialog);
    web->setTextFormat(Qt::PlainText);
    web->adjustSize();
    // The address is longer than its place in the layout: keep it inside the box.
    web->move(std::max(Units(8), std::min(Units(layout.webX), Units(layout.width) - web->width() - Units(8))),
              Units(layout.webY));
    // Escape and the close box end it like OK, as QDialog does.
    dialog.exec();
}

std::unique_ptr<QTranslator> InstallQtTranslations(uint32_t language) {
    if (language != kLanguageSpanish) return nullptr;
    auto translator = std::make_unique<QTranslator>();
    // qtbase holds the texts of the widgets, dialogs and message boxes.
    if (!translator->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}

}  // namespace talan
