// UCI mode.
//
//   uci                 identification, options, uciok
//   isready             readyok (also while searching)
//   debug on|off        accepted silently
//   setoption name OwnBook value true|false
//   setoption name Clear Hash
//   setoption name Hash value <MB> | Threads value <n> | Ponder value true|false
//   setoption name MultiPV value <k> | Move Overhead value <ms>
//   setoption name UCI_LimitStrength value true|false | UCI_Elo value <n>
//   setoption name UCI_AnalyseMode value true|false
//   ucinewgame          new game: table cleared, book on again if OwnBook
//   position startpos|fen <FEN> [moves m1 m2 ...]
//   go [wtime btime winc binc movestogo movetime depth nodes infinite ponder
//       searchmoves m1 m2 ...]
//   stop                ends the search; bestmove
//   ponderhit           a ponder search becomes a timed one
//   quit                ends the program (also while searching)
#include "interface/uci.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "board/board.h"
#include "interface/engine.h"
#include "interface/game.h"
#include "interface/io.h"
#include "interface/numbers.h"
#include "interface/options.h"
#include "interface/settings.h"
#include "search/search.h"
#include "search/strength.h"
#include "search/threads.h"
#include "search/tt.h"

namespace torlo {

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr int64_t DEFAULT_MOVE_OVERHEAD_MS = 50;
constexpr int64_t MAX_MOVE_OVERHEAD_MS = 5000;
constexpr int32_t MAX_LINES = 256;
constexpr int64_t MAX_DIVISOR = 30;

bool own_book = true;
int64_t move_overhead_ms = DEFAULT_MOVE_OVERHEAD_MS;  // the clock time a move never plans to use
bool limit_strength = false;                           // UCI_LimitStrength
int64_t uci_elo = 1500;                                // UCI_Elo

// Lines read while searching that are not for the search itself, in order;
// every one is executed after bestmove, however many arrive.
std::deque<std::string> pending;
std::string pending_line;         // the pending line being executed
char line_buffer[UCI_LINE_SIZE];  // the line being read (long move lists)

// The running `go`.
struct GoState {
    bool searching = false;
    bool pondering = false;   // go ponder, before ponderhit
    bool infinite = false;    // go infinite
    bool stopped = false;     // stop (or quit) received
    int64_t budget_ms = -1;   // the time to use once timed; < 0 none
};
GoState go_state;

// Next blank-separated token of *p into word (truncated to its size); false at the end.
bool next_token(const char** p, char* word, int size) {
    const char* s = *p;
    while (*s && is_blank(*s)) ++s;
    if (!*s) return false;
    int len = 0;
    while (*s && !is_blank(*s)) {
        if (len < size - 1) word[len++] = *s;
        ++s;
    }
    word[len] = 0;
    *p = s;
    return true;
}

// A go parameter's number; 0 when it has no digits.
int64_t parse_number(const char* w) {
    int64_t v = 0;
    return read_integer(w, &v) ? v : 0;
}

void identify() {
    out("id name %s\n", ENGINE_NAME);
    out("id author the TORLO authors\n");
    out("option name OwnBook type check default true\n");
    out("option name Clear Hash type button\n");
    out("option name Hash type spin default %d min %lld max %lld\n", TT_DEFAULT_MB, static_cast<long long>(MIN_HASH_MB),
        static_cast<long long>(MAX_HASH_MB));
    out("option name Threads type spin default 1 min 1 max %d\n", MAX_SEARCH_THREADS);
    out("option name Ponder type check default false\n");
    out("option name MultiPV type spin default 1 min 1 max %d\n", MAX_LINES);
    out("option name Move Overhead type spin default %lld min 0 max %lld\n",
        static_cast<long long>(DEFAULT_MOVE_OVERHEAD_MS), static_cast<long long>(MAX_MOVE_OVERHEAD_MS));
    out("option name UCI_LimitStrength type check default false\n");
    out("option name UCI_Elo type spin default 1500 min %d max %d\n", MIN_ELO, MAX_ELO);
    out("option name UCI_AnalyseMode type check default false\n");
    out("uciok\n");
}

void print_info(int score, int64_t centiseconds) {
    (void)centiseconds;
    const int64_t ms = now_ms() - start_time;
    char line[LINE_SIZE * 6];
    const uint64_t all_nodes = total_nodes();
    char multipv[24] = "";
    if (reported_line > 0) std::snprintf(multipv, sizeof multipv, " multipv %d", reported_line);
    // An iteration that no root move improved (a fail low) has no line to
    // show: its info ends at nps, where "pv" with no move would follow.
    int len = std::snprintf(line, sizeof line, "info depth %d%s score %s time %lld nodes %llu nps %llu%s",
                            iteration_depth, multipv, uci_score(score), static_cast<long long>(ms),
                            static_cast<unsigned long long>(all_nodes),
                            static_cast<unsigned long long>(all_nodes * 1000 / static_cast<uint64_t>(ms > 0 ? ms : 1)),
                            pv_length[0] > 0 ? " pv" : "");
    for (int i = 0; i < pv_length[0] && len < static_cast<int>(sizeof line) - 8; ++i)
        len += std::snprintf(line + len, sizeof line - static_cast<size_t>(len), " %s", move_uci(pv[0][i]));
    out("%s\n", line);
}

// A line that arrived during a search, to be executed after bestmove.
void keep_pending(const char* line) { pending.emplace_back(line); }

// Commands that act at once while a search runs; others wait their turn.
void poll_during_search() {
    while (input_ready()) {
        char* line = line_buffer;
        if (!read_line(line, UCI_LINE_SIZE)) {
            // End of input: a bounded search finishes; one that would wait for
            // stop forever ends now.
            if (go_state.infinite || go_state.pondering) {
                go_state.stopped = true;
                stop_search();
            }
            return;
        }
        char word[LINE_SIZE] = "";
        const char* p = line;
        next_token(&p, word, LINE_SIZE);
        if (std::strcmp(word, "isready") == 0) {
            out("readyok\n");
        } else if (std::strcmp(word, "stop") == 0) {
            go_state.stopped = true;
            stop_search();
            return;  // what follows is read after bestmove
        } else if (std::strcmp(word, "quit") == 0) {
            go_state.stopped = true;
            quit_requested = true;
            stop_search();
            return;
        } else if (std::strcmp(word, "ponderhit") == 0) {
            if (go_state.pondering) {
                go_state.pondering = false;
                use_deadline = true;
                stop_time = now_ms() + (go_state.budget_ms >= 0 ? go_state.budget_ms : 10000);
            }
        } else if (word[0]) {
            keep_pending(line);
        }
    }
}

// After a search that ended by itself under `go infinite` or `go ponder`:
// bestmove waits for stop (or ponderhit).
void wait_for_stop() {
    char* line = line_buffer;
    while ((go_state.infinite || go_state.pondering) && !go_state.stopped) {
        if (!read_line(line, UCI_LINE_SIZE)) return;
        char word[LINE_SIZE] = "";
        const char* p = line;
        next_token(&p, word, LINE_SIZE);
        if (std::strcmp(word, "stop") == 0) return;
        if (std::strcmp(word, "ponderhit") == 0) return;
        if (std::strcmp(word, "quit") == 0) {
            quit_requested = true;
            return;
        }
        if (std::strcmp(word, "isready") == 0) out("readyok\n");
        else if (word[0]) keep_pending(line);
    }
}

bool is_go_keyword(const char* word) {
    for (const char* k : {"wtime", "btime", "winc", "binc", "movestogo", "movetime", "depth", "nodes", "infinite",
                          "ponder", "mate", "searchmoves"})
        if (std::strcmp(word, k) == 0) return true;
    return false;
}

void go(const char* args) {
    int64_t wtime = -1, btime = -1, winc = 0, binc = 0, movestogo = 0, movetime = -1, depth = -1, node_count = 0;
    bool infinite = false, ponder = false;
    char word[LINE_SIZE], value[LINE_SIZE];
    const char* p = args;
    bool restricted = false;
    search_move_count = 0;
    while (next_token(&p, word, LINE_SIZE)) {
        if (std::strcmp(word, "searchmoves") == 0) { restricted = true; continue; }
        if (restricted && !is_go_keyword(word)) {
            // The root moves to search, up to the next keyword; a word that
            // is no legal move here is left out.
            if (Move m; looks_like_move(word) && find_user_move(word, &m) && search_move_count < MAX_MOVES)
                search_moves[search_move_count++] = m;
            continue;
        }
        restricted = false;
        if (std::strcmp(word, "infinite") == 0) { infinite = true; continue; }
        if (std::strcmp(word, "ponder") == 0) { ponder = true; continue; }
        int64_t* target = std::strcmp(word, "wtime") == 0       ? &wtime
                          : std::strcmp(word, "btime") == 0     ? &btime
                          : std::strcmp(word, "winc") == 0      ? &winc
                          : std::strcmp(word, "binc") == 0      ? &binc
                          : std::strcmp(word, "movestogo") == 0 ? &movestogo
                          : std::strcmp(word, "movetime") == 0  ? &movetime
                          : std::strcmp(word, "depth") == 0     ? &depth
                          : std::strcmp(word, "nodes") == 0     ? &node_count
                                                                : nullptr;
        if (target && next_token(&p, value, LINE_SIZE)) *target = parse_number(value);
    }

    generate_root_moves();
    if (!has_legal_move() || (restricted && search_move_count == 0)) {
        search_move_count = 0;
        out("bestmove 0000\n");
        return;
    }

    // The limits of this search.
    const int64_t time_left = pos.side == WHITE ? wtime : btime;
    const int64_t increment = pos.side == WHITE ? winc : binc;
    int64_t budget = -1;
    if (movetime >= 0) budget = movetime;
    else if (time_left >= 0) budget = clock_budget(time_left, increment, movestogo);
    const bool limited = budget >= 0 || depth >= 0 || node_count > 0 || infinite || ponder;
    if (!limited) budget = static_cast<int64_t>(settings.move_time) * 1000;

    go_state = GoState{};
    go_state.searching = true;
    go_state.infinite = infinite;
    go_state.pondering = ponder;
    go_state.budget_ms = budget;
    use_deadline = !(infinite || ponder) && budget >= 0;
    move_budget_ms = budget >= 0 ? budget : 0;
    node_limit = node_count > 0 ? static_cast<uint64_t>(node_count) : 0;
    const int32_t saved_depth = settings.max_depth;
    if (depth >= 0) settings.max_depth = depth > 1000 ? 1000 : static_cast<int32_t>(depth);

    settings.computer_side = pos.side;  // the engine is the side to move (book's ply rule)
    // Several lines or a restricted root ask for the search's own answer,
    // not the book's.
    const int32_t saved_book = settings.use_book;
    if (multi_pv > 1 || search_move_count > 0) settings.use_book = 0;
    char text[LINE_SIZE];
    engine_think(text);
    if (multi_pv > 1 || search_move_count > 0) settings.use_book = saved_book;
    search_move_count = 0;
    settings.computer_side = EMPTY;
    settings.max_depth = saved_depth;
    use_deadline = true;
    move_budget_ms = -1;
    node_limit = 0;
    generate_root_moves();

    if (!go_state.stopped && !quit_requested) wait_for_stop();
    go_state.searching = false;
    if (quit_requested) return;
    out("bestmove %s\n", move_uci(best_move));
}

void set_position(const char* args) {
    char word[LINE_SIZE];
    const char* p = args;
    if (!next_token(&p, word, LINE_SIZE)) return;
    const bool startpos = std::strcmp(word, "startpos") == 0;
    if (!startpos && std::strcmp(word, "fen") != 0) {
        out("info string unknown position: %s\n", word);
        return;
    }
    // The FEN runs up to the word "moves".
    char fen[LINE_SIZE] = "";
    const char* moves = std::strstr(p, "moves");
    while (moves && !(moves == p || is_blank(moves[-1]))) moves = std::strstr(moves + 1, "moves");
    if (!startpos) {
        const size_t len = static_cast<size_t>((moves ? moves : p + std::strlen(p)) - p);
        std::memcpy(fen, p, len < LINE_SIZE - 1 ? len : LINE_SIZE - 1);
        fen[len < LINE_SIZE - 1 ? len : LINE_SIZE - 1] = 0;
        const char* q = fen;
        char probe[LINE_SIZE];
        if (!next_token(&q, probe, LINE_SIZE)) {
            out("info string missing FEN\n");
            return;
        }
        if (!fen_is_position(fen)) {
            // The old position stays; the text is quoted without its blanks around.
            const char* text = fen;
            while (is_blank(*text)) ++text;
            int n = static_cast<int>(std::strlen(text));
            while (n > 0 && is_blank(text[n - 1])) --n;
            out("info string Error (bad FEN): %.*s\n", n, text);
            return;
        }
    }
    // A fresh game from this position, as a new game followed by setboard,
    // keeping the table.
    pos.ply = 0;
    setup_ply = 0;
    pos.fifty_counter = 0;
    pos.piece_material[WHITE] = pos.piece_material[BLACK] = 10;
    place_fen(startpos ? START_FEN : fen);
    if (!startpos) settings.use_book = 0;
    else if (!moves) settings.use_book = own_book;  // the start of a game: the book is open again

    if (!moves) return;
    p = moves + 5;
    while (next_token(&p, word, LINE_SIZE)) {
        if (!looks_like_move(word) || pos.ply >= GAME_PLY_LIMIT || !play_user_move(word)) {
            out("info string illegal move: %s\n", word);
            generate_root_moves();
            return;
        }
        generate_root_moves();
    }
}

void set_option(const char* args) {
    // setoption name <name...> [value <value>]
    const char* name = std::strstr(args, "name");
    if (!name) return;
    name += 4;
    while (*name && is_blank(*name)) ++name;
    const char* value = std::strstr(name, " value");
    const size_t name_len = static_cast<size_t>((value ? value : name + std::strlen(name)) - name);
    char option[LINE_SIZE];
    std::snprintf(option, sizeof option, "%.*s", static_cast<int>(name_len), name);
    for (size_t n = std::strlen(option); n > 0 && is_blank(option[n - 1]); --n) option[n - 1] = 0;
    char v[LINE_SIZE] = "";
    if (value) {
        const char* q = value + 6;
        next_token(&q, v, LINE_SIZE);
    }
    if (std::strcmp(option, "OwnBook") == 0) {
        if (std::strcmp(v, "true") == 0) own_book = true;
        else if (std::strcmp(v, "false") == 0) own_book = false;
        if (!own_book) settings.use_book = 0;
    } else if (std::strcmp(option, "Clear Hash") == 0) {
        tt_clear();
    } else if (std::strcmp(option, "Hash") == 0 || std::strcmp(option, "Threads") == 0) {
        const bool hash = option[0] == 'H';
        int64_t n = 0;
        if (!read_whole_integer(v, &n)) {
            out("info string %s needs a number: %s\n", option, v);
            return;
        }
        const OptionResult r = hash ? set_hash_mb(n) : set_threads(n);
        if (r.refused)
            out("info string Hash %lld MB is more memory than the system gives; the table keeps its %lld MB\n",
                static_cast<long long>(n), static_cast<long long>(r.used));
        else if (r.clamped)
            out("info string %s %lld is out of range; %lld is used\n", option, static_cast<long long>(n),
                static_cast<long long>(r.used));
    } else if (std::strcmp(option, "Ponder") == 0) {
        if (std::strcmp(v, "true") == 0) options.ponder = 1;
        else if (std::strcmp(v, "false") == 0) options.ponder = 0;
    } else if (std::strcmp(option, "UCI_LimitStrength") == 0 || std::strcmp(option, "UCI_AnalyseMode") == 0) {
        if (std::strcmp(v, "true") != 0 && std::strcmp(v, "false") != 0) {
            out("info string %s takes true or false: %s\n", option, v);
            return;
        }
        if (option[4] == 'L') limit_strength = v[0] == 't';
        else strength_suspended = v[0] == 't';
        set_elo(limit_strength ? uci_elo : 0);
    } else if (std::strcmp(option, "MultiPV") == 0 || std::strcmp(option, "Move Overhead") == 0 ||
               std::strcmp(option, "UCI_Elo") == 0) {
        int64_t n = 0;
        if (!read_whole_integer(v, &n)) {
            out("info string %s needs a number: %s\n", option, v);
            return;
        }
        const int64_t lo = option[0] == 'M' && option[1] == 'u' ? 1 : option[0] == 'M' ? 0 : MIN_ELO;
        const int64_t hi = option[0] == 'M' && option[1] == 'u' ? MAX_LINES : option[0] == 'M' ? MAX_MOVE_OVERHEAD_MS : MAX_ELO;
        const int64_t used = n < lo ? lo : n > hi ? hi : n;
        if (used != n)
            out("info string %s %lld is out of range; %lld is used\n", option, static_cast<long long>(n),
                static_cast<long long>(used));
        if (option[0] == 'U') {
            uci_elo = used;
            if (limit_strength) set_elo(uci_elo);
        } else if (option[1] == 'u') {
            multi_pv = static_cast<int32_t>(used);
        } else {
            move_overhead_ms = used;
        }
    } else {
        out("info string unknown option: %s\n", option);
    }
}

}  // namespace

