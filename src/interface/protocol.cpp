// The command interpreter. Words are compared exactly, in this order:
//
//   word       arguments         effect
//   accepted   ignored           none (xboard)
//   rejected   ignored           none (xboard)
//   random     -                 none (xboard)
//   computer   -                 none (xboard)
//   level      ignored           none: the engine keeps its own time per move
//   otim       ignored           none
//   name       ignored           none
//   playother  -                 engine plays the colour not on move
//   protover   ignored           prints the feature line
//   st         n                 seconds per move
//   sd         n                 depth limit
//   time       n centiseconds    seconds per move = n / 3000
//   hint       -                 searches and prints "Hint: <move>"
//   post       -                 thinking output on
//   nopost     -                 thinking output off
//   new        -                 new game, engine plays Black
//   board      -                 toggles the board display
//   go         -                 engine plays the side to move
//   quit       -                 ends the program
//   white      -                 White to move, engine plays Black
//   black      -                 Black to move, engine plays White
//   help       -                 the help screen
//   xboard     -                 xboard mode
//   edit       -                 edit words from input until "."
//   setboard   FEN               sets up the position
//   loadpos    file [n]          sets up line n of a position file
//   force      -                 engine plays neither colour
//   undo       -                 takes back one move
//   remove     -                 takes back two moves
//   list       -                 lists the generated moves
//   llist      -                 lists the legal moves
//   perft      [n]               counts the move paths of length n
//   bench      -                 fixed-depth searches of built-in positions
//   uci        -                 switches to UCI mode for the rest of the run
//   cores      n                 search threads (xboard; clamped to 1..256)
//   memory     n megabytes       table size (xboard; clamped to 1..65536)
//   elo        n | off           plays at the strength of an n-rated player (800..1800)
//   hard       -                 pondering on (xboard)
//   easy       -                 pondering off (xboard)
#include <sys/stat.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "board/board.h"
#include "interface/engine.h"
#include "interface/game.h"
#include "interface/io.h"
#include "interface/numbers.h"
#include "interface/options.h"
#include "interface/settings.h"
#include "interface/uci.h"
#include "search/search.h"
#include "search/tt.h"

