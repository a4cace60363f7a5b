#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    return tarnwick::RunCommandLine(argc, argv);
}
