// Make and unmake: worked edge cases, then long random games in which every
// make is checked against a key computed from scratch and every unmake and
// refusal against a saved copy of the whole position.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

using test::sq;

// The first field in which two positions differ, "" when none does.
std::string diff(const Position& a, const Position& b) {
    if (std::memcmp(a.board, b.board, sizeof a.board) != 0) return "board";
    if (std::memcmp(a.color, b.color, sizeof a.color) != 0) return "color";
    const std::pair<const char*, bool> fields[] = {
        {"side", a.side != b.side}, {"castle", a.castle != b.castle}, {"ep", a.ep != b.ep},
        {"hash_key", a.hash_key != b.hash_key}, {"fifty_counter", a.fifty_counter != b.fifty_counter},
        {"king_sq", a.king_sq[0] != b.king_sq[0] || a.king_sq[1] != b.king_sq[1]}, {"ply", a.ply != b.ply},
        {"piece_material", a.piece_material[0] != b.piece_material[0] || a.piece_material[1] != b.piece_material[1]},
    };
    for (const auto& [name, differs] : fields)
        if (differs) return name;
    return "";
}

// Makes the root move with this coordinate text; a refusal must change nothing.
int make(const char* text) {
    Move m{};
    EXPECT_TRUE(test::find_move(text, &m)) << text;
    const Position before = pos;
    const int made = make_move(m);
    if (made) EXPECT_EQ(pos.hash_key, compute_hash()) << text;
    else EXPECT_EQ(diff(before, pos), "") << "refused " << text;
    return made;
}

// make(), then the checks on the result when made, then unmake back to the exact position.
template <typename Checks>
int make_and_unmake(const char* text, Checks checks) {
    const Position before = pos;
    const int made = make(text);
    if (!made) return 0;
    checks(before);
    unmake_move();
    EXPECT_EQ(diff(before, pos), "") << "unmake of " << text;
    return 1;
}

void play(const char* text) {
    ASSERT_EQ(make(text), 1) << text;
    generate_root_moves();
}

TEST(MakeMove, CastlingRightsLostByKingAndRookMovesAndRookCaptures) {
    const struct { const char* side; const char* move; int castle; } cases[] = {
        {"w", "e1f1", 12}, {"w", "h1h2", 14}, {"w", "a1a2", 13}, {"w", "a1a8", 5},
        {"b", "e8d8", 3},  {"b", "a8a7", 7},  {"b", "h8h1", 10},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test::setup(("r3k2r/8/8/8/8/8/8/R3K2R " + std::string(c.side) + " KQkq -").c_str()));
        EXPECT_EQ(make_and_unmake(c.move, [&](const Position&) { EXPECT_EQ(pos.castle, c.castle) << c.move; }), 1);
    }
}

TEST(MakeMove, CastlingRefusedOutOfOrThroughCheck) {
    const struct { const char* fen; const char* move; int legal; } cases[] = {
        {"4k3/8/8/8/4r3/8/8/4K2R w K -", "e1g1", 0},    // in check
        {"4k3/8/8/8/8/8/4p3/4K2R w K -", "e1g1", 0},    // f1 attacked, no check
        {"4k1r1/8/8/8/8/8/8/4K2R w K -", "e1g1", 0},    // g1 attacked
        {"r3k3/8/8/8/8/8/8/3RK3 b q -", "e8c8", 0},     // d8 attacked
        {"1r2k3/8/8/8/8/8/8/R3K3 w Q -", "e1c1", 1},    // only b1 attacked
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8g8", 1},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test::setup(c.fen));
        const int from = sq(c.move), king = sq(c.move + 2), rook = (from + king) / 2;
        const int corner = king > from ? king + 1 : king - 2;
        EXPECT_EQ(make_and_unmake(c.move, [&](const Position& before) {
                      EXPECT_TRUE(pos.board[king] == KING && pos.king_sq[before.side] == king) << c.fen;
                      EXPECT_TRUE(pos.board[rook] == ROOK && pos.color[rook] == before.side) << c.fen;
                      EXPECT_EQ(pos.board[corner], EMPTY) << c.fen;
                      EXPECT_EQ(pos.castle, before.castle & (before.side == WHITE ? 12 : 3)) << c.fen;
                  }),
                  c.legal)
            << c.fen;
    }
}

TEST(MakeMove, DoublePushSetsEnPassantAndTheCaptureRemovesThePawn) {
    ASSERT_TRUE(test::setup("rnbqkbnr/ppppp1pp/8/8/5p2/8/PPPPPPPP/RNBQKBNR w KQkq -"));
    play("e2e4");
    EXPECT_EQ(pos.ep, 90);  // e3
    EXPECT_TRUE(make_and_unmake("f4e3", [](const Position&) {
        EXPECT_TRUE(pos.board[sq("e4")] == EMPTY && pos.color[sq("e4")] == EMPTY);
        EXPECT_TRUE(pos.board[sq("e3")] == PAWN && pos.color[sq("e3")] == BLACK && pos.ep == 0);
    }));
}

TEST(MakeMove, PromotionsChangePieceMaterial) {
    const struct { const char* move; int piece, white, black; } cases[] = {
        {"e7e8n", KNIGHT, 1, 0}, {"e7e8b", BISHOP, 1, 0}, {"e7e8r", ROOK, 2, 0},
        {"e7e8q", QUEEN, 2, 0},  {"e7d8q", QUEEN, 2, -2}, {"e7d8n", KNIGHT, 1, -2},
    };
    ASSERT_TRUE(test::setup("k2q4/4P3/8/8/8/8/8/4K3 w - -"));
    for (const auto& c : cases)
        EXPECT_TRUE(make_and_unmake(c.move, [&](const Position& before) {
            EXPECT_TRUE(pos.board[sq(c.move + 2)] == c.piece && pos.color[sq(c.move + 2)] == WHITE) << c.move;
            EXPECT_EQ(pos.piece_material[WHITE] - before.piece_material[WHITE], c.white) << c.move;
            EXPECT_EQ(pos.piece_material[BLACK] - before.piece_material[BLACK], c.black) << c.move;
        }));
}

