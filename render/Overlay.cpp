#include "render/Overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "render/CameraMath.h"
#include "render/EffectFile.h"
#include "render/GraphicsState.h"

namespace talan {

namespace {

// A 5 x 7 dot font of the printable ASCII characters, from the space (32) to the
// tilde (126): rows from the top, the leftmost dot in bit 4.
constexpr uint8_t kGlyphs[95][7] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04},  // space !
    {0x0A, 0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00}, {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A},  // " #
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04}, {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03},  // $ %
    {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}, {0x04, 0x04, 0x08, 0x00, 0x00, 0x00, 0x00},  // & '
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}, {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08},  // ( )
    {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00}, {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},  // * +
    {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}, {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},  // , -
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}, {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00},  // . /
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 0 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 2 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 4 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 6 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 8 9
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}, {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08},  // : ;
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02}, {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00},  // < =
    {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}, {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},  // > ?
    {0x0E, 0x11, 0x01, 0x0D, 0x15, 0x15, 0x0E}, {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // @ A
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}, {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},  // B C
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // D E
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},  // F G
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},  // H I
    {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}, {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},  // J K
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}, {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},  // L M
    {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}, {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // N O
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},  // P Q
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},  // R S
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // T U
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},  // V W
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}, {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04},  // X Y
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}, {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},  // Z [
    {0x00, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00}, {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E},  // \\ ]
    {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},  // ^ _
    {0x08, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F},  // ` a
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E}, {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E},  // b c
    {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F}, {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E},  // d e
    {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}, {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E},  // f g
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E},  // h i
    {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C}, {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12},  // j k
    {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11},  // l m
    {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E},  // n o
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}, {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01},  // p q
    {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}, {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},  // r s
    {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}, {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D},  // t u
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A},  // v w
    {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}, {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E},  // x y
    {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F}, {0x02, 0x04, 0x04, 0x08, 0x04, 0x04, 0x02},  // z {
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x08, 0x04, 0x04, 0x02, 0x04, 0x04, 0x08},  // | }
    {0x00, 0x00, 0x08, 0x15, 0x02, 0x00, 0x00},  // ~
};

constexpr float kStroke = 1.5f;       // half the width of a stroke
constexpr float kOutline = 1.5f;      // the dark border around each stroke and dot
constexpr float kDark[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr float kAxisColours[3][4] = {{1.0f, 0.25f, 0.25f, 1.0f}, {0.25f, 1.0f, 0.25f, 1.0f}, {0.4f, 0.6f, 1.0f, 1.0f}};

// The dots of a character; any byte outside printable ASCII is drawn as '?'.
const uint8_t* GlyphRows(char c) {
    const int code = static_cast<unsigned char>(c);
    return kGlyphs[code >= 32 && code <= 126 ? code - 32 : '?' - 32];
}

void Triad(OverlayPainter& painter, const glm::mat4& view) {
    const glm::vec2 centre(kTriadCentrePixels);
    ScreenAxis axes[3];
    int order[3] = {0, 1, 2};
    for (int k = 0; k < 3; ++k) axes[k] = AxisOnScreen(view, k);
    // The axes pointing away are drawn first, the nearer ones over them.
    std::sort(order, order + 3, [&](int a, int b) { return axes[a].depth > axes[b].depth; });
    for (int k : order) {
        const glm::vec2 tip = centre + axes[k].direction * kTriadAxisPixels;
        painter.OutlinedStroke(centre, tip, kAxisColours[k]);
        const float shown = std::hypot(axes[k].direction.x, axes[k].direction.y) * kTriadAxisPixels;
        if (k != 1 || shown < 6.0f) continue;
        // North's arrow head: two barbs back from the tip.
        const glm::vec2 back = -axes[k].direction * kTriadAxisPixels / shown;
        for (float side : {-1.0f, 1.0f}) {
            const float c = std::cos(0.5f), s = std::sin(0.5f) * side;
            const glm::vec2 barb(back.x * c - back.y * s, back.x * s + back.y * c);
            painter.OutlinedStroke(tip, tip + barb * 9.0f, kAxisColours[k]);
        }
    }
    // The "N" beyond north's tip, or on the centre when north runs along the line of sight.
    const glm::vec2 north = axes[1].direction;
    const float length = std::hypot(north.x, north.y);
    const glm::vec2 at = length > 0.15f ? centre + north * kTriadAxisPixels + north / length * 13.0f : centre;
    painter.Text("N", at, 0.5f, kWhite);
}

void Bar(OverlayPainter& painter, const ScaleBar& bar) {
    const float right = painter.width - kOverlayMargin - 4.0f, left = right - static_cast<float>(bar.pixels);
    const float y = kOverlayMargin + 7.0f * kOverlayDot + 12.0f;
    painter.Stroke({left, y}, {right, y}, kStroke + kOutline, kDark);
    for (float x : {left, right}) painter.Stroke({x, y - 5.0f}, {x, y + 5.0f}, kStroke + kOutline, kDark);
    painter.Stroke({left, y}, {right, y}, kStroke, kWhite);
    for (float x : {left, right}) painter.Stroke({x, y - 5.0f}, {x, y + 5.0f}, kStroke, kWhite);
    painter.Text(ScaleBarText(bar.length), {(left + right) / 2.0f, kOverlayMargin + 3.5f * kOverlayDot}, 0.5f, kWhite);
}

constexpr char kVertexShader[] = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 colour;
out vec4 vColour;
void main() {
    vColour = colour;
    gl_Position = vec4(position, 0.0, 1.0);
}
)";
constexpr char kFragmentShader[] = R"(#version 330 core
in vec4 vColour;
out vec4 fragColour;
void main() { fragColour = vColour; }
)";

