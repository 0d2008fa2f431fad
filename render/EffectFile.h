// The effect file "Talan3D.fx": the viewer's shaders in a small format of our own.
//
//   // comment lines and blank lines outside the programs are ignored
//   @common            GLSL put before every program of the file (uniforms, helpers)
//   @technique Render  the technique the passes below belong to
//   @pass Name         a pass; each pass has one @vertex and one @fragment program
//   @vertex            GLSL 3.30 of the pass's vertex program, up to the next @ line
//   @fragment          GLSL 3.30 of the pass's fragment program
//
// Every program is compiled as "#version 330 core", the @common text, then its own
// text. The vertex inputs are matched to the scene vertex by name: POSITION (3
// floats), NORMAL (3 floats), COLOR (4 floats). The effect variables are found by
// name: World, View, Projection (mat4), vLightDir[2], vLightColor[2] (vec4) and
// AmbientIntensity (float); each must be declared as a uniform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/GraphicsState.h"
#include "scene/Status.h"

namespace talan {

inline constexpr char kEffectFileName[] = "Talan3D.fx";
inline constexpr char kRenderTechnique[] = "Render";

struct EffectSourcePass {
    std::string name;
    std::string vertexSource;    // complete program text, ready to compile
    std::string fragmentSource;
    int vertexLine = 0;          // line of the file where each program starts, for messages
    int fragmentLine = 0;
};

struct EffectSource {
    std::string technique;  // the technique the passes belong to
    std::vector<EffectSourcePass> passes;
};

// Parses effect text. Returns false and a message naming the line on a format error,
// a missing "Render" technique or a missing variable declaration.
bool ParseEffectSource(const std::string& text, EffectSource& source, std::string& error);

// Reads, parses, compiles and links the effect file into `effect`, in the current GL
// context. Returns 0, or a failure status with `error` saying what failed: the file
// cannot be opened (with the system's reason), its format, a compile or link error
// (with the compiler's log), or a vertex input that the scene vertex does not have.
int32_t LoadEffectFile(const std::string& path, Effect& effect, std::string& error);

// Same from text already in memory; `name` is used in messages.
int32_t LoadEffectText(const std::string& text, const std::string& name, Effect& effect, std::string& error);

void ReleaseEffect(Effect& effect);

}  // namespace talan
