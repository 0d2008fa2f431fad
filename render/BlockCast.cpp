#include "render/BlockCast.h"

#include "render/EffectFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <glm/gtc/type_ptr.hpp>
#include <glm/mat4x4.hpp>
#include <glm/matrix.hpp>

namespace talan {

namespace {

// The lattice's box, face by face as the block program's boxes, in lattice
// coordinates 0 to LatticeCells. Only its far sides are kept, so that every pixel it
// covers runs the fragment program once, whether the eye is outside or inside it.
constexpr char kVertexProgram[] = R"(
uniform mat4 LatticeToDepth;
uniform ivec3 LatticeCells;
const int kCorners[36] = int[36](0, 4, 5, 0, 5, 1,   4, 6, 7, 4, 7, 5,   1, 5, 7, 1, 7, 3,
                                 3, 7, 6, 3, 6, 2,   2, 6, 4, 2, 4, 0,   1, 3, 2, 1, 2, 0);
void main()
{
    int corner = kCorners[gl_VertexID];
    vec3 p = vec3((corner & 1) != 0 ? float(LatticeCells.x) : 0.0, (corner & 2) != 0 ? float(LatticeCells.y) : 0.0,
                  (corner & 4) != 0 ? float(LatticeCells.z) : 0.0);
    gl_Position = LatticeToDepth * vec4(p, 1.0);
}
)";

// One ray per pixel from the near plane to the far plane, in lattice coordinates: cell (i, j, k) spans (i, j, k) to (i + 1, j + 1, k + 1) along the file's
// x, y and elevation. The ray is cut to the section slab, then walks the bricks of
// 8 x 8 x 8 cells and, in each brick that holds blocks, its cells (Amanatides and
// Woo); in a filled cell it meets the block's box where it enters it or, where the
// slab has cut that side away, where it leaves it. The hit face gives the normal, the
// hit point the depth, exactly as the box would.
constexpr char kFragmentProgram[] = R"(
uniform mat4 InverseProjection; // clip space to view space
uniform mat3 ViewToLattice;     // directions in view space to lattice coordinates
uniform vec3 LatticeEye;        // the eye in lattice coordinates
uniform vec2 NearFar;           // the near and far planes' distances in view space
uniform vec2 DepthFromView;     // depth = x + y / distance in view space
uniform vec4 LatticePlanes[2]; // the section slab in lattice coordinates
uniform vec3 BoxLow;           // the drawn box within a cell, in lattice units
uniform vec3 BoxHigh;
uniform ivec3 LatticeCells;
uniform ivec2 PoolBricks;      // bricks along x and y of the pool texture
uniform vec2 Viewport;
uniform int KeepFaces;         // 0 every face, 1 where the ray enters a box, 2 where it leaves
uniform bool SkipBricks;
uniform usampler3D BrickTable;
uniform usampler3D BrickPool;
out vec4 fragmentColour;

vec3 rayOrigin, rayDirection, rayInverse;
float rayFrom, rayTo;
float hitT;
vec3 hitNormal;
uvec4 hitColour;

uvec4 CellColour(ivec3 cell)
{
    uint brick = texelFetch(BrickTable, cell >> 3, 0).r;
    if (brick == 0u) return uvec4(0u);
    int n = int(brick) - 1;
    ivec3 base = ivec3(n % PoolBricks.x, (n / PoolBricks.x) % PoolBricks.y, n / (PoolBricks.x * PoolBricks.y)) * 8;
    return texelFetch(BrickPool, base + (cell & 7), 0);
}

// The box of the block in `cell`: true when the ray shows it, with the hit kept.
bool MeetBox(ivec3 cell, uvec4 colour)
{
    vec3 a = (vec3(cell) + BoxLow - rayOrigin) * rayInverse;
    vec3 b = (vec3(cell) + BoxHigh - rayOrigin) * rayInverse;
    vec3 near = min(a, b), far = max(a, b);
    float enter = max(max(near.x, near.y), near.z);
    float leave = min(min(far.x, far.y), far.z);
    if (enter > leave) return false;
    if (KeepFaces != 2 && enter >= rayFrom && enter <= rayTo) {
        hitT = enter;
        int axis = near.x >= near.y && near.x >= near.z ? 0 : (near.y >= near.z ? 1 : 2);
        hitNormal = vec3(0.0);
        hitNormal[axis] = -sign(rayDirection[axis]);
    } else if (KeepFaces != 1 && leave >= rayFrom && leave <= rayTo) {
        hitT = leave;
        int axis = far.x <= far.y && far.x <= far.z ? 0 : (far.y <= far.z ? 1 : 2);
        hitNormal = vec3(0.0);
        hitNormal[axis] = sign(rayDirection[axis]);
    } else {
        return false;
    }
    hitColour = colour;
    return true;
}

// The cell (or brick, for a unit of 8) the ray is in just after `from`, within lo..hi.
ivec3 FirstCell(float from, float to, float unit, ivec3 lo, ivec3 hi)
{
    vec3 p = rayOrigin + rayDirection * from;
    vec3 boundary = (floor(p / unit) + step(0.0, rayDirection)) * unit;
    vec3 t = max((boundary - rayOrigin) * rayInverse, vec3(from));
    float next = min(min(min(t.x, t.y), t.z), to);
    return clamp(ivec3(floor((rayOrigin + rayDirection * ((from + next) * 0.5)) / unit)), lo, hi);
}

// The cells lo..hi along the ray from `from` to `to`, one after the other.
bool WalkCells(float from, float to, ivec3 lo, ivec3 hi, int steps)
{
    ivec3 cell = FirstCell(from, to, 1.0, lo, hi);
    ivec3 stepBy = ivec3(sign(rayDirection));
    vec3 ahead = step(0.0, rayDirection);
    for (int i = 0; i < steps; ++i) {
        uvec4 colour = CellColour(cell);
        if (colour.a != 0u && MeetBox(cell, colour)) return true;
        vec3 t = (vec3(cell) + ahead - rayOrigin) * rayInverse;
        int across = t.x <= t.y && t.x <= t.z ? 0 : (t.y <= t.z ? 1 : 2);
        if (t[across] >= to) return false;
        cell[across] += stepBy[across];
        if (cell[across] < lo[across] || cell[across] > hi[across]) return false;
    }
    return false;
}

// The bricks along the ray; the cells of those that hold blocks.
bool WalkBricks(float from, float to)
{
    ivec3 bricks = (LatticeCells + 7) >> 3;
    ivec3 last = LatticeCells - 1;
    ivec3 brick = FirstCell(from, to, 8.0, ivec3(0), bricks - 1);
    ivec3 stepBy = ivec3(sign(rayDirection));
    vec3 ahead = step(0.0, rayDirection);
    float enter = from;
    for (int i = 0; i < bricks.x + bricks.y + bricks.z + 3; ++i) {
        vec3 t = ((vec3(brick) + ahead) * 8.0 - rayOrigin) * rayInverse;
        int across = t.x <= t.y && t.x <= t.z ? 0 : (t.y <= t.z ? 1 : 2);
        float leave = max(min(t[across], to), enter);
        if (texelFetch(BrickTable, brick, 0).r != 0u &&
            WalkCells(enter, leave, brick * 8, min(brick * 8 + 7, last), 3 * 8 + 3)) {
            return true;
        }
        if (t[across] >= to) return false;
        enter = leave;
        brick[across] += stepBy[across];
        if (brick[across] < 0 || brick[across] >= bricks[across]) return false;
    }
    return false;
}

void main()
{
    // The pixel's ray from the eye, with t the distance along the view axis: the
    // direction is found on the near plane, where the inverse projection loses
    // nothing to the far plane's distance.
    vec2 xy = gl_FragCoord.xy / Viewport * 2.0 - 1.0;
    vec4 onNear = InverseProjection * vec4(xy, 0.0, 1.0);
    rayOrigin = LatticeEye;
    rayDirection = ViewToLattice * (onNear.xyz / onNear.z);
    rayDirection = mix(rayDirection, vec3(1e-30), lessThan(abs(rayDirection), vec3(1e-30)));
    rayInverse = 1.0 / rayDirection;

    // What the slab keeps of the ray between the near and the far plane; then the
    // part of that within the lattice.
    rayFrom = NearFar.x;
    rayTo = NearFar.y;
    for (int i = 0; i < 2; ++i) {
        float at = dot(LatticePlanes[i].xyz, rayOrigin) + LatticePlanes[i].w;
        float along = dot(LatticePlanes[i].xyz, rayDirection);
        if (along > 0.0) {
            rayFrom = max(rayFrom, -at / along);
        } else if (along < 0.0) {
            rayTo = min(rayTo, -at / along);
        } else if (at < 0.0) {
            discard;
        }
    }
    vec3 a = -rayOrigin * rayInverse, b = (vec3(LatticeCells) - rayOrigin) * rayInverse;
    vec3 lo = min(a, b), hi = max(a, b);
    float from = max(rayFrom, max(max(lo.x, lo.y), lo.z));
    float to = min(rayTo, min(min(hi.x, hi.y), hi.z));
    if (!(from < to)) discard;

    bool met = SkipBricks ? WalkBricks(from, to)
                          : WalkCells(from, to, ivec3(0), LatticeCells - 1,
                                      LatticeCells.x + LatticeCells.y + LatticeCells.z + 3);
    if (!met) discard;

    gl_FragDepth = clamp(DepthFromView.x + DepthFromView.y / hitT, 0.0, 1.0);
    // File axes to stored axes (x, elevation, y), then as the boxes' normals.
    vec3 normal = WorldNormal(hitNormal.xzy);
    fragmentColour = ShadeSurface(normalize(normal), vec4(vec3(hitColour.rgb) * 0.003921569, 1.0));
}
)";