bool MakeOverlayProgram(OverlayState& overlay) {
    if (overlay.program != 0) return true;
    std::string log;
    const GLuint vertex = CompileStage(GL_VERTEX_SHADER, kVertexShader, log);
    const GLuint fragment = vertex != 0 ? CompileStage(GL_FRAGMENT_SHADER, kFragmentShader, log) : 0;
    if (fragment == 0) {
        if (vertex != 0) glDeleteShader(vertex);
        return false;
    }
    constexpr const char* kInputs[] = {"position", "colour"};
    overlay.program = LinkStages(vertex, fragment, kInputs, log);
    if (overlay.program == 0) return false;
    glGenVertexArrays(1, &overlay.vertexArray);
    glGenBuffers(1, &overlay.buffer);
    glBindVertexArray(overlay.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, overlay.buffer);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(OverlayVertex), nullptr);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(OverlayVertex),
                          reinterpret_cast<const void*>(offsetof(OverlayVertex, colour)));
    return true;
}

}  // namespace

void OverlayPainter::Corner(glm::vec2 p, const float colour[4]) {
    vertices.push_back(
        {2.0f * p.x / width - 1.0f, 2.0f * p.y / height - 1.0f, {colour[0], colour[1], colour[2], colour[3]}});
}

void OverlayPainter::Quad(glm::vec2 a, glm::vec2 b, glm::vec2 c, glm::vec2 d, const float colour[4]) {
    for (glm::vec2 p : {a, b, c, a, c, d}) Corner(p, colour);
}

void OverlayPainter::Box(glm::vec2 low, glm::vec2 high, const float colour[4]) {
    Quad(low, {high.x, low.y}, high, {low.x, high.y}, colour);
}

void OverlayPainter::Stroke(glm::vec2 a, glm::vec2 b, float half, const float colour[4]) {
    const glm::vec2 along = b - a;
    const float length = std::hypot(along.x, along.y);
    const glm::vec2 u = length > 1e-4f ? along / length : glm::vec2(1.0f, 0.0f);
    const glm::vec2 s = u * half, n = glm::vec2(-u.y, u.x) * half;
    Quad(a - s - n, b + s - n, b + s + n, a - s + n, colour);
}

void OverlayPainter::OutlinedStroke(glm::vec2 a, glm::vec2 b, const float colour[4]) {
    Stroke(a, b, kStroke + kOutline, kDark);
    Stroke(a, b, kStroke, colour);
}

float OverlayTextWidth(size_t characters) {
    return characters == 0 ? 0.0f : kOverlayTextAdvance * static_cast<float>(characters) - kOverlayDot;
}

