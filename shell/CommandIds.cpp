#include "shell/CommandIds.h"

#include "scene/SceneModel.h"
#include "scene/ValueColours.h"

namespace talan {

Command CommandOfIdentifier(int32_t id) {
    if (id >= kFirstObjectMenuId && id % 2 == 0) {
        if (id < kFirstTransparencyMenuId) return Command::OfObject(ObjectFlag::Visible, (id - kFirstObjectMenuId) / 2);
        return Command::OfObject(ObjectFlag::Transparent, (id - kFirstTransparencyMenuId) / 2);
    }
    return Command::Fixed(id);
}

bool IsMenuIdentifier(int32_t id) {
    if (CommandOfIdentifier(id).object >= 0) return true;
    // Listing every enumerator without a default makes the compiler name one left out.
    switch (static_cast<CommandId>(id)) {
        case kCommandEnd:
        case kCommandNew:
        case kCommandOpenAdd:
        case kCommandSmoothOnOpen:
        case kCommandSolidFace:
        case kCommandFrontFace:
        case kCommandBackFace:
        case kCommandSmoothActives:
        case kCommandBackColour:
        case kCommandAntialiased:
        case kCommandSpanish:
        case kCommandEnglish:
        case kCommandHelp:
        case kCommandAbout:
        case kCommandAutoTurn:
        case kCommandObjectsPanel:
        case kCommandSectionX:
        case kCommandSectionY:
        case kCommandSectionZ:
        case kCommandSectionForward:
        case kCommandSectionBack:
        case kCommandSectionThicker:
        case kCommandSectionThinner:
        case kCommandSectionRemove:
        case kCommandLookAlongSection:
        case kCommandMeasure:
        case kCommandCopyResult:
        case kCommandPlanView:
        case kCommandLookNorth:
        case kCommandLookSouth:
        case kCommandLookEast:
        case kCommandLookWest: return true;
        case kCommandExaggerationUp:
        case kCommandExaggerationDown:
        case kCommandExaggeration1:
        case kCommandFollowChanges:
        case kCommandOverlay:
        case kCommandOwnColours:
        case kCommandColourMap1: return true;
        case kCommandColourByValue1:
        case kCommandRecentFile:
        case kCommandRestoreView1:
        case kCommandSaveView1: return false;
    }
    if (id > kCommandExaggeration1 && id < kCommandExaggeration1 + kExaggerationEntries) return true;
    if (id > kCommandColourMap1 && id < kCommandColourMap1 + kColourMapCount) return true;
    return false;
}

}  // namespace talan