void ReleaseObject(BlockCastObject& object) {
    if (object.brickTable != 0) glDeleteTextures(1, &object.brickTable);
    if (object.pool != 0) glDeleteTextures(1, &object.pool);
    object = BlockCastObject{};
}

GLuint MakeTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_3D, texture);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAX_LEVEL, 0);
    return texture;
}

// The lattice's brick table and pool as textures; false, with nothing left behind,
// when they do not fit the textures the GL has.
bool MakeTextures(BlockCastObject& object, int32_t maxSide) {
    const BlockLattice& lattice = object.lattice;
    const int64_t maxBricks = maxSide / kBrickSide;
    const int64_t n = std::max<int64_t>(lattice.poolBricks, 1);
    // The pool's bricks in a block about as deep as it is wide and high.
    const int64_t px = std::min<int64_t>(maxBricks, static_cast<int64_t>(std::ceil(std::cbrt(static_cast<double>(n)))));
    const int64_t py = std::min<int64_t>(
        maxBricks, static_cast<int64_t>(std::ceil(std::sqrt(static_cast<double>((n + px - 1) / px)))));
    const int64_t pz = (n + px * py - 1) / (px * py);
    if (pz > maxBricks) return false;
    for (int32_t side : lattice.bricks) {
        if (side > maxSide) return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_IMAGE_HEIGHT, 0);
    object.brickTable = MakeTexture();
    glTexImage3D(GL_TEXTURE_3D, 0, GL_R32UI, lattice.bricks[0], lattice.bricks[1], lattice.bricks[2], 0,
                 GL_RED_INTEGER, GL_UNSIGNED_INT, lattice.brickTable.data());
    object.pool = MakeTexture();
    const auto side = [](int64_t bricks) { return static_cast<GLsizei>(bricks * kBrickSide); };
    glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8UI, side(px), side(py), side(pz), 0, GL_RGBA_INTEGER, GL_UNSIGNED_BYTE,
                 nullptr);
    // One layer of bricks at a time, rearranged from brick order to the texture's.
    const size_t layerRow = static_cast<size_t>(px) * kBrickSide;
    const size_t layerPlane = layerRow * static_cast<size_t>(py) * kBrickSide;
    std::vector<uint32_t> layer(layerPlane * kBrickSide);
    for (int64_t z = 0; z < pz; ++z) {
        std::fill(layer.begin(), layer.end(), 0u);
        for (int64_t k = z * px * py; k < std::min(lattice.poolBricks, (z + 1) * px * py); ++k) {
            const int64_t at = k - z * px * py;
            const size_t x0 = static_cast<size_t>(at % px) * kBrickSide, y0 = static_cast<size_t>(at / px) * kBrickSide;
            const uint32_t* cells = lattice.pool.data() + static_cast<size_t>(k) * kBrickCells;
            for (size_t c = 0; c < kBrickSide; ++c) {
                for (size_t b = 0; b < kBrickSide; ++b) {
                    std::memcpy(&layer[c * layerPlane + (y0 + b) * layerRow + x0], cells + (c * kBrickSide + b) * kBrickSide,
                                kBrickSide * sizeof(uint32_t));
                }
            }
        }
        glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, static_cast<GLint>(z * kBrickSide), side(px), side(py), kBrickSide,
                        GL_RGBA_INTEGER, GL_UNSIGNED_BYTE, layer.data());
    }
    glBindTexture(GL_TEXTURE_3D, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &object.brickTable);
        glDeleteTextures(1, &object.pool);
        object.brickTable = object.pool = 0;
        return false;
    }
    object.poolBricks = {static_cast<int32_t>(px), static_cast<int32_t>(py)};
    object.textureBytes = static_cast<int64_t>(lattice.brickTable.size()) * 4 + px * py * pz * kBrickCells * 4;
    return true;
}

