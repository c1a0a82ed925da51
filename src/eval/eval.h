// Static evaluation: material, square tables for pawns, knights, bishops and
// the king (middle or end table by a running-total phase test), doubled,
// isolated and backward pawns, rooks on the seventh and on open or half-open
// files. Reads only board, color and side; changes nothing.
#pragma once

#include <array>
#include <cstdint>

#include "eval/tables.h"
#include "types.h"

namespace torlo {
inline namespace TORLO_COPY {  // reads the thread's position (types.h)

// Centipawns from the side to move's view.
int evaluate();
// Asks for the memory the next evaluate() of this position reads first.
void prefetch_evaluation();
// The same score read square by square, a8 .. h1: the definition, which
// evaluate() follows term for term from the square sets and running sums.
int evaluate_by_scan();

}  // namespace TORLO_COPY
}  // namespace torlo
