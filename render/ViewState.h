// Camera, light and display values: changed by the mouse and the menu commands,
// read afresh by every frame.
#pragma once

#include <array>
#include <cstdint>

namespace talan {

struct ViewState {
    float cameraYaw = 0.0f;        // degrees about the vertical axis; never reset, not even by a new scene
    float cameraPitch = 0.0f;      // degrees above the target; 45 after every fit
    float cameraDistance = 0.0f;   // eye to target, scene units; twice sceneSize after every fit
    std::array<float, 3> cameraTarget{};  // the point looked at, in file axes (x, y, elevation)
    float sceneSize = 0.0f;        // mean extent of the scene bounds: the unit of zoom and pan steps
    float autoTurnSpeed = 0.0f;    // cameraYaw grows by autoTurnSpeed × 0.005 every frame
    float lightElevation = 50.0f;  // degrees
    float lightAzimuth = 240.0f;   // degrees
    float lightSpinSpeed = 0.0f;   // lightAzimuth grows by lightSpinSpeed × 0.005 every frame
    float ambientIntensity = 0.8f; // the effect's AmbientIntensity
    float transparencyLevel = 0.4f;  // share of what lies behind a transparent object
    int32_t farPlane = 0;          // far clipping distance of the last fit
    std::array<float, 4> backgroundColor{};  // clear colour; alpha stays 0
    bool autoTurnDrag = false;     // a left drag in auto-turn mode sets autoTurnSpeed
    bool cameraFitted = false;     // a load has fitted the camera at least once
};

}  // namespace talan
