// The strength levels' table: depth and evaluation noise at anchor ratings,
// measured against Stockfish's UCI_Elo (doc/strength.md); between two
// anchors of one depth the noise is interpolated. The full engine stands at
// MAX_ELO.
#include "search/strength.h"

namespace torlo {

int32_t noise_amplitude = 0;
uint64_t noise_seed = 0;

namespace {

struct Anchor {
    int32_t elo;
    int32_t depth;
    int32_t noise;
};

// rating   depth  noise (cp)
constexpr Anchor ANCHORS[] = {
    { 800,    3,    250},
    {1100,    3,    130},
    {1370,    3,     45},
    {1400,    4,    155},   // one ply more outweighs much noise
    {1700,    4,     45},
    {1750,    4,     30},
    {MAX_ELO, 0,      0},   // depth 0: no limit, the full engine
};
constexpr int ANCHOR_COUNT = sizeof ANCHORS / sizeof ANCHORS[0];

}  // namespace

StrengthLevel level_for_elo(int elo) {
    if (elo <= ANCHORS[0].elo) return {ANCHORS[0].depth, ANCHORS[0].noise};
    for (int i = 1; i < ANCHOR_COUNT; ++i) {
        const Anchor& lo = ANCHORS[i - 1];
        const Anchor& hi = ANCHORS[i];
        if (elo < hi.elo) {
            // Between two depths the lower anchor holds; at one depth the
            // noise falls linearly with the rating.
            if (hi.depth != lo.depth) return {lo.depth, lo.noise};
            const int noise = lo.noise + (hi.noise - lo.noise) * (elo - lo.elo) / (hi.elo - lo.elo);
            return {lo.depth, noise};
        }
    }
    return {0, 0};
}

}  // namespace torlo
