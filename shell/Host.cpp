#include "shell/Host.h"

#include "render/Graphics.h"
#include "render/SceneLoad.h"

namespace talan {

int32_t HeadlessHost::Upload() {
    return graphics_ != nullptr ? UploadSceneVertices(*graphics_, scene_) : UploadStatusWithoutBuffers(scene_);
}

}  // namespace talan
