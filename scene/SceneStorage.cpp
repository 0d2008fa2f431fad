#include "scene/SceneStorage.h"

namespace talan {

namespace {

// Each face as its normal and its corners a, b, c, d, a corner being a bit set over
// the file axes: 1 = x+, 2 = y+, 4 = z+ (clear bits are the minus faces). The block
// programs of the effect file hold the same table.
struct BoxFace {
    float normal[3];
    uint8_t corners[4];
};
constexpr BoxFace kBoxFaces[6] = {
    {{0, 0, -1}, {0, 4, 5, 1}},  // y = y-
    {{0, 1, 0}, {4, 6, 7, 5}},   // z = z+ (top)
    {{1, 0, 0}, {1, 5, 7, 3}},   // x = x+
    {{0, 0, 1}, {3, 7, 6, 2}},   // y = y+
    {{-1, 0, 0}, {2, 6, 4, 0}},  // x = x-
    {{0, -1, 0}, {1, 3, 2, 0}},  // z = z- (bottom)
};

}  // namespace

void ExpandBlock(const BlockRecord& block, SceneVertex out[kVerticesPerBlock]) {
    const float colour[4] = {static_cast<float>(block.colour[0]) * kByteToUnit,
                             static_cast<float>(block.colour[1]) * kByteToUnit,
                             static_cast<float>(block.colour[2]) * kByteToUnit, 1.0f};
    for (const BoxFace& face : kBoxFaces) {
        static constexpr int kOrder[6] = {0, 1, 2, 0, 2, 3};
        for (int k : kOrder) {
            const int c = face.corners[k];
            SceneVertex& v = *out++;
            v.position[0] = (c & 1) ? block.high[0] : block.low[0];
            v.position[1] = (c & 4) ? block.high[2] : block.low[2];  // the elevation is stored second
            v.position[2] = (c & 2) ? block.high[1] : block.low[1];
            std::memcpy(v.normal, face.normal, sizeof v.normal);
            std::memcpy(v.colour, colour, sizeof v.colour);
        }
    }
}

}  // namespace talan
