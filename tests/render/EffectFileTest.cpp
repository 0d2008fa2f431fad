// The effect file's format and what a broken effect tells the user.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
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

template <size_t N> void ExpectRefused(const Case (&cases)[N]) {
    for (const auto& [text, message] : cases) {
        EffectSource broken;
        const Failure failure = ParseEffectSource(text, broken);
        EXPECT_EQ(failure.kind, FailureKind::EffectFile) << message;
        EXPECT_NE(failure.message.find(message), std::string::npos) << failure.message;
    }
}

// Format errors name their line or what is missing; a missing file gives the system's reason.
TEST(EffectFile, FormatErrorsAndAMissingFileAreReported) {
    const Case cases[] = {
        {Edited("uniform float AmbientIntensity;", "uniform float Ambient;"), "AmbientIntensity"},  // undeclared
        {Edited("@fragment", "@fragmnt"), "unknown directive @fragmnt"},
        {Edited("@blocks", "// no block program"), "needs a @vertex, a @blocks and a @fragment"},
        {"stray text\n" + ShippedEffect(), "line 1: text outside a program"},
        {"@vertex\n" + ShippedEffect(), "line 1: @vertex outside a pass"},
    };
    ExpectRefused(cases);
    Effect effect;
    const Failure missing = LoadEffectFile("/nonexistent/Talan3D.fx", effect);
    EXPECT_EQ(missing.kind, FailureKind::EffectFileMissing);
    EXPECT_EQ(missing.status, static_cast<int32_t>(0x80070002u));
    EXPECT_EQ(missing.message, "Open Talan3D.fx failed with error 2: No such file or directory");
}

// A small effect of two passes, with every directive: the common text, the technique,
// passes, and their programs in any order, a directive indented, comments and blank
// lines between them.
const std::string kTwoPasses =
    "// two passes\n"                                                                   // 1
    "\n"                                                                                // 2
    "@common\n"                                                                         // 3
    "uniform mat4 World; uniform mat4 View; uniform mat4 Projection;\n"                 // 4
    "uniform vec4 vLightDir[2]; uniform vec4 vLightColor[2];\n"                         // 5
    "uniform float AmbientIntensity; uniform vec4 SectionPlanes[2];\n"                  // 6
    "@technique Render\n"                                                               // 7
    "// the first pass\n"                                                               // 8
    "@pass First\n"                                                                     // 9
    "@vertex\n"                                                                         // 10
    "void main() { /* vertex 1 */ }\n"                                                  // 11
    "@blocks\n"                                                                         // 12
    "void main() { /* blocks 1 */ }\n"                                                  // 13
    "  @fragment\t\n"                                                                   // 14
    "// kept: a comment inside a program is its own\n"                                  // 15
    "void main() { /* fragment 1 */ }\n"                                                // 16
    "@pass Second\n"                                                                    // 17
    "@fragment\n"                                                                       // 18
    "void main() { /* fragment 2 */ }\n"                                                // 19
    "@vertex\n"                                                                         // 20
    "void main() { /* vertex 2 */ }\n"                                                  // 21
    "@blocks\n"                                                                         // 22
    "void main() { /* blocks 2 */ }\n";                                                 // 23

