// Several lines and restricted roots: the think step's iterations when the
// user asks for more than one principal variation (UCI MultiPV) or for a
// subset of the root moves (go searchmoves). Each iteration searches the
// root once per line with the open window, each time leaving out the moves
// of the lines already found, then reports the lines best first. The
// ordinary one-line search (think.cpp) never comes here.
#include <algorithm>

#include "search/search.h"
#include "search/tt.h"

namespace torlo {

int32_t multi_pv = 1;
Move search_moves[MAX_MOVES];
int32_t search_move_count = 0;
int32_t reported_line = 0;

namespace {

struct Line {
    Move moves[MAX_PLY];
    int32_t length;
    int32_t score;
};

Line lines[MAX_MOVES];          // this iteration's lines, in the order found
Line best_line;                 // the best line of the last complete iteration
bool has_best_line = false;
Move excluded[MAX_MOVES];
int excluded_count = 0;

bool is_excluded(const Move& m) {
    for (int i = 0; i < excluded_count; ++i)
        if (same_move(excluded[i], m)) return true;
    return false;
}


void save_line(Line& line, int score) {
    line.length = pv_length[0];
    for (int i = 0; i < line.length; ++i) line.moves[i] = pv[0][i];
    line.score = score;
}

void load_line(const Line& line) {
    for (int i = 0; i < line.length; ++i) pv[0][i] = line.moves[i];
    pv_length[0] = line.length;
}

// The root of one line: the allowed moves not yet in a line, searched as
// the ordinary search searches its root's moves (principal-variation
// windows, the check extension). Returns -INFINITE_SCORE when no such move
// is legal.
int search_root(int depth, int alpha, int beta) {
    pv_length[0] = 0;
    if ((++nodes & 2047) == 0) check_time();
    uint16_t hash_move = NO_MOVE_CODE;
    if (const TTEntry e = tt_probe(pos.hash_key); e.age != 0) hash_move = e.move;
    const int extension = in_check(pos.side) ? 1 : 0;
    Move list[MAX_MOVES];
    const int count = generate_moves(list, 0);
    if (follow_pv) sort_pv(list, count);
    bool searched = false;
    int best = -INFINITE_SCORE;
    for (int i = 0; i < count; ++i) {
        pick_move(list, i, count, hash_move);
        const Move m = list[i];
        if (is_excluded(m) || !root_move_allowed(m)) continue;
        if (!make_move(m)) continue;
        int score;
        if (!searched) {
            score = -search_at_level(depth - 1 + extension, -beta, -alpha);
        } else {
            score = -search_at_level(depth - 1 + extension, -alpha - 1, -alpha);
            if (score > alpha && score < beta) score = -search_at_level(depth - 1 + extension, -beta, -alpha);
        }
        unmake_move();
        if (!searched || score > best) best = score;
        searched = true;
        if (score > alpha) {
            alpha = score;
            update_pv(0, m);
            if (score >= beta) break;
        }
    }
    return searched ? best : -INFINITE_SCORE;
}

}  // namespace

bool root_move_allowed(const Move& m) {
    if (search_move_count == 0) return true;
    for (int i = 0; i < search_move_count; ++i)
        if (same_move(search_moves[i], m)) return true;
    return false;
}

bool multi_line_search() { return multi_pv > 1 || search_move_count > 0; }

void iterate_lines() {
    has_best_line = false;
    try {
        for (; iteration_depth <= limits.max_depth; ++iteration_depth) {
            excluded_count = 0;
            int found = 0;
            for (; found < multi_pv; ++found) {
                follow_pv = found == 0 && has_best_line;
                if (follow_pv) load_line(best_line);
                const int score = search_root(iteration_depth, -INFINITE_SCORE, INFINITE_SCORE);
                if (score == -INFINITE_SCORE) break;  // no move left for another line
                save_line(lines[found], score);
                excluded[excluded_count++] = pv[0][0];
                if (found == 0) {  // a finished first line is the best move so far
                    best_line = lines[0];
                    has_best_line = true;
                }
            }
            if (found == 0) break;
            std::stable_sort(lines, lines + found, [](const Line& a, const Line& b) { return a.score > b.score; });
            best_line = lines[0];
            for (int i = 0; i < found; ++i) {
                load_line(lines[i]);
                reported_line = multi_pv > 1 ? i + 1 : 0;
                print_thinking(lines[i].score);
            }
            reported_line = 0;
            load_line(best_line);
            reset_killer_scores();
            if (best_line.score >= MATE_SCORE - limits.max_depth) break;
        }
    } catch (const SearchAborted&) {
        // The best line of the deepest finished search stays the answer.
        reported_line = 0;
        if (has_best_line) load_line(best_line);
        throw;
    }
    if (has_best_line) load_line(best_line);
}

}  // namespace torlo