namespace torlo {

namespace {

constexpr const char* feature_list[] = {
    "setboard=1", "playother=1", "draw=0", "sigint=0", "sigterm=0", "reuse=0", "analyze=0",
    "myname=\"TORLO v" TORLO_VERSION "\"", "variants=\"normal\"", "colors=0", "done=1",
};

constexpr const char* help_lines[] = {
    "=========================\n",
    " TORLO ver. " TORLO_VERSION " - help\n",
    "=========================\n\n",
    "--------------------------------------------------------------\n",
    "new              -  new game\n",
    "edit             -  set up positions\n",
    "setboard <s>     -  set up positions in FEN format\n",
    "loadpos  <s> <n> -  load position n from file s\n",
    "white            -  white to move, engine plays black\n",
    "black            -  black to move, engine plays white\n",
    "playother        -  engine plays the color that is not on move\n",
    "go               -  start engine\n",
    "force            -  engine plays neither color\n",
    "time     <n>     -  set time remaining to the engine\n",
    "st       <n>     -  set number of second per move\n",
    "sd       <n>     -  set max depth\n",
    "post             -  turn on thinking output\n",
    "nopost           -  turn off thinking output\n",
    "undo             -  undo last move\n",
    "remove           -  undo last two moves\n",
    "hint             -  suggest a move\n",
    "help             -  show this commands list\n",
    "board            -  toggle board display\n",
    "list             -  list of all pseudo moves\n",
    "llist            -  list of all legal moves\n",
    "quit             -  exit from TORLO\n",
    "                 -  type moves in cordinate notation\n",
    "--------------------------------------------------------------\n",
};
constexpr int HINT_LINE = 21;

// A number as %d reads it (blanks before it skipped), held in the 32-bit
// range. Returns the end, or nullptr without digits.
const char* parse_int(const char* p, int* value) {
    int64_t v = 0;
    const char* end = read_integer(p, &v);
    if (end) *value = clamp_int32(v);
    return end;
}

// The word at the start of the line, followed by the rest.
const char* after_word(const char* line, const char* word) {
    const size_t n = std::strlen(word);
    return std::strncmp(line, word, n) == 0 ? line + n : nullptr;
}

void set_side(int side) {
    // When the move passes to the other colour, the moves before the change
    // can no longer be taken back (the wrong side would get the move) nor
    // compared as repetitions: they belong to another game.
    if (pos.side != side) setup_ply = pos.ply;
    pos.side = static_cast<uint8_t>(side);
    pos.ep = 0;  // a stale en-passant square would belong to the other side
    set_hash();
    settings.computer_side = static_cast<uint8_t>(side ^ 1);
    generate_root_moves();
}

void help() {
    for (int i = 0; i < static_cast<int>(std::size(help_lines)); ++i) {
        out("%s", help_lines[i]);
        if (i + 1 == HINT_LINE) {
            out("\n<hit a key>\n");
            wait_for_key();
            out("\n");
        }
    }
}

void hint() {
    const uint8_t saved_post = settings.post_thinking;
    settings.post_thinking = 0;
    strength_suspended = true;  // a hint is the full engine's best move
    const int has_move = engine_think(input_line);
    strength_suspended = false;
    settings.post_thinking = saved_post;
    if (has_move) out("Hint: %s\n", input_line);
    generate_root_moves();
}

void setboard() {
    const char* text = std::strlen(input_line) > 9 ? input_line + 9 : "";
    if (!setup_fen(text)) out("Error (missing FEN): setboard\n");
}

void loadpos() {
    char name[LINE_SIZE] = "";
    int n = 1;
    const char* p = after_word(input_line, "loadpos");
    if (p) {
        while (is_blank(*p)) ++p;
        int len = 0;
        while (*p && !is_blank(*p) && len < LINE_SIZE - 1) name[len++] = *p++;
        name[len] = 0;
        while (*p && !is_blank(*p)) ++p;
        if (len > 0) parse_int(p, &n);
    }
    // Bytes as they are, on every system: read_file_line handles CR LF.
    std::FILE* f = std::fopen(name, "rb");
    struct stat st;
    if (!f && ::stat(name, &st) == 0 && S_ISDIR(st.st_mode)) {
        // A folder opens on Linux and reads as an empty file; Windows refuses
        // to open one. Either way it holds no position.
        out("Error (position not found): loadpos\n");
        return;
    }
    if (!f) {
        out("Unable to open file!\n");
        return;
    }
    char line[LINE_SIZE] = "";
    bool found = n >= 1;
    for (int i = 0; found && i < n; ++i) found = read_file_line(f, line, LINE_SIZE);
    std::fclose(f);
    const char* q = line;
    while (is_blank(*q)) ++q;
    if (!found || !*q || !setup_fen(line)) out("Error (position not found): loadpos\n");
}

void take_back(int moves) {
    if (pos.ply < setup_ply + moves) return;
    for (int i = 0; i < moves; ++i) unmake_move();
    generate_root_moves();
}

void perft_command() {
    int depth = 1;
    const char* p = after_word(input_line, "perft");
    if (!p || !parse_int(p, &depth) || depth < 1) depth = 1;
    const int64_t start = now_ms();
    const int count = move_count;
    Move moves[MAX_MOVES];
    std::memcpy(moves, root_moves, sizeof(Move) * static_cast<size_t>(count));
    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        if (!make_move(moves[i])) continue;
        const uint64_t n = depth <= 1 ? 1 : perft(depth - 1);
        unmake_move();
        total += n;
        out("%s: %llu\n", move_uci(moves[i]), static_cast<unsigned long long>(n));
    }
    out("\nNodes searched: %llu\n", static_cast<unsigned long long>(total));
    out("Time: %lld ms\n", static_cast<long long>(now_ms() - start));
    generate_root_moves();
}

void bench_command() {
    set_search_limits();
    const BenchResult r = run_bench(BENCH_DEPTH);
    new_game();  // the bench leaves its last position and settings behind
    generate_root_moves();
    out("Nodes searched: %llu\n", static_cast<unsigned long long>(r.nodes));
    out("Time: %lld ms\n", static_cast<long long>(r.ms));
    out("Nodes/second: %llu\n",
        static_cast<unsigned long long>(r.nodes * 1000 / static_cast<uint64_t>(r.ms > 0 ? r.ms : 1)));
}

// elo N: a strength level; elo off (or elo 0): the full engine.
void elo_command() {
    int n = 0;
    const char* p = after_word(input_line, "elo");
    while (p && (*p == ' ' || *p == '\t')) ++p;
    if (p && std::strncmp(p, "off", 3) == 0) {
        set_elo(0);
        out("Strength: full\n");
    } else if (scan_int(input_line, "elo", &n)) {
        report_option("elo", n, set_elo(n));
        if (options.elo > 0) out("Strength: %d Elo\n", options.elo);
        else out("Strength: full\n");
    } else {
        out("Error (missing number): elo\n");
    }
}

}  // namespace

