// Playing strength: the levels by which the engine plays weaker than it
// can, named by their rating on the Elo scale that Stockfish's UCI_Elo uses
// (doc/strength.md has the calibration).
//
// A level sees less and judges worse; it never picks a move at random:
//  - its search stops at a depth limit (never below 2 plies, so that a mate
//    in one is always found: the mated reply is searched with the check
//    extension), which also bounds the quiescence search's captures;
//  - its leaf evaluations carry noise, up to +-noise centipawns, that is the
//    same for the same position all game long (a hash of the position's key
//    and the game's seed), so the engine's judgement is consistently wrong
//    rather than erratic.
//
// Contract:
//  - level_for_elo(elo) is monotone: a lower rating never searches deeper,
//    and at one depth never with less noise. Below MIN_ELO it is the MIN_ELO
//    level; at MAX_ELO and above it is the full engine ({0, 0}).
//  - noise_amplitude 0 means no noise: the search is the full engine's.
//    Only the main search thread reads it (a limited level uses one thread).
//  - position_noise() depends on the key and noise_seed only.
#pragma once

#include <cstdint>

namespace torlo {

constexpr int MIN_ELO = 800;
constexpr int MAX_ELO = 1800;  // the full engine's own rating on the same scale

struct StrengthLevel {
    int32_t depth;   // iteration limit (also the quiescence budget); 0: none
    int32_t noise;   // leaf evaluation noise, +- centipawns
};

StrengthLevel level_for_elo(int elo);

// The limit in force for the main search; set by the interface per search.
extern int32_t noise_amplitude;
extern uint64_t noise_seed;

inline int position_noise(uint64_t key) {
    uint64_t h = (key ^ noise_seed) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    const uint64_t span = 2 * static_cast<uint64_t>(noise_amplitude) + 1;
    return static_cast<int>(h % span) - noise_amplitude;
}

}  // namespace torlo
