// The modal dialogs the commands use, behind a small interface so that tests can
// answer them and see what was shown.
#pragma once

#include <cstdint>
#include <array>
#include <optional>
#include <string>

class QWidget;

namespace talan {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The open-file dialog; the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> OpenSceneFile(QWidget* owner) = 0;
    // The colour dialog starting at black; the chosen colour as 0x00BBGGRR, or nothing.
    virtual std::optional<uint32_t> ChooseColour(QWidget* owner, std::array<uint32_t, 16>& customColours) = 0;
    // A message box with no icon and one OK button (texts in UTF-8).
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // The about box of the language (kLanguageSpanish, else English).
    virtual void ShowAbout(QWidget* owner, uint32_t language) = 0;
};

// The Qt dialogs.
class QtDialogs : public Dialogs {
public:
    // The window message boxes appear over while it is shown; else, or when null, they
    // are centred on the screen.
    QWidget* messageOwner = nullptr;

    std::optional<std::string> OpenSceneFile(QWidget* owner) override;
    std::optional<uint32_t> ChooseColour(QWidget* owner, std::array<uint32_t, 16>& customColours) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowAbout(QWidget* owner, uint32_t language) override;
};

}  // namespace talan