// Each program is the version line, the common text, a #line giving the line after its
// directive, then its own text up to the next directive, and nothing of the others.
TEST(EffectFile, EachDirectiveGivesItsPartOfThePrograms) {
    const std::string common = "uniform mat4 World; uniform mat4 View; uniform mat4 Projection;\n"
                               "uniform vec4 vLightDir[2]; uniform vec4 vLightColor[2];\n"
                               "uniform float AmbientIntensity; uniform vec4 SectionPlanes[2];\n";
    const auto program = [&](int line, const std::string& own) {
        return "#version 330 core\n" + common + "#line " + std::to_string(line) + "\n" + own;
    };
    EffectSource source;
    const Failure parsed = ParseEffectSource(kTwoPasses, source);
    ASSERT_FALSE(parsed.Failed()) << parsed.message;
    ASSERT_EQ(source.passes.size(), 2u);
    EXPECT_EQ(source.technique, "Render");
    const EffectSourcePass &first = source.passes[0], &second = source.passes[1];
    EXPECT_EQ(std::tuple(first.name, second.name), std::tuple("First", "Second"));
    EXPECT_EQ(first.vertexSource, program(11, "void main() { /* vertex 1 */ }\n"));
    EXPECT_EQ(first.blocksSource, program(13, "void main() { /* blocks 1 */ }\n"));
    EXPECT_EQ(first.fragmentSource,
              program(15, "// kept: a comment inside a program is its own\nvoid main() { /* fragment 1 */ }\n"));
    EXPECT_EQ(second.fragmentSource, program(19, "void main() { /* fragment 2 */ }\n"));
    EXPECT_EQ(second.vertexSource, program(21, "void main() { /* vertex 2 */ }\n"));
    EXPECT_EQ(second.blocksSource, program(23, "void main() { /* blocks 2 */ }\n"));
    EXPECT_EQ(std::tuple(first.vertexLine, first.blocksLine, first.fragmentLine), std::tuple(11, 13, 15));

    // With CR LF line ends the directives are the same, and the programs keep their CRs.
    const auto withCrlf = [](const std::string& text) {
        std::string out;
        for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return out;
    };
    EffectSource fromCrlf;
    ASSERT_FALSE(ParseEffectSource(withCrlf(kTwoPasses), fromCrlf).Failed());
    ASSERT_EQ(fromCrlf.passes.size(), 2u);
    EXPECT_EQ(fromCrlf.passes[1].vertexSource,
              "#version 330 core\n" + withCrlf(common) + "#line 21\n" + withCrlf("void main() { /* vertex 2 */ }\n"));

    // Passes of another technique, before or after Render's, are not Render's; a
    // technique named again gathers more passes.
    const std::string other = "@technique Other\n@pass X\n@vertex\nvoid main() { /* other */ }\n";
    const std::string more = "@technique Render\n@pass Third\n@vertex\nV3\n@blocks\nB3\n@fragment\nF3\n";
    EffectSource mixed;
    ASSERT_FALSE(ParseEffectSource(kTwoPasses + other + more, mixed).Failed());
    ASSERT_EQ(mixed.passes.size(), 3u);
    EXPECT_EQ(mixed.passes[2].name, "Third");
    EXPECT_EQ(mixed.passes[2].vertexSource, program(31, "V3\n"));
    for (const EffectSourcePass& pass : mixed.passes) {
        EXPECT_EQ(pass.vertexSource.find("other"), std::string::npos) << pass.name;
    }
}

// Each directive's own mistakes: a missing or extra word, a program outside a pass or
// given twice, text where no program is, and variables that are not declared as such.
TEST(EffectFile, EachDirectiveRefusesWhatItDoesNotTake) {
    const auto with = [](const std::string& from, const std::string& to) { return Edited(from, to, kTwoPasses); };
    const Case cases[] = {
        {with("@common", "@common GLSL"), "line 3: unknown directive @common"},
        {with("@technique Render", "@technique"), "line 7: unknown directive @technique"},
        {with("@technique Render", "@technique Render Fast"), "line 7: unexpected text after @technique Render"},
        {with("@pass First", "@pass"), "line 9: unknown directive @pass"},
        {with("@pass First", "@pass First Pass"), "line 9: unexpected text after @pass First"},
        {with("@technique Render\n", ""), "line 8: @pass First outside a technique"},
        {with("@vertex\nvoid main() { /* vertex 1", "@vertex main\nvoid main() { /* vertex 1"),
         "line 10: unknown directive @vertex"},
        {with("@blocks\nvoid main() { /* blocks 2", "@vertex\nvoid main() { /* blocks 2"),
         "line 22: second @vertex in pass Second"},
        {with("  @fragment\t", "@blocks"), "line 14: second @blocks in pass First"},
        {with("@pass First\n", "@pass First\nvoid stray();\n"), "line 10: text outside a program: void stray();"},
        {with("@pass Second\n", "@technique Other\n"), "line 18: @fragment outside a pass"},
        {with("@pass Second\n", "@pass Second\n@technique Render\n"), "line 19: @fragment outside a pass"},
        {with("@pass Second\n@fragment\nvoid main() { /* fragment 2 */ }\n", "@pass Second\n"),
         "pass Second needs a @vertex, a @blocks and a @fragment"},
        {with("@technique Render", "@technique render"), "no technique \"Render\" with a pass"},
        {with("uniform mat4 World;", "uniform mat4 WorldView;"), "no effect variable World"},
        {with("uniform vec4 SectionPlanes[2];", "vec4 SectionPlanes[2];"), "no effect variable SectionPlanes"},
    };
    ExpectRefused(cases);
    // A variable may be declared by any program rather than the common text.
    std::string moved = with("uniform float AmbientIntensity; ", "");
    moved.insert(moved.find("void main() { /* fragment 2"), "uniform float AmbientIntensity;\n");
    EffectSource fromPass;
    EXPECT_FALSE(ParseEffectSource(moved, fromPass).Failed());
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
