// The engine's options: search threads, table size and pondering. Set from
// the command line (--threads, --hash), by the xboard commands cores,
// memory, hard and easy, and by the UCI options Threads, Hash and Ponder.
// With their defaults (one thread, the 16 MB table, no pondering) the engine
// is the single-threaded one.
//
// Contract:
//  - set_threads / set_hash_mb clamp the value to its range and apply it;
//    the result says whether it was clamped and, for the table, whether
//    the system refused the memory (the previous table is kept then).
//  - Nothing is printed here; each protocol words the answer itself.
//  - parse_command_line reads argv; it prints the help or the version, or
//    one line for a bad argument, and then says the program should end.
#pragma once

#include <cstdint>

namespace torlo {

constexpr int64_t MIN_HASH_MB = 1;
constexpr int64_t MAX_HASH_MB = 65536;

struct EngineOptions {
    int32_t threads;   // search threads
    int32_t hash_mb;   // table size in megabytes (24 bytes an entry)
    int32_t ponder;    // think on the opponent's time (xboard hard/easy, UCI Ponder)
    int32_t elo;       // playing strength (search/strength.h); 0: the full engine
    int64_t seed;      // the games' seed (--seed); < 0: a new one drawn for each game
};
extern EngineOptions options;

struct OptionResult {
    int64_t used;    // the value in effect afterwards
    bool clamped;    // the value asked for was out of range
    bool refused;    // the system refused the memory: the table is as it was
};
OptionResult set_threads(int64_t requested);
OptionResult set_hash_mb(int64_t requested);
// A strength level, clamped to MIN_ELO..MAX_ELO; MAX_ELO and above (and 0)
// are the full engine. Clears the table, whose scores were the old level's.
OptionResult set_elo(int64_t requested);
// The seed of the next games' evaluation noise and book choices.
void set_seed(int64_t seed);

// The console and xboard answer to an option command (cores, memory):
// nothing when the value was taken as asked, else one "Error (...)" line.
void report_option(const char* command, int64_t requested, const OptionResult& r);

// Applies the command-line arguments. Returns -1 when the engine should
// run, or the exit code when it should end at once (--help, --version: 0;
// a bad argument: 2).
int parse_command_line(int argc, char** argv);

}  // namespace torlo