void SetMatrix(GLint location, const glm::dmat4& m) {
    if (location >= 0) glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(glm::mat4(m)));
}

}  // namespace

void BuildBlockCastProgram(BlockCastState& cast, const std::string& common) {
    if (cast.program != 0) glDeleteProgram(cast.program);
    cast.program = 0;
    cast.programLog.clear();
    std::string log;
    const std::string head = "#version 330 core\n" + common + "#line 1\n";
    const GLuint vs = CompileStage(GL_VERTEX_SHADER, head + kVertexProgram, log);
    const GLuint fs = vs != 0 ? CompileStage(GL_FRAGMENT_SHADER, head + kFragmentProgram, log) : 0;
    if (vs == 0 || fs == 0) {
        if (vs != 0) glDeleteShader(vs);
        cast.programLog = log;
        return;
    }
    const GLuint program = LinkStages(vs, fs, {}, log);
    if (program == 0) {
        cast.programLog = "the block cast program does not link:\n" + log;
        return;
    }
    cast.program = program;
    const auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
    cast.world = at("World");
    cast.lightDir = at("vLightDir");
    cast.lightColor = at("vLightColor");
    cast.ambientIntensity = at("AmbientIntensity");
    cast.latticeToDepth = at("LatticeToDepth");
    cast.inverseProjection = at("InverseProjection");
    cast.viewToLattice = at("ViewToLattice");
    cast.latticeEye = at("LatticeEye");
    cast.nearFar = at("NearFar");
    cast.depthFromView = at("DepthFromView");
    cast.latticePlanes = at("LatticePlanes");
    cast.boxLow = at("BoxLow");
    cast.boxHigh = at("BoxHigh");
    cast.cells = at("LatticeCells");
    cast.poolBricks = at("PoolBricks");
    cast.viewport = at("Viewport");
    cast.keepFaces = at("KeepFaces");
    cast.skipBricks = at("SkipBricks");
    glUseProgram(program);
    glUniform1i(at("BrickTable"), 0);
    glUniform1i(at("BrickPool"), 1);
    glUseProgram(0);
    if (cast.vertexArray == 0) glGenVertexArrays(1, &cast.vertexArray);
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &maxSide);
    cast.maxTextureSize = maxSide;
}