int64_t clock_budget(int64_t time_left, int64_t increment, int64_t moves_to_go) {
    int64_t divisor = moves_to_go > 0 ? moves_to_go + 1 : MAX_DIVISOR;
    if (divisor > MAX_DIVISOR) divisor = MAX_DIVISOR;
    int64_t budget = time_left / divisor + (increment > 0 ? increment * 3 / 4 : 0);
    if (budget > time_left - move_overhead_ms) budget = time_left - move_overhead_ms;
    return budget < 1 ? 1 : budget;
}

const char* uci_score(int score) {
    static char text[32];
    if (score >= MATE_SCORE - MAX_PLY) std::snprintf(text, sizeof text, "mate %d", (MATE_SCORE - score + 1) / 2);
    else if (score <= -MATE_SCORE + MAX_PLY) std::snprintf(text, sizeof text, "mate %d", -((MATE_SCORE + score + 1) / 2));
    else std::snprintf(text, sizeof text, "cp %d", score);
    return text;
}

bool uci_next_command() {
    const char* line = line_buffer;
    if (!pending.empty()) {
        pending_line = std::move(pending.front());
        pending.pop_front();
        line = pending_line.c_str();
    } else if (!read_line(line_buffer, UCI_LINE_SIZE)) {
        return false;
    }
    uci_command(line);
    return true;
}

