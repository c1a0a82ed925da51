// TORLO: a chess engine for the console and xboard-protocol interfaces.
#include "interface/engine.h"
#include "interface/io.h"

int main() {
    torlo::set_input_fd(0);
    torlo::start_engine();
    return torlo::run_engine();
}