std::vector<BlockCastObject> MakeBlockCasts(const GraphicsState& graphics, const SceneModel& scene) {
    const BlockCastState& cast = graphics.cast;
    std::vector<BlockCastObject> objects;
    if (cast.program == 0 || graphics.blockDrawing == BlockDrawing::Boxes) return objects;
    objects.resize(scene.firstStored.size());
    LatticeLimits limits;
    limits.maxCellsPerAxis = int64_t{cast.maxTextureSize} * kBrickSide;
    for (size_t k = 0; k < scene.firstStored.size(); ++k) {
        if (!IsBlockModel(scene, k) || scene.elementCounts[k] <= 0) continue;
        BlockCastObject& object = objects[k];
        const BlockRecord* blocks = scene.blockRecords.data() + scene.firstStored[k];
        if (!FindBlockLattice(blocks, scene.elementCounts[k], limits, object.lattice)) continue;
        // Left to choose, a lattice whose cells would take more memory than the
        // records (a sparse one) is drawn as boxes and makes no textures.
        const BlockLattice& lattice = object.lattice;
        const int64_t cellBytes =
            static_cast<int64_t>(lattice.brickTable.size()) * 4 + lattice.poolBricks * kBrickCells * 4;
        if ((graphics.blockDrawing == BlockDrawing::Auto &&
             cellBytes > lattice.blocks * static_cast<int64_t>(sizeof(BlockRecord))) ||
            !MakeTextures(object, cast.maxTextureSize)) {
            object = BlockCastObject{};
        }
    }
    return objects;
}

