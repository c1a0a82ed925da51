// Loading the book and choosing a book move.
#include "book/book.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/board.h"

namespace torlo {

char book_lines[BOOK_SLOTS * BOOK_SLOT_SIZE + 1];
int32_t book_count = 0;

namespace {

constexpr int BOOK_PLY_LIMIT = 19;

std::time_t calendar_seconds() { return std::time(nullptr); }

// Reads one slot: characters up to a line end (LF, or CR LF) or 81 stored.
void read_slot(std::FILE* f, char* slot) {
    int len = 0;
    while (len < BOOK_SLOT_SIZE) {
        const int c = std::fgetc(f);
        if (c == EOF || c == '\n') break;
        if (c == '\r') {
            const int next = std::fgetc(f);
            if (next == '\n') break;
            if (next != EOF) std::ungetc(next, f);
        }
        slot[len++] = static_cast<char>(c);
    }
    slot[len] = 0;
}


}  // namespace

std::time_t (*book_clock)() = calendar_seconds;

int load_book_file(const char* path) {
    std::FILE* f = std::fopen(path, "rb");  // bytes as they are on every system: read_slot handles CR LF
    if (!f) return 0;
    int filled = 0;
    while (!std::feof(f) && filled < BOOK_SLOTS) {
        read_slot(f, book_lines + filled * BOOK_SLOT_SIZE);
        ++filled;
    }
    std::fclose(f);
    // The read that meets the end of the file fills one slot more than there are lines.
    book_count = filled - 1;
    return 1;
}

int load_book() { return load_book_file(BOOK_FILE); }

int book_probe(int engine_side, Move* choice) {
    const int ply = pos.ply;
    // Out of the book's reach.
    if (ply > BOOK_PLY_LIMIT || (ply == BOOK_PLY_LIMIT && pos.side == engine_side)) return 0;
    // The game so far as book text.
    char history[4 * BOOK_PLY_LIMIT + 1];
    for (int i = 0; i < ply; ++i) {
        const UndoRecord& r = game_history[i];
        std::memcpy(history + 4 * i, square_text(r.from), 2);
        std::memcpy(history + 4 * i + 2, square_text(r.to), 2);
    }
    history[4 * ply] = 0;
    // An empty book has no move.
    if (book_count <= 0) return 0;
    // Which root moves are legal; a candidate must name one of them.
    bool legal[MAX_MOVES];
    for (int i = 0; i < move_count; ++i) {
        legal[i] = make_move(root_moves[i]) != 0;
        if (legal[i]) unmake_move();
    }
    // Candidates in book order: the root move each line continues with.
    static int16_t candidates[BOOK_SLOTS];
    int found = 0;
    for (int k = 0; k < book_count; ++k) {
        const char* line = book_line(k);
        if (ply > 0 && std::strncmp(line, history, static_cast<size_t>(4 * ply)) != 0) continue;
        const char* next = line + 4 * ply;
        if (next[0] == 0) continue;
        const int from = square_from_text(next), to = square_from_text(next + 2);
        for (int i = 0; i < move_count; ++i) {
            if (legal[i] && root_moves[i].from == from && root_moves[i].to == to) {
                candidates[found++] = static_cast<int16_t>(i);
                break;
            }
        }
    }
    // No line continues the game.
    if (found == 0) return 0;
    // One candidate at random, reseeded from the calendar at every hit.
    std::srand(static_cast<unsigned>(book_clock()));
    *choice = root_moves[candidates[std::rand() % found]];
    return found;
}

}  // namespace torlo
