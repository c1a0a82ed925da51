#include "interface/options.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "book/book.h"
#include "interface/numbers.h"
#include "output/output.h"
#include "search/strength.h"
#include "search/threads.h"
#include "search/tt.h"
#include "types.h"

namespace torlo {

EngineOptions options = {1, TT_DEFAULT_MB, 0, 0, -1};

namespace {

int64_t clamp(int64_t v, int64_t lo, int64_t hi, bool* clamped) {
    *clamped = v < lo || v > hi;
    return v < lo ? lo : v > hi ? hi : v;
}

constexpr const char* usage_lines[] = {
    "Usage: torlo [--threads N] [--hash MB] [--elo N] [--seed N] [--help] [--version]\n",
    "  --threads N   search with N threads (1 to 256; default 1)\n",
    "  --hash MB     transposition table of MB megabytes (1 to 65536; default 16)\n",
    "  --elo N       play at the strength of an N-rated player (800 to 1800; default: full strength)\n",
    "  --seed N      replay: the same seed for every game's evaluation noise and book choices\n",
    "  --help        print this text and exit\n",
    "  --version     print the engine's name and version and exit\n",
    "The engine reads moves and commands on standard input (type help).\n",
};

}  // namespace

OptionResult set_threads(int64_t requested) {
    OptionResult r{};
    r.used = clamp(requested, 1, MAX_SEARCH_THREADS, &r.clamped);
    options.threads = static_cast<int32_t>(r.used);
    search_threads = options.threads;
    return r;
}

OptionResult set_hash_mb(int64_t requested) {
    OptionResult r{};
    const int64_t mb = clamp(requested, MIN_HASH_MB, MAX_HASH_MB, &r.clamped);
    if (tt_resize(tt_entries_for(static_cast<uint64_t>(mb)))) {
        options.hash_mb = static_cast<int32_t>(mb);
    } else {
        r.refused = true;
    }
    r.used = options.hash_mb;
    return r;
}

OptionResult set_elo(int64_t requested) {
    OptionResult r{};
    r.used = requested == 0 ? 0 : clamp(requested, MIN_ELO, MAX_ELO, &r.clamped);
    const int32_t elo = r.used >= MAX_ELO ? 0 : static_cast<int32_t>(r.used);
    if (options.elo != elo) tt_clear();  // its scores carry the old level's noise
    options.elo = elo;
    return r;
}

namespace {
std::time_t seeded_clock() { return static_cast<std::time_t>(options.seed); }
}  // namespace

void set_seed(int64_t seed) {
    options.seed = seed;
    noise_seed = static_cast<uint64_t>(seed);
    book_clock = seeded_clock;
}

void report_option(const char* command, int64_t requested, const OptionResult& r) {
    const long long asked = static_cast<long long>(requested), used = static_cast<long long>(r.used);
    if (r.refused)
        out("Error (out of memory): %s %lld; the table keeps its %lld MB\n", command,
            r.clamped ? static_cast<long long>(requested < MIN_HASH_MB ? MIN_HASH_MB : MAX_HASH_MB) : asked, used);
    else if (r.clamped)
        out("Error (out of range): %s %lld; %lld is used\n", command, asked, used);
}

int parse_command_line(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            for (const char* line : usage_lines) out("%s", line);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            out("%s\n", ENGINE_NAME);
            return 0;
        }
        const bool threads = std::strcmp(arg, "--threads") == 0;
        const bool hash = std::strcmp(arg, "--hash") == 0;
        const bool elo = std::strcmp(arg, "--elo") == 0;
        const bool seed = std::strcmp(arg, "--seed") == 0;
        if (!threads && !hash && !elo && !seed) {
            out("Error (unknown option): %s (torlo --help lists the options)\n", arg);
            return 2;
        }
        int64_t value = 0;
        if (i + 1 >= argc || !read_whole_integer(argv[i + 1], &value)) {
            out("Error (missing number): %s%s%s\n", arg, i + 1 < argc ? " " : "", i + 1 < argc ? argv[i + 1] : "");
            return 2;
        }
        ++i;
        if (seed) set_seed(value < 0 ? -value : value);
        else report_option(arg, value, threads ? set_threads(value) : hash ? set_hash_mb(value) : set_elo(value));
    }
    return -1;
}

}  // namespace torlo
