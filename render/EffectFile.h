// The effect file "Talan3D.fx": the viewer's shaders in a small format of our own.
//
//   // comment lines and blank lines outside the programs are ignored
//   @common            GLSL put before every program of the file (uniforms, helpers)
//   @technique Render  the technique the passes below belong to
//   @pass Name         a pass; each pass has one @vertex, one @blocks and one
//                      @fragment program
//   @vertex            GLSL 3.30 of the pass's vertex program, up to the next @ line
//   @blocks            GLSL 3.30 of the pass's vertex program for block models
//   @fragment          GLSL 3.30 of the pass's fragment program, used with both
//
// Every program is compiled as "#version 330 core", the @common text, then its own
// text. The inputs of a vertex program are matched to the scene vertex by name:
// POSITION (vec3), NORMAL (vec3), COLOR (vec4). A block program draws a block's box
// by instancing: it runs for gl_VertexID 0 to 35, the box's vertices face by face,
// with one block record per instance as BLOCK_LOW (vec3: x−, y−, z− in file axes),
// BLOCK_HIGH (vec3: x+, y+, z+) and BLOCK_COLOR (uvec4: the colour's bytes). The
// effect variables are found by name: World (which moves the point looked at to the
// origin; apply it first, as map coordinates are large), View, Projection (mat4),
// vLightDir[2], vLightColor[2] (vec4), AmbientIntensity (float) and
// SectionPlanes[2] (vec4: two planes in stored axes, a point p lying on the kept
// side of both where dot(plane.xyz, p) + plane.w >= 0); each must be declared as a
// uniform. While a section slab is shown, clip distances 0 and 1 are enabled and
// the vertex and block programs must write them from SectionPlanes.
#pragma once

#include <cstdint>
#include <span>
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
    std::string blocksSource;
    std::string fragmentSource;
    int vertexLine = 0;          // line of the file where each program starts, for messages
    int blocksLine = 0;
    int fragmentLine = 0;
};

struct EffectSource {
    std::string technique;
    std::string common;  // the @common text  // the technique the passes belong to
    std::vector<EffectSourcePass> passes;
};

// Parses effect text. Fails (FailureKind::EffectFile) with a message naming the line
// on a format error, a missing "Render" technique, a pass without its three programs
// or a missing variable declaration.
Failure ParseEffectSource(const std::string& text, EffectSource& source);

// Reads, parses, compiles and links the effect file into `effect`, in the current GL
// context. Fails with FailureKind::EffectFileMissing when the file cannot be opened
// (the message gives the system's reason; the status is kStatusFileNotFound for a
// missing file), else with FailureKind::EffectFile for its format, a compile or link
// error (with the compiler's log), or a vertex input that the scene vertex or the
// block record does not have.
Failure LoadEffectFile(const std::string& path, Effect& effect);

// Same from text already in memory; `name` is used in messages.
Failure LoadEffectText(const std::string& text, const std::string& name, Effect& effect);

void ReleaseEffect(Effect& effect);

// Compiles one stage of a program; 0, with the compiler's log in `log`, when it fails.
GLuint CompileStage(GLenum stage, const std::string& text, std::string& log);

// Links two compiled stages, binding `inputs` to attribute locations 0, 1, ... in
// order, and deletes the stages; 0, with the linker's log in `log`, when it fails.
GLuint LinkStages(GLuint vertex, GLuint fragment, std::span<const char* const> inputs, std::string& log);

}  // namespace talan
