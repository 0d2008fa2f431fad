// The tables of texts: whole in both languages, and chosen by the language number.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <string>

#include "scene/TextDecoding.h"
#include "shell/ShellState.h"
#include "shell/Texts.h"

namespace talan {
namespace {

// A table is made of texts only, so it reads as one array of them, in member order.
constexpr size_t kTextCount = sizeof(Texts) / sizeof(const char*);
static_assert(sizeof(Texts) == kTextCount * sizeof(const char*), "a member of Texts that is not a text");
using TextArray = std::array<const char*, kTextCount>;

// The printf conversions of a pattern, in order ("%.2f%s" gives "fs"); "%%" is none.
std::string Conversions(const std::string& pattern) {
    std::string found;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        size_t j = i + 1;
        while (j < pattern.size() && std::string_view("-+ #0123456789.*hlLzjt").find(pattern[j]) != std::string::npos) {
            ++j;
        }
        if (j < pattern.size() && pattern[j] != '%') found += pattern.substr(i + 1, j - i);
        i = j;
    }
    return found;
}

TEST(Texts, BothTablesAreWholeAndTheirPatternsTakeTheSameValues) {
    const auto spanish = std::bit_cast<TextArray>(TextsFor(kLanguageSpanish));
    const auto english = std::bit_cast<TextArray>(TextsFor(kLanguageEnglish));
    for (size_t i = 0; i < kTextCount; ++i) {
        SCOPED_TRACE(i);  // the text's place in the table, counted in member order
        ASSERT_NE(spanish[i], nullptr);
        ASSERT_NE(english[i], nullptr);
        EXPECT_NE(*spanish[i], '\0');
        EXPECT_NE(*english[i], '\0');
        EXPECT_TRUE(IsValidUtf8(spanish[i])) << spanish[i];
        EXPECT_TRUE(IsValidUtf8(english[i])) << english[i];
        // The same values go to a pattern whichever the language.
        EXPECT_EQ(Conversions(spanish[i]), Conversions(english[i])) << spanish[i] << " | " << english[i];
    }
    EXPECT_EQ(Conversions("%d%% at %.2f, %s %lld and %zu"), "d.2fslldzu") << "the conversions as read";
}

TEST(Texts, AnyLanguageButSpanishGetsEnglish) {
    const Texts* english = &TextsFor(kLanguageEnglish);
    EXPECT_STREQ(english->menu.file, "File");
    EXPECT_STREQ(TextsFor(kLanguageSpanish).menu.file, "Archivo");
    for (uint32_t language : {0u, 3u, 0xFFFFFFFFu}) EXPECT_EQ(&TextsFor(language), english) << language;
}

TEST(Texts, FormatTextFillsAPatternOfAnyLength) {
    EXPECT_EQ(FormatText(TextsFor(kLanguageSpanish).status.section, "Z", 1049.0, 40.15),
              "Sección según Z = 1049.00, espesor 40.15");
    const std::string name(500, 'n');
    EXPECT_EQ(FormatText("<%s>", name.c_str()), "<" + name + ">");
}

}  // namespace
}  // namespace talan
