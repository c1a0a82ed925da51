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

static std::FILE* capture_file = nullptr;

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
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, capture_file)) > 0;) text.append(buf, n);
    std::fclose(capture_file);
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

void play(const std::string& moves) {
    for (size_t i = 0; i + 4 <= moves.size(); i += 4) {
        const std::string m = moves.substr(i, 4);
        ASSERT_EQ(m == "0000" ? make_null_move() : play_user_move(m.c_str()), 1) << m;
        generate_root_moves();
    }
}

std::string diff(const Position& a, const Position& b) {
    const std::pair<const char*, bool> fields[] = {
        {"board", std::memcmp(a.board, b.board, sizeof a.board) != 0},
        {"color", std::memcmp(a.color, b.color, sizeof a.color) != 0},
        {"side", a.side != b.side}, {"castle", a.castle != b.castle}, {"ep", a.ep != b.ep},
        {"hash_key", a.hash_key != b.hash_key}, {"fifty_counter", a.fifty_counter != b.fifty_counter},
        {"king_sq", a.king_sq[0] != b.king_sq[0] || a.king_sq[1] != b.king_sq[1]}, {"ply", a.ply != b.ply},
        {"piece_material", a.piece_material[0] != b.piece_material[0] || a.piece_material[1] != b.piece_material[1]},
    };
    for (const auto& [name, differs] : fields)
        if (differs) return name;
    return "";
}

}  // namespace torlo::test
