// The effect file's format and what a broken effect tells the user.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "TestHelpers.h"
#include "render/EffectFile.h"
#include "render/HeadlessContext.h"

namespace talan {
namespace {

std::string ShippedEffect() {
    std::ostringstream text;
    text << std::ifstream(TALAN_EFFECT_FILE).rdbuf();
    return text.str();
}

// The shipped effect with the first `from` replaced by `to`.
std::string Edited(const std::string& from, const std::string& to, std::string text = ShippedEffect()) {
    return text.replace(text.find(from), from.size(), to);  // throws when `from` is not there
}

using Case = std::pair<std::string, std::string>;  // effect text, a part of the message it must give

// Format errors name their line or what is missing; a missing file gives the system's reason.
TEST(EffectFile, FormatErrorsAndAMissingFileAreReported) {
    const Case cases[] = {
        {Edited("@technique Render", "@technique Other"), "no technique \"Render\""},
        {Edited("uniform float AmbientIntensity;", "uniform float Ambient;"), "AmbientIntensity"},  // undeclared
        {Edited("@fragment", "@fragmnt"), "unknown directive @fragmnt"},
        {Edited("@fragment", "// no fragment program"), "needs a @vertex, a @blocks and a @fragment"},
        {Edited("@blocks", "// no block program"), "needs a @vertex, a @blocks and a @fragment"},
        {"stray text\n" + ShippedEffect(), "line 1: text outside a program"},
        {"@vertex\n" + ShippedEffect(), "line 1: @vertex outside a pass"},
    };
    for (const auto& [text, message] : cases) {
        EffectSource broken;
        const Failure failure = ParseEffectSource(text, broken);
        EXPECT_EQ(failure.kind, FailureKind::EffectFile) << message;
        EXPECT_NE(failure.message.find(message), std::string::npos) << failure.message;
    }
    // A second technique may stand beside "Render"; only Render's passes are used.
    EffectSource source;
    const std::string other = ShippedEffect() + "\n@technique Other\n@pass X\n@vertex\nvoid main(){}\n";
    ASSERT_FALSE(ParseEffectSource(other, source).Failed());
    EXPECT_EQ(source.passes.size(), 1u);

    Effect effect;
    const Failure missing = LoadEffectFile("/nonexistent/Talan3D.fx", effect);
    EXPECT_EQ(missing.kind, FailureKind::EffectFileMissing);
    EXPECT_EQ(missing.status, static_cast<int32_t>(0x80070002u));
    EXPECT_EQ(missing.message, "Open Talan3D.fx failed with error 2: No such file or directory");
}

class EffectCompileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const Failure failure = CreateHeadlessContext(context_, 8, 8);
        if (failure.Failed()) TALAN_WITHOUT_GL() << "no OpenGL context: " << failure.message;
    }
    void TearDown() override { DestroyHeadlessContext(context_); }
    HeadlessContext context_;
};

TEST_F(EffectCompileTest, CompileLinkAndInputErrorsCarryTheCompilerLog) {
    Effect effect;
    const Failure loaded = LoadEffectText(ShippedEffect(), kEffectFileName, effect);
    ASSERT_FALSE(loaded.Failed()) << loaded.message;
    ReleaseEffect(effect);

    const Case cases[] = {
        {Edited("vertexColour = COLOR;", "vertexColour = COLOUR;"), "vertex program"},
        {Edited("fragmentColour = ShadeSurface(worldNormal / normalLength, vertexColour);",
                "fragmentColour = ShadeSurface(worldNormal / normalLength, vertexColour).xyz;"),
         "fragment program"},
        {Edited("vertexColour = vec4(vec3(BLOCK_COLOR", "vertexColour = vec4(vec3(BLOCK_COLOUR"), "block program"},
        {Edited("vertexColour = COLOR;", "vertexColour = COLOR + TEXCOORD.xxxx;",
                Edited("in vec4 COLOR;", "in vec4 COLOR;\nin vec2 TEXCOORD;")),
         "input TEXCOORD in its vertex program"},
        {Edited("vec3(BLOCK_COLOR.rgb)", "BLOCK_COLOR.rgb", Edited("in uvec4 BLOCK_COLOR;", "in vec4 BLOCK_COLOR;")),
         "input BLOCK_COLOR in its block program"},
    };
    for (const auto& [text, message] : cases) {
        Effect broken;
        const Failure failure = LoadEffectText(text, kEffectFileName, broken);
        EXPECT_EQ(std::pair(failure.kind, failure.status), std::pair(FailureKind::EffectFile, kStatusFail)) << message;
        EXPECT_EQ(failure.message.rfind("Compile Talan3D.fx failed: ", 0), 0u) << failure.message;
        EXPECT_NE(failure.message.find(message), std::string::npos) << failure.message;
        EXPECT_TRUE(broken.passes.empty());
    }
}

// A compiler message gives the line of the effect file, in the vertex, fragment and block
// programs alike.
TEST_F(EffectCompileTest, CompilerMessagesNameTheLineOfTheEffectFile) {
    const std::string shipped = ShippedEffect();
    for (const std::string statement : {"vertexColour = COLOR;", "float normalLength =", "int corner ="}) {
        const auto line = 1 + std::count(shipped.begin(), shipped.begin() + shipped.find(statement), '\n');
        Effect broken;
        const Failure failure = LoadEffectText(Edited(statement, "undeclared; " + statement), kEffectFileName, broken);
        EXPECT_NE(failure.message.find(":" + std::to_string(line) + "("), std::string::npos) << line << failure.message;
    }
}

}  // namespace
}  // namespace talan
