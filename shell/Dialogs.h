// The modal dialogs the commands use, behind a small interface so that tests can
// answer them and see what was shown.
#pragma once

#include <cstdint>
#include <cstdio>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace talan {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The open-file dialog, starting in `folder` (empty: the current directory); the
    // chosen paths, which load together, or none when cancelled.
    virtual std::vector<std::string> OpenSceneFiles(const std::string& folder) = 0;
    // The colour dialog starting at black; the chosen colour as 0x00BBGGRR, or nothing.
    virtual std::optional<uint32_t> ChooseColour(std::array<uint32_t, 16>& customColours) = 0;
    // A message box with no icon and one OK button (texts in UTF-8).
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // The about box of the language (kLanguageSpanish, else English).
    virtual void ShowAbout(uint32_t language) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool Question(const std::string& text, const std::string& caption) = 0;
};

// The dialogs of a run without a window (--info, --render): the open and colour
// dialogs are cancelled at once, and messages go to `err`.
class HeadlessDialogs : public Dialogs {
public:
    explicit HeadlessDialogs(std::FILE* err) : err_(err) {}
    std::vector<std::string> OpenSceneFiles(const std::string&) override { return {}; }
    std::optional<uint32_t> ChooseColour(std::array<uint32_t, 16>&) override { return std::nullopt; }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        std::fprintf(err_, "talan3d: %s: %s\n", caption.c_str(), text.c_str());
    }
    void ShowAbout(uint32_t) override {}
    // Nobody is there to answer: no.
    bool Question(const std::string&, const std::string&) override { return false; }

private:
    std::FILE* err_;
};

}  // namespace talan
