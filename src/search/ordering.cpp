// Move ordering: principal-variation bonus, pick-best selection with the
// hash move first, killer and principal-variation bookkeeping.
#include <cstring>

#include "search/search.h"
#include "search/tt.h"

namespace torlo {
inline namespace TORLO_COPY {

constinit TORLO_THREAD_LOCAL int32_t killer1_score[MAX_PLY]{};
constinit TORLO_THREAD_LOCAL int32_t killer2_score[MAX_PLY]{};
constinit TORLO_THREAD_LOCAL Move pv[MAX_PLY][MAX_PLY]{};
constinit TORLO_THREAD_LOCAL int32_t pv_length[MAX_PLY]{};
constinit TORLO_THREAD_LOCAL int32_t follow_pv = 0;

namespace {
inline int search_ply() { return pos.ply - root_ply; }
}  // namespace

void sort_pv(Move* list, int count) {
    follow_pv = 0;
    const Move& prev = pv[0][search_ply()];
    for (int i = 0; i < count; ++i) {
        if (list[i].from == prev.from && list[i].to == prev.to) {
            list[i].score = wrapping_add(list[i].score, 1000000);
            follow_pv = 1;
            return;
        }
    }
}

int best_index(const Move* list, int i, int count, uint16_t hash_code) {
    // The hash move is recognised by its squares: a move code names one
    // (from, to) pair of playing squares, so comparing the mailbox squares
    // directly is the same test as comparing codes, without the lookups.
    int best = i;
    if (hash_code != NO_MOVE_CODE) {
        const int hash_from = mailbox_of(hash_code >> 8);
        const int hash_to = mailbox_of(hash_code & 0xFF);
        int best_score = list[i].score;
        for (int j = i; j < count; ++j) {
            if (list[j].from == hash_from && list[j].to == hash_to) {
                best = j;
                break;
            }
            if (list[j].score > best_score) {
                best = j;
                best_score = list[j].score;
            }
        }
    } else {
        int best_score = list[i].score;
        for (int j = i + 1; j < count; ++j) {
            if (list[j].score > best_score) {
                best = j;
                best_score = list[j].score;
            }
        }
    }
    return best;
}

void pick_move(Move* list, int i, int count, uint16_t hash_code) {
    const int best = best_index(list, i, count, hash_code);
    const Move tmp = list[i];
    list[i] = list[best];
    list[best] = tmp;
}

uint64_t pick_and_prefetch(Move* list, int i, int count, uint16_t hash_code) {
    pick_move(list, i, count, hash_code);
    const uint64_t key = key_after(list[i]);
    tt_prefetch(key);
    return key;
}

void update_killers(int score, Move move) {
    const int n = search_ply();
    if (score > killer1_score[n]) {
        killer2_score[n] = killer1_score[n];
        killer1_score[n] = score;
        killer3[n] = killer2[n];
        killer2[n] = killer1[n];
        killer1[n] = move;
    } else if (score > killer2_score[n]) {
        killer2_score[n] = score;
        killer3[n] = killer2[n];
        killer2[n] = move;
    }
}

void update_pv(int n, Move move) {
    pv[n][n] = move;
    const int end = pv_length[n + 1] < MAX_PLY ? pv_length[n + 1] : MAX_PLY;
    for (int j = n + 1; j < end; ++j) pv[n][j] = pv[n + 1][j];
    pv_length[n] = pv_length[n + 1];
}

void reset_killer_scores() {
    for (int n = 0; n < MAX_PLY; ++n) killer1_score[n] = killer2_score[n] = -10000;
}

void reset_search_tables() {
    std::memset(history_score, 0, sizeof history_score);
    std::memset(pv, 0, sizeof pv);
    reset_killer_scores();
    // Element by element: the killers live in the board's thread storage,
    // whose address GCC's undefined-behaviour checker cannot see as non-null.
    for (int n = 0; n < MAX_PLY; ++n) killer1[n] = killer2[n] = killer3[n] = Move{};
}

}  // namespace TORLO_COPY
}  // namespace torlo
