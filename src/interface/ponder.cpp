#include "interface/ponder.h"

#include <cstdio>
#include <cstring>

#include "board/board.h"
#include "interface/adjudicate.h"
#include "interface/engine.h"
#include "interface/io.h"
#include "interface/options.h"
#include "interface/settings.h"
#include "search/search.h"
#include "search/tt.h"

namespace torlo {

namespace {

// The ponder search under way.
struct PonderState {
    Move predicted;
    bool hit;      // the predicted move came: the search is the engine's own now
    bool missed;   // another line came: it waits in input_line
    bool ended;    // the input ended
};
PonderState ponder;

// The root move equal to m, if m is one (a legal one).
bool is_root_move(const Move& m) {
    for (int i = 0; i < move_count; ++i) {
        if (!same_move(root_moves[i], m)) continue;
        if (!make_move(m)) return false;
        unmake_move();
        return true;
    }
    return false;
}

// The opponent's reply the engine expects: the second move of the
// principal variation of the move just played, else the table's move.
bool predict_reply(Move* reply) {
    const UndoRecord& played = game_history[pos.ply - 1];
    if (pv_length[0] >= 2 && pv[0][0].from == played.from && pv[0][0].to == played.to && is_root_move(pv[0][1])) {
        *reply = pv[0][1];
        return true;
    }
    const TTEntry e = tt_probe(pos.hash_key);
    if (e.age == 0) return false;
    for (int i = 0; i < move_count; ++i) {
        if (move_code(root_moves[i]) == e.move && is_root_move(root_moves[i])) {
            *reply = root_moves[i];
            return true;
        }
    }
    return false;
}

// Whether the word, typed as a move, plays m (as play_user_move reads it:
// the squares, and for a promotion the letter, a queen without one).
bool names_move(const char* word, const Move& m) {
    if (!looks_like_move(word)) return false;
    const int from = square_from_text(word);
    const int to = square_from_text(word + 2);
    if (from != m.from || to != m.to) return false;
    if (m.type <= 10) return true;
    const char* letter = std::strchr("nbrq", word[4] ? word[4] : 'q');
    return letter && m.type == 11 + (letter - "nbrq");
}

// The predicted move came: the search goes on as the engine's own, until
// its whole time, pondering included, has been used.
void take_hit() {
    ponder.hit = true;
    use_deadline = true;
    stop_time = start_time + static_cast<int64_t>(settings.move_time) * 1000;
}

// One line that came while pondering. True when pondering goes on.
bool take_line() {
    char word[LINE_SIZE];
    if (std::sscanf(input_line, "%255s", word) != 1) return true;  // a blank line: nothing
    if (std::strcmp(word, "time") == 0 || std::strcmp(word, "otim") == 0) {
        std::snprintf(command_word, sizeof command_word, "%s", word);
        execute_command(command_word);
        return true;
    }
    if (names_move(word, ponder.predicted)) {
        take_hit();
        return true;
    }
    ponder.missed = true;
    return false;
}

// The search's time check, while pondering: the lines that have come.
void poll_while_pondering() {
    while (!ponder.hit && input_ready()) {
        if (!read_line(input_line, LINE_SIZE)) {
            ponder.ended = true;
            stop_search();
            return;
        }
        if (!take_line()) {
            stop_search();
            return;
        }
    }
}

enum PonderOutcome { NO_PONDER, HIT_PLAYED, LINE_WAITING };

PonderOutcome ponder_once() {
    if (!options.ponder || settings.uci_mode || settings.use_book) return NO_PONDER;
    if (settings.computer_side == EMPTY || pos.side == settings.computer_side) return NO_PONDER;
    if (pos.ply == 0 || pos.ply + 1 >= GAME_PLY_LIMIT) return NO_PONDER;
    Move predicted;
    if (!predict_reply(&predicted) || !make_move(predicted)) return NO_PONDER;
    generate_root_moves();
    if (!has_legal_move()) {  // the reply would end the game: nothing to think about
        unmake_move();
        generate_root_moves();
        return NO_PONDER;
    }

    // The search of the position after the predicted reply, with
    // no deadline until the reply comes.
    ponder = PonderState{predicted, false, false, false};
    set_search_limits();
    void (*const saved_poll)() = search_poll;
    search_poll = poll_while_pondering;
    use_deadline = false;
    char text[LINE_SIZE];
    const ThinkResult result = think(text);
    search_poll = saved_poll;
    use_deadline = true;

    // A search that ended by itself (its depth, a mate, a lost
    // position) waits for the reply.
    while (!ponder.hit && !ponder.missed && !ponder.ended) {
        if (!read_line(input_line, LINE_SIZE)) ponder.ended = true;
        else take_line();
    }

    // Not the predicted reply: the search is thrown away.
    if (!ponder.hit) {
        unmake_move();
        generate_root_moves();
        return ponder.missed ? LINE_WAITING : NO_PONDER;
    }

    // The predicted reply stands as the opponent's move, and the
    // search's result as the engine's answer.
    after_user_move();
    if (pos.side != settings.computer_side) return NO_PONDER;  // the reply ended the game
    if (result == THINK_RESIGN) {
        resign();
        return NO_PONDER;
    }
    play_engine_move(text);
    return HIT_PLAYED;
}

}  // namespace

bool ponder_after_move() {
    for (;;) {
        const PonderOutcome outcome = ponder_once();
        if (outcome != HIT_PLAYED) return outcome == LINE_WAITING;
    }
}

}  // namespace torlo