bool scan_int(const char* line, const char* word, int* value) {
    const char* p = after_word(line, word);
    return p && parse_int(p, value);
}

void print_features() {
    out("feature");
    for (const char* f : feature_list) out(" %s", f);
    out("\n");
}

bool read_file_line(std::FILE* f, char* buf, int size) {
    int c = std::fgetc(f);
    if (c == EOF) {
        buf[0] = 0;
        return false;
    }
    int len = 0, total = 0;
    for (; c != EOF && c != '\n'; c = std::fgetc(f), ++total)
        if (len < size - 1) buf[len++] = static_cast<char>(c);
    if (total == len && len > 0 && buf[len - 1] == '\r') --len;  // CR LF line end
    buf[len] = 0;
    return true;
}

int execute_command(const char* w) {
    auto is = [w](const char* word) { return std::strcmp(w, word) == 0; };
    int n;
    if (is("accepted") || is("rejected") || is("random") || is("computer") || is("level") || is("otim") ||
        is("name"))
        return 1;
    if (is("playother")) settings.computer_side = static_cast<uint8_t>(pos.side ^ 1);
    else if (is("protover")) print_features();
    else if (is("st")) { if (scan_int(input_line, "st", &n)) settings.move_time = n; }
    else if (is("sd")) { if (scan_int(input_line, "sd", &n)) settings.max_depth = n; }
    else if (is("time")) { if (scan_int(input_line, "time", &n)) settings.move_time = n / 3000; }
    else if (is("hint")) hint();
    else if (is("post")) settings.post_thinking = 1;
    else if (is("nopost")) settings.post_thinking = 0;
    else if (is("new")) {
        new_game();
        generate_root_moves();
        settings.computer_side = BLACK;
        if (settings.show_board && !settings.xboard_mode) print_board();
    } else if (is("board")) {
        settings.show_board = !settings.show_board;
        if (settings.show_board && !settings.xboard_mode) print_board();
    } else if (is("go")) settings.computer_side = pos.side;
    else if (is("quit")) quit_requested = true;
    else if (is("white")) set_side(WHITE);
    else if (is("black")) set_side(BLACK);
    else if (is("help")) help();
    else if (is("xboard")) {
        settings.show_board = 0;
        settings.xboard_mode = 1;
    } else if (is("edit")) edit_mode();
    else if (is("setboard")) setboard();
    else if (is("loadpos")) loadpos();
    else if (is("force")) settings.computer_side = EMPTY;
    else if (is("undo")) take_back(1);
    else if (is("remove")) take_back(2);
    else if (is("list")) list_moves(0);
    else if (is("llist")) list_moves(1);
    else if (is("perft")) perft_command();
    else if (is("bench")) bench_command();
    else if (is("uci")) enter_uci();
    else if (is("cores")) { if (scan_int(input_line, "cores", &n)) report_option("cores", n, set_threads(n)); }
    else if (is("memory")) { if (scan_int(input_line, "memory", &n)) report_option("memory", n, set_hash_mb(n)); }
    else if (is("elo")) elo_command();
    else if (is("hard")) options.ponder = 1;
    else if (is("easy")) options.ponder = 0;
    else return 0;
    return 1;
}

}  // namespace torlo
