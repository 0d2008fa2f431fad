#include "render/EffectFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "scene/Status.h"

namespace talan {

namespace {

constexpr const char* kVariables[] = {"World",       "View",      "Projection",   "vLightDir",
                                      "vLightColor", "AmbientIntensity", "SectionPlanes"};

// The input layouts, in attribute order: the scene vertex's fields for vertex
// programs, the block record's for block programs.
struct VertexInput {
    const char* name;
    GLenum type;
};
struct InputLayout {
    const char* program;  // how messages call the program
    VertexInput inputs[3];
    const char* has;      // what messages say the layout has
};
constexpr InputLayout kSceneVertexLayout{
    "vertex program",
    {{"POSITION", GL_FLOAT_VEC3}, {"NORMAL", GL_FLOAT_VEC3}, {"COLOR", GL_FLOAT_VEC4}},
    "the scene vertex has POSITION (vec3), NORMAL (vec3) and COLOR (vec4)"};
constexpr InputLayout kBlockLayout{
    "block program",
    {{"BLOCK_LOW", GL_FLOAT_VEC3}, {"BLOCK_HIGH", GL_FLOAT_VEC3}, {"BLOCK_COLOR", GL_UNSIGNED_INT_VEC4}},
    "the block record has BLOCK_LOW (vec3), BLOCK_HIGH (vec3) and BLOCK_COLOR (uvec4)"};

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

// True when `text` declares a uniform named `name`: "uniform <type> name" followed by
// a ';' or '['. A declaration is looked for rather than a location, because a
// compiler drops the uniforms a program does not use.
bool DeclaresUniform(const std::string& text, const std::string& name) {
    std::istringstream in(text);
    std::string a, b, c;
    if (!(in >> a >> b)) return false;
    while (in >> c) {
        if (a == "uniform") {
            const size_t end = c.find_first_of(";[");
            if (c.substr(0, end) == name) return true;
        }
        a = std::move(b);
        b = std::move(c);
    }
    return false;
}

std::string ProgramText(const std::string& common, const std::string& body, int firstLine) {
    // #line keeps the compiler's line numbers those of the effect file.
    return "#version 330 core\n" + common + "#line " + std::to_string(firstLine) + "\n" + body;
}

// The compiler's or linker's log of a shader or program.
template <typename GetParameter, typename GetLog>
std::string InfoLog(GLuint object, GetParameter getParameter, GetLog getLog) {
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(length > 0 ? length : 1), '\0');
    getLog(object, static_cast<GLsizei>(log.size()), nullptr, log.data());
    log.resize(std::strlen(log.c_str()));
    return log;
}


// The failure of an effect that cannot be used.
Failure Unusable(std::string message) { return {FailureKind::EffectFile, kStatusFail, std::move(message)}; }

// Compiles and links one program of a pass, its vertex stage taking `layout`.
Failure BuildProgram(const std::string& vertexSource, const std::string& fragmentSource, const InputLayout& layout,
                     const std::string& what, EffectProgram& out) {
    std::string log;
    const GLuint vs = CompileStage(GL_VERTEX_SHADER, vertexSource, log);
    if (vs == 0) return Unusable(what + ", " + layout.program + ":\n" + log);
    const GLuint fs = CompileStage(GL_FRAGMENT_SHADER, fragmentSource, log);
    if (fs == 0) {
        glDeleteShader(vs);
        return Unusable(what + ", fragment program:\n" + log);
    }
    const char* names[3] = {layout.inputs[0].name, layout.inputs[1].name, layout.inputs[2].name};
    const GLuint program = LinkStages(vs, fs, names, log);
    if (program == 0) return Unusable(what + " with its " + layout.program + " does not link:\n" + log);
    // Every input must be a field of the layout, of its type, as an input signature
    // must match the input layout.
    GLint inputs = 0;
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &inputs);
    for (GLint i = 0; i < inputs; ++i) {
        char attribute[256];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(program, static_cast<GLuint>(i), sizeof attribute, nullptr, &size, &type, attribute);
        if (std::strncmp(attribute, "gl_", 3) == 0) continue;  // gl_VertexID and the like come from the pipeline
        const GLint location = glGetAttribLocation(program, attribute);
        if (location < 0 || location > 2 || std::strcmp(attribute, layout.inputs[location].name) != 0 ||
            type != layout.inputs[location].type || size != 1) {
            glDeleteProgram(program);
            return Unusable(what + " takes the input " + attribute + " in its " + layout.program + ", but " + layout.has);
        }
    }
    out.program = program;
    out.world = glGetUniformLocation(program, "World");
    out.view = glGetUniformLocation(program, "View");
    out.projection = glGetUniformLocation(program, "Projection");
    out.lightDir = glGetUniformLocation(program, "vLightDir");
    out.lightColor = glGetUniformLocation(program, "vLightColor");
    out.ambientIntensity = glGetUniformLocation(program, "AmbientIntensity");
    out.sectionPlanes = glGetUniformLocation(program, "SectionPlanes");
    return {};
}

void ReleasePass(EffectPass& pass) {
    for (EffectProgram* program : {&pass.vertices, &pass.blocks}) {
        if (program->program != 0) glDeleteProgram(program->program);
        *program = EffectProgram{};
    }
}