TEST(MakeMove, NullMoveRefusals) {
    auto refused = [] {
        const Position before = pos;
        EXPECT_EQ(make_null_move(), 0);
        EXPECT_EQ(diff(before, pos), "");
    };
    test::reset_engine();
    refused();  // ply 0
    play("e2e4");
    ASSERT_EQ(make_null_move(), 1);
    refused();  // straight after a null move
    // Setup leaves the counts alone: set Black's to what the board holds (one bishop).
    ASSERT_TRUE(test::setup("2b1k3/pppp4/8/8/8/8/PPPP4/2B1K3 w - -"));
    play("a2a3");
    pos.piece_material[BLACK] = 1;
    refused();
    pos.piece_material[BLACK] = 2;
    EXPECT_EQ(make_null_move(), 1);
}

// --- random games

int material_on_board(int colour) {
    int n = 0;
    for (int s = FIRST_SQUARE; s <= LAST_SQUARE; ++s)
        if (pos.color[s] == colour && pos.board[s] >= KNIGHT && pos.board[s] <= QUEEN)
            n += pos.board[s] >= ROOK ? 2 : 1;
    return n;
}

// Whether a pseudo-legal move is legal, found without make_move: the move
// is written into the mailbox arrays of a copy of the position, the sets
// are rebuilt from them, and the mover's king square is tested. A castling
// also needs the king out of check and the square it crosses unattacked.
bool legal_by_arrays(Move m) {
    const Position saved = pos;
    const int s = pos.side;
    const int moving = pos.board[m.from];
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

struct Tally {
    long plies = 0, refused = 0, null_moves = 0, castling = 0, en_passant = 0;
    long promotions[5] = {}, victims[6] = {}, captors[6] = {};
    long played_rare = 0;  // games continued from a castling, en passant or promotion
};

// At every ply every pseudo-legal move is made and taken back (or refused,
// exactly when legal_by_arrays says it is illegal) and a null move is tried; then one legal move is played, preferring
// castling, en passant and promotions half the time. At the end the whole
// game is taken back.
void random_game(const char* fen, std::mt19937& rng, Tally& t) {
    ASSERT_TRUE(test::setup(fen));
    const int offset[2] = {pos.piece_material[WHITE] - material_on_board(WHITE),
                           pos.piece_material[BLACK] - material_on_board(BLACK)};
    auto made_ok = [&] {  // key from scratch, invariants, material in step with the board
        return pos.hash_key == compute_hash() && position_is_ok() &&
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
                const int victim = m.type == EN_PASSANT ? int{PAWN} : before.board[m.to];
                if (victim != EMPTY) ++t.victims[victim], ++t.captors[before.board[m.from]];
            } else {
                ++t.refused;
            }
            ASSERT_EQ(diff(before, pos), "") << fen << " ply " << ply << " " << move_text(m, 1);
        }
        if (make_null_move()) {
            ASSERT_TRUE(pos.hash_key == compute_hash() && pos.ep == 0) << fen << " null move at ply " << ply;
            unmake_move();
            ASSERT_EQ(diff(before, pos), "") << fen << " null move at ply " << ply;
            ++t.null_moves;
        }
        int pieces = 0;
        for (int s = FIRST_SQUARE; s <= LAST_SQUARE; ++s) pieces += pos.board[s] < KING;
        if (legal.empty() || pos.fifty_counter >= 100 || pieces == 0) break;
        // The raw mt19937 output is fixed by the standard: the same games everywhere.
        const bool prefer_rare = !rare.empty() && rng() % 2 == 0;
        const std::vector<Move>& pool = prefer_rare ? rare : legal;
        const Move m = pool[rng() % pool.size()];
        t.played_rare += prefer_rare;
        stack.push_back(pos);
        ASSERT_EQ(make_move(m), 1);
        ASSERT_TRUE(made_ok()) << fen << " played " << move_text(m, 1);
        ++t.plies;
    }
    for (; !stack.empty(); stack.pop_back()) {
        unmake_move();
        ASSERT_EQ(diff(stack.back(), pos), "") << fen << " taking back to ply " << stack.size() - 1;
    }
}

TEST(MakeMove, RandomGamesKeepKeyAndUnmakeExact) {
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    };
    std::mt19937 rng(20240531u);
    Tally t;
    for (int round = 0; round < 8; ++round)
        for (const char* fen : starts) {
            random_game(fen, rng, t);
            if (HasFatalFailure()) return;
        }
    EXPECT_GT(t.plies, 3000);
    EXPECT_GT(t.refused, 0);
    EXPECT_GT(t.null_moves, 0);
    EXPECT_GT(t.castling, 0);
    EXPECT_GT(t.en_passant, 0);
    for (int p = KNIGHT; p <= QUEEN; ++p) EXPECT_GT(t.promotions[p], 0) << "promotions to " << piece_chars[p];
    for (int p = PAWN; p <= QUEEN; ++p) EXPECT_GT(t.victims[p], 0) << "captures of " << piece_chars[p];
    for (int p = PAWN; p <= KING; ++p) EXPECT_GT(t.captors[p], 0) << "captures by " << piece_chars[p];
    EXPECT_GT(t.played_rare, 100);
}

}  // namespace
}  // namespace torlo
