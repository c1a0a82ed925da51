// TORLO: a chess engine for the console and xboard-protocol interfaces.
#include "interface/engine.h"
#include "interface/io.h"
#include "interface/options.h"

int main(int argc, char** argv) {
    torlo::use_standard_streams();
    const int exit_code = torlo::parse_command_line(argc, argv);
    if (exit_code >= 0) return exit_code;
    torlo::start_engine();
    return torlo::run_engine();
}
