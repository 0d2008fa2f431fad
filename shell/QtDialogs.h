// The dialogs of the window, made with Qt, and Qt's own texts in the interface
// language.
#pragma once

#include <cstdint>
#include <memory>

#include <QTranslator>

#include "shell/Dialogs.h"

class QWidget;

namespace talan {

// The Qt dialogs.
class QtDialogs : public Dialogs {
public:
    // The window the dialogs belong to. Message boxes appear over it while it is
    // shown; else, or when null, they are centred on the screen.
    QWidget* owner = nullptr;

    std::vector<std::string> OpenSceneFiles(const std::string& folder) override;
    std::optional<uint32_t> ChooseColour(std::array<uint32_t, 16>& customColours) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowAbout(uint32_t language) override;
    bool Question(const std::string& text, const std::string& caption) override;
};

// Puts Qt's own texts (the file and colour dialogs, the message boxes' button) into
// the interface language: for Spanish, installs Qt's Spanish catalogue, from the
// directory Qt's translations are installed in, in the running application. Returns
// the translator, which leaves the application when destroyed; null for English, or
// when the catalogue is not installed (Qt's texts then stay English).
std::unique_ptr<QTranslator> InstallQtTranslations(uint32_t language);

}  // namespace talan
