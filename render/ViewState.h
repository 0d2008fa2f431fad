// Camera, light and display values: changed by the mouse and the menu commands,
// read afresh by every frame.
#pragma once

#include <array>
#include <cstdint>

#include "scene/ValueColours.h"

namespace talan {

// A slab of the scene between two parallel planes across one file axis: only what
// lies within centre ± thickness / 2 along that axis is drawn, cut where it crosses
// a plane.
struct SectionSlab {
    int axis = -1;           // 0 x, 1 y, 2 elevation, in file axes; -1 when there is no slab
    double centre = 0.0;     // file units
    double thickness = 0.0;  // file units

    bool Active() const { return axis >= 0; }
};

// The points a measurement has picked, drawn over the scene with the line between
// them once there are two.
struct MeasureMarks {
    bool measuring = false;  // the next picks are the measurement's points
    int count = 0;           // points picked: 0, 1 or 2
    std::array<std::array<double, 3>, 2> points{};  // file axes

    bool Shown() const { return measuring || count > 0; }
};

// What a speed of 1 turns the camera or the light by in one frame, in degrees.
inline constexpr double kTurnPerFrame = 0.005;

// The speed "Mode auto-turn" starts the camera turning at.
inline constexpr float kAutoTurnStartSpeed = 5.0f;

// Vertical exaggeration: the bounds a command line may give,
// and the steps the menu entries and Ctrl+Up / Ctrl+Down go through.
inline constexpr float kMinExaggeration = 0.1f;
inline constexpr float kMaxExaggeration = 100.0f;
inline constexpr float kExaggerationSteps[] = {1.0f, 1.5f, 2.0f, 3.0f, 5.0f, 10.0f};

// The transparency level at start and after every New.
inline constexpr float kStartTransparencyLevel = 0.4f;

struct ViewState {
    float cameraYaw = 0.0f;        // degrees about the vertical axis; never reset, not even by a new scene
    float cameraPitch = 0.0f;      // degrees above the target; 45 after every fit
    float cameraDistance = 0.0f;   // eye to target, scene units; twice sceneSize after every fit
    std::array<float, 3> cameraTarget{};  // the point looked at, in file axes (x, y, elevation)
    float sceneSize = 0.0f;        // mean extent of the scene bounds: the unit of zoom and pan steps
    bool autoTurnMode = false;     // "Mode auto-turn": a left drag sets autoTurnSpeed instead of turning
    float autoTurnSpeed = 0.0f;    // cameraYaw grows by autoTurnSpeed × kTurnPerFrame every frame
    float lightElevation = 50.0f;  // degrees
    float lightAzimuth = 240.0f;   // degrees
    float lightSpinSpeed = 0.0f;   // lightAzimuth grows by lightSpinSpeed × kTurnPerFrame every frame
    float ambientIntensity = 0.8f; // the effect's AmbientIntensity
    float transparencyLevel = kStartTransparencyLevel;  // share of what lies behind a transparent object
    int32_t farPlane = 0;          // far clipping distance of the last fit
    std::array<float, 4> backgroundColor{};  // clear colour; alpha stays 0
    bool cameraFitted = false;     // a load has fitted the camera at least once
    SectionSlab section;           // the section slab the frame is cut to, if any
    MeasureMarks measure;          // a measurement under way or done, drawn over the scene
    // Elevations are drawn this many times as tall, about the scene's middle elevation
    // (which the fit looks at). Only the picture changes: the camera target, slabs,
    // picks and measurements stay in file units.
    float exaggeration = 1.0f;
    // The axes triad and the scale bar over the picture ("Axes and scale").
    bool overlay = true;
    // What the objects are coloured by, applied to the scene by every load, and the
    // legend of that colouring drawn over the picture (even without the overlay).
    ColourBy colourBy;
    Legend legend;

    // Mouse drags. A step needs dragThreshold pixels of travel along its axis since the
    // last step on that axis; the references move only with a step.
    int32_t dragThreshold = 1;
    int32_t lastCursorX = 0, lastCursorY = 0;  // screen pixels
    bool rotateDrag = false;          // left button: turn the scene
    bool lightDirectionDrag = false;  // CONTROL + left button: turn the light
    bool autoTurnDrag = false;        // left button in auto-turn mode: set autoTurnSpeed
    bool slowZoomDrag = false;        // SHIFT + right button: zoom slowly
    bool panDrag = false;             // right button: move the scene
    bool lightSpinDrag = false;       // CONTROL + right button: set the light spinning
};

}  // namespace talan
