#include "support/harness.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "interface/engine.h"
#include "interface/io.h"
#include "interface/settings.h"
#include "interface/uci.h"
#include "search/search.h"

namespace torlo::test {

namespace {
std::FILE* capture_file = nullptr;
}

void reset_engine() {
    reset_uci();
    settings = DEFAULT_SETTINGS;
    new_game();
    generate_root_moves();
    set_output(stdout);
}

void begin_capture() {
    capture_file = std::tmpfile();
    set_output(capture_file);
}

std::string end_capture() {
    std::string text;
    std::fflush(capture_file);
    std::rewind(capture_file);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, capture_file)) > 0) text.append(buf, n);
    std::fclose(capture_file);
    capture_file = nullptr;
    set_output(stdout);
    return text;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string run_session(const std::string& input) {
    set_input_buffer(input.data(), input.size());
    return capture([] { run_engine(); });
}

bool setup(const char* fen) {
    reset_engine();
    return setup_fen(fen) == 1;
}

bool find_move(const char* text, Move* move) {
    for (int i = 0; i < move_count; ++i) {
        if (std::strcmp(move_uci(root_moves[i]), text) == 0) {
            *move = root_moves[i];
            return true;
        }
    }
    return false;
}

}  // namespace torlo::test
