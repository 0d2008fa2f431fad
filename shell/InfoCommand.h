// `talan3d --info`: reads scene files without a window and prints the scene model.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace talan {

struct InfoOptions {
    bool json = false;      // the machine-readable document instead of the table
    bool vertices = false;  // also list every vertex (JSON only)
    bool smooth = false;    // as with "Smooth T3 wend open" checked
    std::vector<std::string> files;
};

// Parses the arguments that follow "--info". On a usage error returns false and sets
// `error` to a one-line message.
bool ParseInfoArguments(const std::vector<std::string>& args, InfoOptions& options, std::string& error);

// Loads the files one after the other into one scene, as consecutive Open (Add)
// loads, and prints it. Returns the exit status: 0 when every load succeeded, else 1.
int RunInfoCommand(const InfoOptions& options, std::FILE* out, std::FILE* err);

}  // namespace talan