void reset_uci() {
    settings.uci_mode = 0;
    own_book = true;
    move_overhead_ms = DEFAULT_MOVE_OVERHEAD_MS;
    limit_strength = false;
    uci_elo = 1500;
    strength_suspended = false;
    multi_pv = 1;
    search_move_count = 0;
    pending.clear();
    go_state = GoState{};
    thinking_printer = nullptr;
    search_poll = nullptr;
}

void enter_uci() {
    settings.uci_mode = 1;
    settings.xboard_mode = 0;
    settings.show_board = 0;
    settings.post_thinking = 1;
    settings.computer_side = EMPTY;
    thinking_printer = print_info;
    search_poll = poll_during_search;
    identify();
}

void uci_command(const char* line) {
    char word[LINE_SIZE];
    const char* p = line;
    if (!next_token(&p, word, LINE_SIZE)) return;
    auto is = [&word](const char* w) { return std::strcmp(word, w) == 0; };
    if (is("uci")) identify();
    else if (is("isready")) out("readyok\n");
    else if (is("quit")) quit_requested = true;
    else if (is("debug")) return;
    else if (is("setoption")) set_option(p);
    else if (is("ucinewgame")) {
        new_game();
        settings.use_book = own_book;
        settings.computer_side = EMPTY;
        generate_root_moves();
    } else if (is("position")) set_position(p);
    else if (is("go")) go(p);
    else if (is("stop") || is("ponderhit")) return;  // no search is running
    else out("info string unknown command: %s\n", word);
}

}  // namespace torlo
