// Make and unmake over random games against independent computations (legality by arrays, key
// from splitmix64, evaluation by scan, the saved position); the null move's refusals.
#include <random>

#include "eval/eval.h"
#include "support/harness.h"

namespace torlo {
namespace {

using test::diff;

// splitmix64 from state 0: output n (entry 16 * row + slot) mixes the state (n + 1) * gamma.
uint64_t key_of(int row, int slot) {
    uint64_t z = static_cast<uint64_t>(16 * row + slot + 1) * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

TEST(Zobrist, TableIsTheSplitmix64Sequence) {
    EXPECT_TRUE(zobrist[0] == 0xE220A8397B1DCDAFULL && zobrist[1] == 0x6E789E6AA1B965F4ULL);  // published
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(zobrist[i], key_of(i / 16, i % 16)) << "entry " << i;
}

// The key by definition: row a8 = 0 .. h1 = 63, slot 8 * colour + piece; castling rights slot 7
// of their row, Black to move row 0 slot 15, an en-passant square the Black pawn there.
uint64_t key_by_definition() {
    uint64_t key = key_of(pos.castle, 7) ^ (pos.side == BLACK ? key_of(0, 15) : 0);
    for (int rank = 8; rank >= 1; --rank)
        for (int file = 0; file < 8; ++file) {
            const int s = square_of(file, rank), row = 8 * (8 - rank) + file;
            if (pos.board[s] != EMPTY) key ^= key_of(row, 8 * pos.color[s] + pos.board[s]);
            if (s == pos.ep) key ^= key_of(row, 8 * BLACK + PAWN);
        }
    return key;
}

int material_on_board(int colour) {
    int n = 0;
    for (int s = FIRST_SQUARE; s <= LAST_SQUARE; ++s)
        if (pos.color[s] == colour && pos.board[s] >= KNIGHT && pos.board[s] <= QUEEN) n += pos.board[s] >= ROOK ? 2 : 1;
    return n;
}

// Legality without make_move: the move written into the arrays, the king square tested.
bool legal_by_arrays(Move m) {
    const Position saved = pos;
    const int s = pos.side, moving = pos.board[m.from];
    bool legal = true;
    if (m.type == CASTLING) {
        const CastleRook cr = castle_rook(m.to);
        legal = !in_check(s) && !square_attacked(cr.crossed, s ^ 1);
        pos.board[cr.rook_to] = ROOK;
        pos.color[cr.rook_to] = static_cast<uint8_t>(s);
        pos.board[cr.rook_from] = pos.color[cr.rook_from] = EMPTY;
    }
    if (m.type == EN_PASSANT) {
        const int victim = s == WHITE ? m.to + 12 : m.to - 12;
        pos.board[victim] = pos.color[victim] = EMPTY;
    }
    pos.board[m.to] = static_cast<uint8_t>(m.type > 10 ? m.type - 10 : moving);
    pos.color[m.to] = static_cast<uint8_t>(s);
    pos.board[m.from] = pos.color[m.from] = EMPTY;
    set_hash();
    legal = legal && !square_attacked(moving == KING ? m.to : pos.king_sq[s], s ^ 1);
    pos = saved;
    return legal;
}

struct Tally { long plies = 0, refused = 0, null_moves = 0, castling = 0, en_passant = 0, promotions[5] = {}, near_phase_limit = 0; };

// Each ply every pseudo-legal move made and taken back, a null move tried, one legal move played
// (a rare kind half the time); at the end the whole game taken back.
void random_game(const char* fen, std::mt19937& rng, Tally& t) {
    ASSERT_TRUE(test::setup(fen));
    ASSERT_EQ(pos.hash_key, key_by_definition()) << fen;
    const int offset[2] = {pos.piece_material[WHITE] - material_on_board(WHITE),
                           pos.piece_material[BLACK] - material_on_board(BLACK)};
    auto made_ok = [&] {  // key by definition, invariants, material in step with the board
        return pos.hash_key == key_by_definition() && position_is_ok() &&
               pos.piece_material[WHITE] - material_on_board(WHITE) == offset[WHITE] &&
               pos.piece_material[BLACK] - material_on_board(BLACK) == offset[BLACK];
    };
    std::vector<Position> stack;
    for (int ply = 0; ply < 300; ++ply) {
        Move list[MAX_MOVES];
        const int n = generate_moves(list, 0);
        const Position before = pos;
        std::vector<Move> legal, rare;
        for (int i = 0; i < n; ++i) {
            const Move m = list[i];
            const bool expected = legal_by_arrays(m);
            ASSERT_EQ(diff(before, pos), "");
            const int made = make_move(m);
            ASSERT_EQ(made, expected ? 1 : 0) << fen << " ply " << ply << " " << move_text(m, 1);
            if (made) {
                ASSERT_TRUE(made_ok()) << fen << " ply " << ply << " " << move_text(m, 1);
                unmake_move();
                legal.push_back(m);
                if (m.type == CASTLING || m.type == EN_PASSANT || m.type > 10) rare.push_back(m);
                t.castling += m.type == CASTLING;
                t.en_passant += m.type == EN_PASSANT;
                if (m.type > 10) ++t.promotions[m.type - 10];
            } else {
                ++t.refused;
            }
            ASSERT_EQ(diff(before, pos), "") << fen << " ply " << ply << " " << move_text(m, 1);
        }
        if (make_null_move()) {
            ASSERT_TRUE(pos.hash_key == key_by_definition() && pos.ep == 0) << fen << " null move at ply " << ply;
            unmake_move();
            ASSERT_EQ(diff(before, pos), "") << fen << " null move at ply " << ply;
            ++t.null_moves;
        }
        int pieces = 0;
        for (int s = FIRST_SQUARE; s <= LAST_SQUARE; ++s) pieces += pos.board[s] < KING;
        if (legal.empty() || pos.fifty_counter >= 100 || pieces == 0) break;
        const std::vector<Move>& pool = !rare.empty() && rng() % 2 == 0 ? rare : legal;
        const Move m = pool[rng() % pool.size()];
        stack.push_back(pos);
        ASSERT_EQ(make_move(m), 1);
        ASSERT_TRUE(made_ok()) << fen << " played " << move_text(m, 1);
        ASSERT_EQ(evaluate(), evaluate_by_scan()) << fen << " played " << move_text(m, 1);
        for (int c = WHITE; c <= BLACK; ++c) t.near_phase_limit += pos.material[c] >= 1100 && pos.material[c] <= 1500;
        ++t.plies;
    }
    for (; !stack.empty(); stack.pop_back()) {
        unmake_move();
        ASSERT_EQ(diff(stack.back(), pos), "") << fen << " taking back to ply " << stack.size() - 1;
    }
}

TEST(MakeMove, RandomGamesAgreeWithArrayLegalityKeyAndEvaluationByScanAndUnmakeExact) {
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
        "1r2r1k1/pp3ppp/2p5/8/8/2P5/PP3PPP/1R2R1K1 w - -",  // rooks on open, half-open and closed files
    };
    std::mt19937 rng(20240531u);
    Tally t;
    for (int round = 0; round < 8; ++round)
        for (const char* fen : starts) {
            random_game(fen, rng, t);
            if (HasFatalFailure()) return;
        }
    EXPECT_GT(t.plies, 3000);
    EXPECT_GT(t.near_phase_limit, 100) << "positions near the king-phase limit";
    EXPECT_TRUE(t.refused > 0 && t.null_moves > 0 && t.castling > 0 && t.en_passant > 0);
    for (int p = KNIGHT; p <= QUEEN; ++p) EXPECT_GT(t.promotions[p], 0) << "promotions to " << piece_chars[p];
}

TEST(MakeMove, NullMoveRefusedAtTheRootAfterANullMoveAndWithOneMinorPieceOrLess) {
    auto refused = [](const char* where) {
        const Position before = pos;
        EXPECT_TRUE(make_null_move() == 0 && diff(before, pos).empty()) << where;
    };
    test::reset_engine();
    refused("ply 0");
    test::play("e2e4");
    ASSERT_EQ(make_null_move(), 1);
    refused("after a null move");
    // Setup leaves the counts alone: set Black's to what the board holds (one bishop).
    ASSERT_TRUE(test::setup("2b1k3/pppp4/8/8/8/8/PPPP4/2B1K3 w - -"));
    test::play("a2a3");
    pos.piece_material[BLACK] = 1;
    refused("one minor piece");
    pos.piece_material[BLACK] = 2;
    EXPECT_EQ(make_null_move(), 1);
}

}  // namespace
}  // namespace torlo