void ReleaseBlockCastObjects(std::vector<BlockCastObject>& objects) {
    for (BlockCastObject& object : objects) ReleaseObject(object);
    objects.clear();
}

bool CastChosen(BlockDrawing drawing, const BlockCastObject& object) {
    if (drawing == BlockDrawing::Boxes || object.pool == 0) return false;
    return drawing == BlockDrawing::Cast ||
           object.textureBytes <= object.lattice.blocks * static_cast<int64_t>(sizeof(BlockRecord));
}

void ReleaseBlockCasts(BlockCastState& cast) {
    ReleaseBlockCastObjects(cast.objects);
    if (cast.program != 0) glDeleteProgram(cast.program);
    if (cast.vertexArray != 0) glDeleteVertexArrays(1, &cast.vertexArray);
    cast = BlockCastState{};
}

bool DrawsByCasting(const GraphicsState& graphics, size_t k, const RasterDesc& raster, bool transparent) {
    const BlockCastState& cast = graphics.cast;
    return cast.program != 0 && k < cast.objects.size() && !transparent && raster.fillMode == FillMode::Solid &&
           CastChosen(graphics.blockDrawing, cast.objects[k]);
}

void DrawBlockCast(GraphicsState& graphics, size_t k, const RasterDesc& raster, const CastFrame& frame) {
    const BlockCastState& cast = graphics.cast;
    const BlockCastObject& object = cast.objects[k];
    const BlockLattice& lattice = object.lattice;

    // Lattice coordinates to stored axes (x, elevation, y), then through the frame's
    // matrices, in double precision.
    glm::dmat4 toStored(0.0);
    toStored[0][0] = lattice.cell[0];
    toStored[1][2] = lattice.cell[1];
    toStored[2][1] = lattice.cell[2];
    toStored[3] = glm::dvec4(lattice.origin[0], lattice.origin[2], lattice.origin[1], 1.0);
    const glm::dmat4 projection(graphics.projectionMatrix);
    const glm::dmat4 toView = glm::dmat4(graphics.viewMatrix) * glm::dmat4(graphics.worldMatrix) * toStored;
    const glm::dmat4 toDepth = projection * toView;
    const glm::dmat4 fromView = glm::inverse(toView);
    // Depth 0..1 of a left-handed perspective: z' = a + b / z for the view distance z,
    // 0 at the near plane and 1 at the far one.
    const double a = projection[2][2], b = projection[3][2];
    const double nearPlane = -b / a, farPlane = b / (1.0 - a);
    // The slab's planes, p . n + w >= 0 in stored axes, in lattice coordinates.
    float planes[8];
    for (int i = 0; i < 2; ++i) {
        const glm::dvec4 plane(frame.sectionPlanes[4 * i], frame.sectionPlanes[4 * i + 1],
                               frame.sectionPlanes[4 * i + 2], frame.sectionPlanes[4 * i + 3]);
        const glm::dvec4 inLattice = glm::transpose(toStored) * plane;
        for (int c = 0; c < 4; ++c) planes[4 * i + c] = static_cast<float>(inLattice[c]);
    }
    // Culling keeps the faces on one side: those facing the viewer run clockwise on
    // screen, so they are the front faces when clockwise is the front.
    const int keepFaces = raster.cullMode == CullMode::None                               ? 0
                          : (raster.cullMode == CullMode::Front) == raster.frontCounterClockwise ? 1
                                                                                           : 2;

    glUseProgram(cast.program);
    if (cast.world >= 0) glUniformMatrix4fv(cast.world, 1, GL_FALSE, glm::value_ptr(graphics.worldMatrix));
    if (cast.lightDir >= 0) glUniform4fv(cast.lightDir, 2, frame.lightDir);
    if (cast.lightColor >= 0) glUniform4fv(cast.lightColor, 2, frame.lightColor);
    if (cast.ambientIntensity >= 0) glUniform1f(cast.ambientIntensity, frame.ambient);
    SetMatrix(cast.latticeToDepth, toDepth);
    SetMatrix(cast.inverseProjection, glm::inverse(projection));
    const glm::mat3 viewToLattice(fromView);
    glUniformMatrix3fv(cast.viewToLattice, 1, GL_FALSE, glm::value_ptr(viewToLattice));
    glUniform3f(cast.latticeEye, static_cast<float>(fromView[3][0]), static_cast<float>(fromView[3][1]),
                static_cast<float>(fromView[3][2]));
    glUniform2f(cast.nearFar, static_cast<float>(nearPlane), static_cast<float>(farPlane));
    glUniform2f(cast.depthFromView, static_cast<float>(a), static_cast<float>(b));
    glUniform4fv(cast.latticePlanes, 2, planes);
    glUniform3f(cast.boxLow, static_cast<float>(lattice.boxLow[0]), static_cast<float>(lattice.boxLow[1]),
                static_cast<float>(lattice.boxLow[2]));
    glUniform3f(cast.boxHigh, static_cast<float>(lattice.boxHigh[0]), static_cast<float>(lattice.boxHigh[1]),
                static_cast<float>(lattice.boxHigh[2]));
    glUniform3i(cast.cells, lattice.cells[0], lattice.cells[1], lattice.cells[2]);
    glUniform2i(cast.poolBricks, object.poolBricks[0], object.poolBricks[1]);
    glUniform2f(cast.viewport, static_cast<float>(frame.width), static_cast<float>(frame.height));
    glUniform1i(cast.keepFaces, keepFaces);
    glUniform1i(cast.skipBricks, graphics.skipEmptyBricks ? 1 : 0);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_3D, object.brickTable);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_3D, object.pool);
    glActiveTexture(GL_TEXTURE0);

    // The far sides of the lattice's box (counter-clockwise on screen), filled and
    // opaque; the slab is the ray's to apply, not the clip distances'.
    const bool clipping = glIsEnabled(GL_CLIP_DISTANCE0) == GL_TRUE;
    glDisable(GL_CLIP_DISTANCE0);
    glDisable(GL_CLIP_DISTANCE1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glBindVertexArray(cast.vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 36);
    if (clipping) {
        glEnable(GL_CLIP_DISTANCE0);
        glEnable(GL_CLIP_DISTANCE1);
    }
    graphics.applied.valid = false;
}

}  // namespace talan