Failure BuildPass(const EffectSourcePass& pass, const std::string& name, EffectPass& out) {
    const std::string what = "Compile " + name + " failed: pass " + pass.name;
    out.name = pass.name;
    Failure failure = BuildProgram(pass.vertexSource, pass.fragmentSource, kSceneVertexLayout, what, out.vertices);
    if (!failure.Failed()) failure = BuildProgram(pass.blocksSource, pass.fragmentSource, kBlockLayout, what, out.blocks);
    if (failure.Failed()) ReleasePass(out);
    return failure;
}

}  // namespace

GLuint CompileStage(GLenum stage, const std::string& text, std::string& log) {
    const GLuint shader = glCreateShader(stage);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    log = InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
    glDeleteShader(shader);
    return 0;
}

GLuint LinkStages(GLuint vertex, GLuint fragment, std::span<const char* const> inputs, std::string& log) {
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    for (size_t i = 0; i < inputs.size(); ++i) glBindAttribLocation(program, static_cast<GLuint>(i), inputs[i]);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE) return program;
    log = InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
    glDeleteProgram(program);
    return 0;
}

Failure ParseEffectSource(const std::string& text, EffectSource& source) {
    std::string common;
    std::string currentTechnique;
    std::vector<std::pair<std::string, EffectSourcePass>> passes;  // technique, pass
    bool inPass = false;  // a @pass opened since the last @technique: programs go to it
    std::string* target = nullptr;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) { return Unusable("line " + std::to_string(lineNumber) + ": " + why); };
    while (std::getline(in, line)) {
        ++lineNumber;
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed[0] == '@') {
            std::istringstream words(trimmed.substr(1));
            std::string keyword, argument, extra;
            words >> keyword >> argument >> extra;
            if (!extra.empty()) return fail("unexpected text after @" + keyword + " " + argument);
            if (keyword == "common" && argument.empty()) {
                target = &common;
            } else if (keyword == "technique" && !argument.empty()) {
                currentTechnique = argument;
                inPass = false;
                target = nullptr;
            } else if (keyword == "pass" && !argument.empty()) {
                if (currentTechnique.empty()) return fail("@pass " + argument + " outside a technique");
                passes.push_back({currentTechnique, EffectSourcePass{argument, {}, {}, {}, 0, 0, 0}});
                inPass = true;
                target = nullptr;
            } else if ((keyword == "vertex" || keyword == "blocks" || keyword == "fragment") && argument.empty()) {
                if (!inPass) return fail("@" + keyword + " outside a pass");
                EffectSourcePass& pass = passes.back().second;
                const bool vertex = keyword == "vertex", blocks = keyword == "blocks";
                int& start = vertex ? pass.vertexLine : blocks ? pass.blocksLine : pass.fragmentLine;
                if (start != 0) return fail("second @" + keyword + " in pass " + pass.name);
                start = lineNumber + 1;
                target = vertex ? &pass.vertexSource : blocks ? &pass.blocksSource : &pass.fragmentSource;
            } else {
                return fail("unknown directive @" + keyword);
            }
            continue;
        }
        if (target != nullptr) {
            *target += line;
            *target += '\n';
        } else if (!trimmed.empty() && trimmed.rfind("//", 0) != 0) {
            return fail("text outside a program: " + trimmed);
        }
    }
    source = EffectSource{};
    source.technique = kRenderTechnique;
    source.common = common;
    for (auto& [technique, pass] : passes) {
        if (technique != kRenderTechnique) continue;
        if (pass.vertexLine == 0 || pass.blocksLine == 0 || pass.fragmentLine == 0) {
            return Unusable("pass " + pass.name + " needs a @vertex, a @blocks and a @fragment program");
        }
        pass.vertexSource = ProgramText(common, pass.vertexSource, pass.vertexLine);
        pass.blocksSource = ProgramText(common, pass.blocksSource, pass.blocksLine);
        pass.fragmentSource = ProgramText(common, pass.fragmentSource, pass.fragmentLine);
        source.passes.push_back(std::move(pass));
    }
    if (source.passes.empty()) return Unusable("no technique \"Render\" with a pass");
    for (const char* variable : kVariables) {
        bool declared = DeclaresUniform(common, variable);
        for (const auto& pass : source.passes) {
            declared = declared || DeclaresUniform(pass.vertexSource, variable) ||
                       DeclaresUniform(pass.blocksSource, variable) || DeclaresUniform(pass.fragmentSource, variable);
        }
        if (!declared) return Unusable(std::string("no effect variable ") + variable);
    }
    return {};
}

Failure LoadEffectText(const std::string& text, const std::string& name, Effect& effect) {
    EffectSource source;
    if (Failure failure = ParseEffectSource(text, source); failure.Failed()) {
        failure.message = "Compile " + name + " failed: " + failure.message;
        return failure;
    }
    Effect built;
    for (const auto& pass : source.passes) {
        EffectPass compiled;
        if (Failure failure = BuildPass(pass, name, compiled); failure.Failed()) {
            ReleaseEffect(built);
            return failure;
        }
        built.passes.push_back(compiled);
    }
    built.common = source.common;
    ReleaseEffect(effect);
    effect = std::move(built);
    return {};
}

Failure LoadEffectFile(const std::string& path, Effect& effect) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int code = errno;
        return {FailureKind::EffectFileMissing, code == ENOENT ? kStatusFileNotFound : kStatusFail,
                "Open " + std::string(kEffectFileName) + " failed with error " + std::to_string(code) + ": " +
                    std::strerror(code)};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return LoadEffectText(text.str(), kEffectFileName, effect);
}

void ReleaseEffect(Effect& effect) {
    for (EffectPass& pass : effect.passes) ReleasePass(pass);
    effect.passes.clear();
}

}  // namespace talan