void OverlayPainter::Text(std::string_view text, glm::vec2 at, float align, const float colour[4]) {
    const glm::vec2 origin = at - glm::vec2(OverlayTextWidth(text.size()) * align, 3.5f * kOverlayDot);
    for (int layer = 0; layer < 2; ++layer) {
        const float grow = layer == 0 ? kOutline : 0.0f;
        for (size_t i = 0; i < text.size(); ++i) {
            const uint8_t* rows = GlyphRows(text[i]);
            for (int row = 0; row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (!(rows[row] >> (4 - column) & 1)) continue;
                    const float x = kOverlayTextAdvance * static_cast<float>(i) + kOverlayDot * static_cast<float>(column);
                    const glm::vec2 low = origin + glm::vec2(x, kOverlayDot * static_cast<float>(6 - row));
                    const glm::vec2 high = low + glm::vec2(kOverlayDot);
                    Quad(low - grow, {high.x + grow, low.y - grow}, high + grow, {low.x - grow, high.y + grow},
                         layer == 0 ? kDark : colour);
                }
            }
        }
    }
}

double UnitsPerPixelAtTarget(float cameraDistance, int32_t height) {
    if (!(cameraDistance > 0.0f) || !std::isfinite(cameraDistance) || height <= 0) return 0.0;
    return 2.0 * cameraDistance * std::tan(kFieldOfViewY / 2.0) / height;
}

ScaleBar ChooseScaleBar(double unitsPerPixel) {
    if (!(unitsPerPixel > 0.0) || !std::isfinite(unitsPerPixel)) return {};
    const double least = kScaleBarLeastPixels * unitsPerPixel;
    double power = std::pow(10.0, std::floor(std::log10(least)));
    for (;;) {
        for (double mantissa : {1.0, 2.0, 5.0}) {
            const double length = mantissa * power;
            if (length >= least) return {length, length / unitsPerPixel};
        }
        power *= 10.0;
    }
}

std::string ScaleBarText(double length) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", length);
    return text;
}

ScreenAxis AxisOnScreen(const glm::mat4& view, int axis) {
    // File axes x, y, z are stored as x, z, y.
    static constexpr int kStored[3] = {0, 2, 1};
    const glm::vec4 column = view[kStored[axis]];
    return {{column.x, column.y}, column.z};
}

std::vector<OverlayVertex> OverlayTriangles(const glm::mat4& view, const ViewState& state, int32_t width,
                                            int32_t height) {
    OverlayPainter painter{static_cast<float>(std::max(width, 1)), static_cast<float>(std::max(height, 1)), {}};
    Triad(painter, view);
    const ScaleBar bar = ChooseScaleBar(UnitsPerPixelAtTarget(state.cameraDistance, height));
    if (state.cameraFitted && bar.length > 0.0) Bar(painter, bar);
    return painter.vertices;
}

void DrawOverlayTriangles(GraphicsState& graphics, const std::vector<OverlayVertex>& vertices) {
    if (vertices.empty() || !MakeOverlayProgram(graphics.overlay)) return;
    glUseProgram(graphics.overlay.program);
    glBindVertexArray(graphics.overlay.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, graphics.overlay.buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(OverlayVertex)), vertices.data(),
                 GL_STREAM_DRAW);
    // Over everything, whatever the frame's fill, culling, blending and slab.
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const GLenum planes[2] = {GL_CLIP_DISTANCE0, GL_CLIP_DISTANCE1};
    GLboolean clipped[2];
    for (int i = 0; i < 2; ++i) {
        clipped[i] = glIsEnabled(planes[i]);
        glDisable(planes[i]);
    }
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    for (int i = 0; i < 2; ++i) {
        if (clipped[i]) glEnable(planes[i]);
    }
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    graphics.applied.valid = false;  // fill, culling and blending are set again by the next draw
}

void DrawOverlay(GraphicsState& graphics, const glm::mat4& view, const ViewState& state, int32_t width, int32_t height) {
    DrawOverlayTriangles(graphics, OverlayTriangles(view, state, width, height));
}

void ReleaseOverlay(GraphicsState& graphics) {
    OverlayState& overlay = graphics.overlay;
    if (overlay.program != 0) glDeleteProgram(overlay.program);
    if (overlay.buffer != 0) glDeleteBuffers(1, &overlay.buffer);
    if (overlay.vertexArray != 0) glDeleteVertexArrays(1, &overlay.vertexArray);
    overlay = {};
}

}  // namespace talan
