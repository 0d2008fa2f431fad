// Writes the manual page talan3d(1) to standard output, made from the command-line
// tables that --help prints:   make_manual_page VERSION > talan3d.1
#include <cstdio>

#include "shell/CommandLine.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_manual_page VERSION\n", stderr);
        return 2;
    }
    const std::string page = talan::ManualPage(argv[1]);
    return std::fwrite(page.data(), 1, page.size(), stdout) == page.size() && std::fflush(stdout) == 0 ? 0 : 1;
}
