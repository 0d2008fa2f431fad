// The effect file's format and what a broken effect tells the user.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "TestHelpers.h"
#include "render/EffectFile.h"
#include "render/HeadlessContext.h"

namespace talan {
namespace {

std::string ShippedEffect() {
    std::ifstream in(TALAN_EFFECT_FILE);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(EffectFile, TheShippedEffectHasTheRenderTechniqueWithItsPrograms) {
    EffectSource source;
    const Failure failure = ParseEffectSource(ShippedEffect(), source);
    ASSERT_FALSE(failure.Failed()) << failure.message;
    ASSERT_GE(source.passes.size(), 1u);
    EXPECT_EQ(source.passes[0].vertexSource.rfind("#version 330 core\n", 0), 0u);
    EXPECT_NE(source.passes[0].vertexSource.find("uniform mat4 World;"), std::string::npos) << "common text first";
    EXPECT_NE(source.passes[0].fragmentSource.find("#line "), std::string::npos);
}

TEST(EffectFile, FormatErrorsNameTheirLineAndMissingNamesAreReported) {
    const std::string shipped = ShippedEffect();
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {Replace(shipped, "@technique Render", "@technique Other"), "no technique \"Render\""},
        {Replace(shipped, "uniform float AmbientIntensity;", "uniform float Ambient;"), "AmbientIntensity"},
        {Replace(shipped, "uniform vec4 vLightDir[2];", ""), "vLightDir"},
        {Replace(shipped, "@fragment", "@fragmnt"), "unknown directive @fragmnt"},
        {Replace(shipped, "@fragment", "// no fragment program"), "needs a @vertex, a @blocks and a @fragment"},
        {Replace(shipped, "@blocks", "// no block program"), "needs a @vertex, a @blocks and a @fragment"},
        {"stray text\n" + shipped, "line 1: text outside a program"},
        {"@vertex\n" + shipped, "line 1: @vertex outside a pass"},
    };
    for (const Case& c : cases) {
        EffectSource source;
        const Failure failure = ParseEffectSource(c.text, source);
        EXPECT_EQ(failure.kind, FailureKind::EffectFile) << c.message;
        EXPECT_NE(failure.message.find(c.message), std::string::npos) << failure.message;
    }
    // A second technique may stand beside "Render"; only Render's passes are used.
    EffectSource source;
    ASSERT_FALSE(ParseEffectSource(shipped + "\n@technique Other\n@pass X\n@vertex\nvoid main(){}\n", source).Failed());
    EXPECT_EQ(source.passes.size(), 1u);
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
    const std::string shipped = ShippedEffect();
    Effect effect;
    const Failure loaded = LoadEffectText(shipped, kEffectFileName, effect);
    ASSERT_FALSE(loaded.Failed()) << loaded.message;
    ASSERT_EQ(effect.passes.size(), 1u);
    EXPECT_GE(effect.passes[0].vertices.world, 0);
    EXPECT_GE(effect.passes[0].blocks.lightDir, 0);

    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {Replace(shipped, "vertexColour = COLOR;", "vertexColour = COLOUR;"), "vertex program"},
        {Replace(shipped, "fragmentColour = vec4(min(", "fragmentColour = vec3(min("), "fragment program"},
        {Replace(Replace(shipped, "in vec4 COLOR;", "in vec4 COLOR;\nin vec2 TEXCOORD;"),
                 "vertexColour = COLOR;", "vertexColour = COLOR + TEXCOORD.xxxx;"),
         "input TEXCOORD in its vertex program"},
        {Replace(shipped, "vertexColour = vec4(vec3(BLOCK_COLOR", "vertexColour = vec4(vec3(BLOCK_COLOUR"),
         "block program"},
        {Replace(Replace(shipped, "in uvec4 BLOCK_COLOR;", "in vec4 BLOCK_COLOR;"), "vec3(BLOCK_COLOR.rgb)",
                 "BLOCK_COLOR.rgb"),
         "input BLOCK_COLOR in its block program"},
    };
    for (const Case& c : cases) {
        Effect broken;
        const Failure failure = LoadEffectText(c.text, kEffectFileName, broken);
        EXPECT_EQ(failure.kind, FailureKind::EffectFile) << c.message;
        EXPECT_EQ(failure.status, kStatusFail) << c.message;
        const std::string& message = failure.message;
        EXPECT_EQ(message.rfind("Compile Talan3D.fx failed: ", 0), 0u) << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_TRUE(broken.passes.empty());
    }
    ReleaseEffect(effect);
}

TEST_F(EffectCompileTest, CompilerMessagesNameTheLineOfTheEffectFile) {
    const std::string shipped = ShippedEffect();
    for (const char* statement : {"vertexColour = COLOR;", "float light = AmbientIntensity", "int corner = kCorners"}) {
        const size_t at = shipped.find(statement);
        ASSERT_NE(at, std::string::npos) << statement;
        const auto line = 1 + std::count(shipped.begin(), shipped.begin() + static_cast<std::ptrdiff_t>(at), '\n');
        Effect broken;
        const std::string message =
            LoadEffectText(Replace(shipped, statement, std::string("undeclared_name; ") + statement), kEffectFileName,
                           broken)
                .message;
        EXPECT_NE(message.find(":" + std::to_string(line) + "("), std::string::npos) << "line " << line << ": " << message;
    }
}

TEST_F(EffectCompileTest, AMissingFileSaysSoWithTheSystemsReason) {
    Effect effect;
    const Failure failure = LoadEffectFile("/nonexistent/Talan3D.fx", effect);
    EXPECT_EQ(failure.kind, FailureKind::EffectFileMissing);
    EXPECT_EQ(failure.status, static_cast<int32_t>(0x80070002u));
    EXPECT_EQ(failure.message, "Open Talan3D.fx failed with error 2: No such file or directory");
}

}  // namespace
}  // namespace talan
