// Everything a command reads or changes: the records, the dialogs it may ask, and
// the host that shows what changed (a window, or nothing on the command line).
#pragma once

#include "shell/Dialogs.h"
#include "shell/Host.h"
#include "shell/Records.h"

namespace talan {

struct ShellContext {
    Records& records;
    Dialogs& dialogs;
    Host& host;
};

}  // namespace talan
