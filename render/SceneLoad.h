// The end of every scene-file load, shared by the viewer and the headless modes.
#pragma once

#include <cstdint>
#include <functional>

#include "render/ViewState.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"

namespace talan {

// After a file has been read: smooth the triangulated surfaces when asked, colour the
// objects by the view's colourBy (view.legend becomes its legend), make the vertex
// buffer with `upload` and fit the camera. Returns the load's status:
// - the read's failure unchanged when the file could not be read (nothing else runs);
// - the upload's failure when it fails (the camera is then not fitted);
// - kStatusFail when a section was refused, after the rest of the load completed;
// - kStatusOk otherwise.
// Without an upload (headless information) the status is UploadStatusWithoutBuffers.
// `fitted` tells whether this load fitted the camera.
int32_t CompleteSceneLoad(SceneModel& scene, ViewState& view, const SceneReadResult& read, bool smoothOnOpen,
                          const std::function<int32_t()>& upload = nullptr, bool* fitted = nullptr);

// What the upload of `scene` returns, without making any buffer: a scene with no
// vertex fails as the upload of a 0-byte vertex buffer would, with kStatusInvalidArg.
int32_t UploadStatusWithoutBuffers(const SceneModel& scene);

}  // namespace talan
