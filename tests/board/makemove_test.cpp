// Make and unmake: incremental key and state updates, legality refusals that
// change nothing, null moves, and long random games in which every make is
// checked against a key computed from scratch and every unmake against a
// saved copy of the whole position.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "support/harness.h"

namespace torlo {
namespace {

constexpr int sq(const char* name) { return 26 + (name[0] - 'a') + 12 * (8 - (name[1] - '0')); }

// Field-by-field comparison of two positions (the struct has padding, so a
// byte comparison of the whole struct would read indeterminate bytes).
::testing::AssertionResult same_position(const Position& want, const Position& got) {
    for (int i = 0; i < BOARD_SIZE; ++i) {
        if (want.board[i] != got.board[i])
            return ::testing::AssertionFailure() << "board[" << i << "] " << int(got.board[i]) << " != "
                                                 << int(want.board[i]);
        if (want.color[i] != got.color[i])
            return ::testing::AssertionFailure() << "color[" << i << "] " << int(got.color[i]) << " != "
                                                 << int(want.color[i]);
    }
    if (want.side != got.side) return ::testing::AssertionFailure() << "side";
    if (want.castle != got.castle)
        return ::testing::AssertionFailure() << "castle " << int(got.castle) << " != " << int(want.castle);
    if (want.ep != got.ep) return ::testing::AssertionFailure() << "ep " << int(got.ep) << " != " << int(want.ep);
    if (want.hash_key != got.hash_key) return ::testing::AssertionFailure() << "hash_key";
    for (int c = 0; c < 2; ++c) {
        if (want.king_sq[c] != got.king_sq[c]) return ::testing::AssertionFailure() << "king_sq[" << c << "]";
        if (want.piece_material[c] != got.piece_material[c])
            return ::testing::AssertionFailure() << "piece_material[" << c << "] " << int(got.piece_material[c])
                                                 << " != " << int(want.piece_material[c]);
    }
    if (want.fifty_counter != got.fifty_counter)
        return ::testing::AssertionFailure() << "fifty_counter " << got.fifty_counter << " != " << want.fifty_counter;
    if (want.ply != got.ply) return ::testing::AssertionFailure() << "ply " << got.ply << " != " << want.ply;
    return ::testing::AssertionSuccess();
}

Move root_move(const char* text) {
    Move m{};
    EXPECT_TRUE(test::find_move(text, &m)) << text;
    return m;
}

// Plays a move from the root list and regenerates the list.
void play(const char* text) {
    ASSERT_EQ(make_move(root_move(text)), 1) << text;
    generate_root_moves();
}

uint64_t zobrist_entry(int row, int slot) { return zobrist[16 * row + slot]; }

TEST(MakeMove, DoublePushSetsEnPassantSquareAndKey) {
    test::reset_engine();
    const Position before = pos;
    ASSERT_EQ(make_move(root_move("e2e4")), 1);
    EXPECT_EQ(pos.ep, 90);  // e3
    EXPECT_EQ(pos.fifty_counter, 0);
    EXPECT_EQ(pos.castle, 15);
    EXPECT_EQ(pos.side, BLACK);
    EXPECT_EQ(pos.ply, 1);
    EXPECT_EQ(pos.hash_key, compute_hash());
    // The key holds the en-passant entry of e3 (row 44, slot 8): removing it
    // gives the key of the same placement without an en-passant square.
    const uint64_t with_ep = pos.hash_key;
    pos.ep = 0;
    EXPECT_EQ(with_ep ^ zobrist_entry(44, 8), compute_hash());
    pos.ep = 90;
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
}

TEST(MakeMove, KnightMoveCountsTowardsFiftyMoves) {
    test::reset_engine();
    play("g1f3");
    EXPECT_EQ(pos.fifty_counter, 1);
    EXPECT_EQ(pos.ep, 0);
    play("b8c6");
    EXPECT_EQ(pos.fifty_counter, 2);
    play("e2e4");  // a pawn move resets it
    EXPECT_EQ(pos.fifty_counter, 0);
    play("c6d4");
    EXPECT_EQ(pos.fifty_counter, 1);
    play("f3d4");  // a capture resets it
    EXPECT_EQ(pos.fifty_counter, 0);
    EXPECT_EQ(pos.piece_material[BLACK], 9);
    EXPECT_EQ(pos.hash_key, compute_hash());
}

TEST(MakeMove, DoublePushByBlackAndEnPassantClearedByNextMove) {
    test::reset_engine();
    play("g1f3");
    play("d7d5");
    EXPECT_EQ(pos.ep, sq("d6"));
    EXPECT_EQ(pos.hash_key, compute_hash());
    play("f3g1");
    EXPECT_EQ(pos.ep, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());
}

TEST(MakeMove, KingMoveClearsBothRightsEvenAfterReturning) {
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
    play("e1f1");
    EXPECT_EQ(pos.castle, 12);
    EXPECT_EQ(pos.king_sq[WHITE], sq("f1"));
    play("a8b8");
    EXPECT_EQ(pos.castle, 4);
    play("f1e1");
    EXPECT_EQ(pos.castle, 4);  // the king is home again, the rights stay lost
    EXPECT_EQ(pos.king_sq[WHITE], sq("e1"));
    EXPECT_EQ(pos.hash_key, compute_hash());
}

TEST(MakeMove, RookMoveClearsOnlyItsRight) {
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
    play("h1h2");
    EXPECT_EQ(pos.castle, 14);
    play("a8a7");
    EXPECT_EQ(pos.castle, 6);
    EXPECT_EQ(pos.hash_key, compute_hash());
}

TEST(MakeMove, CaptureOnRookSquareClearsThatRight) {
    // The h-file is open: the Black rook takes the White rook on h1.
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -"));
    const Position before = pos;
    ASSERT_EQ(make_move(root_move("h8h1")), 1);
    EXPECT_EQ(pos.castle, 2 | 8);  // 1 lost by the capture on h1, 4 by the rook leaving h8
    EXPECT_EQ(pos.piece_material[WHITE], before.piece_material[WHITE] - 2);
    EXPECT_EQ(pos.piece_material[BLACK], before.piece_material[BLACK]);
    EXPECT_EQ(pos.fifty_counter, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
}

TEST(MakeMove, CastlingMovesTheRookAndUnmakesExactly) {
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
    const Position before = pos;
    ASSERT_EQ(make_move(root_move("e1g1")), 1);
    EXPECT_EQ(pos.board[sq("g1")], KING);
    EXPECT_EQ(pos.board[sq("f1")], ROOK);
    EXPECT_EQ(pos.color[sq("f1")], WHITE);
    EXPECT_EQ(pos.board[sq("h1")], EMPTY);
    EXPECT_EQ(pos.color[sq("h1")], EMPTY);
    EXPECT_EQ(pos.board[sq("e1")], EMPTY);
    EXPECT_EQ(pos.king_sq[WHITE], sq("g1"));
    EXPECT_EQ(pos.castle, 12);
    EXPECT_EQ(pos.fifty_counter, before.fifty_counter + 1);
    EXPECT_EQ(pos.hash_key, compute_hash());
    const Position castled = pos;
    generate_root_moves();
    ASSERT_EQ(make_move(root_move("e8c8")), 1);
    EXPECT_EQ(pos.board[sq("c8")], KING);
    EXPECT_EQ(pos.board[sq("d8")], ROOK);
    EXPECT_EQ(pos.color[sq("d8")], BLACK);
    EXPECT_EQ(pos.board[sq("a8")], EMPTY);
    EXPECT_EQ(pos.castle, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());
    unmake_move();
    EXPECT_TRUE(same_position(castled, pos));
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
}

TEST(MakeMove, CastlingRefusedOutOfCheck) {
    ASSERT_TRUE(test::setup("4k3/8/8/8/4r3/8/8/4K2R w K -"));
    const Position before = pos;
    EXPECT_EQ(make_move(root_move("e1g1")), 0);
    EXPECT_TRUE(same_position(before, pos));
}

TEST(MakeMove, CastlingRefusedThroughAttackedSquare) {
    // A Black pawn on g2 attacks f1 (and h1).
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/6p1/4K2R w K -"));
    Position before = pos;
    EXPECT_EQ(make_move(root_move("e1g1")), 0);
    EXPECT_TRUE(same_position(before, pos));
    // A Black pawn on e2 attacks f1 too, without giving check.
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/4p3/4K2R w K -"));
    ASSERT_EQ(in_check(WHITE), 0);
    before = pos;
    EXPECT_EQ(make_move(root_move("e1g1")), 0);
    EXPECT_TRUE(same_position(before, pos));
    // The king's target square attacked: refused as well.
    ASSERT_TRUE(test::setup("4k1r1/8/8/8/8/8/8/4K2R w K -"));
    before = pos;
    EXPECT_EQ(make_move(root_move("e1g1")), 0);
    EXPECT_TRUE(same_position(before, pos));
    // Black queen side through an attacked d8.
    ASSERT_TRUE(test::setup("r3k3/8/8/8/8/8/8/3RK3 b q -"));
    before = pos;
    EXPECT_EQ(make_move(root_move("e8c8")), 0);
    EXPECT_TRUE(same_position(before, pos));
}

TEST(MakeMove, QueenSideCastlingAllowedWithOnlyB1Attacked) {
    // The Black rook on b8 attacks b1, a square the king does not cross.
    ASSERT_TRUE(test::setup("1r2k3/8/8/8/8/8/8/R3K3 w Q -"));
    ASSERT_EQ(square_attacked(sq("b1"), BLACK), 1);
    const Position before = pos;
    ASSERT_EQ(make_move(root_move("e1c1")), 1);
    EXPECT_EQ(pos.board[sq("c1")], KING);
    EXPECT_EQ(pos.board[sq("d1")], ROOK);
    EXPECT_EQ(pos.board[sq("a1")], EMPTY);
    EXPECT_EQ(pos.castle, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
}

TEST(MakeMove, EnPassantRemovesThePassedPawn) {
    ASSERT_TRUE(test::setup("4k3/3p4/8/4P3/8/8/8/4K3 b - -"));
    play("d7d5");
    ASSERT_EQ(pos.ep, sq("d6"));
    const Position before = pos;
    const Move ep = root_move("e5d6");
    ASSERT_EQ(ep.type, EN_PASSANT);
    ASSERT_EQ(make_move(ep), 1);
    EXPECT_EQ(pos.board[sq("d5")], EMPTY);
    EXPECT_EQ(pos.color[sq("d5")], EMPTY);
    EXPECT_EQ(pos.board[sq("d6")], PAWN);
    EXPECT_EQ(pos.color[sq("d6")], WHITE);
    EXPECT_EQ(pos.board[sq("e5")], EMPTY);
    EXPECT_EQ(pos.ep, 0);
    EXPECT_EQ(pos.fifty_counter, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());
    EXPECT_EQ(pos.piece_material[BLACK], before.piece_material[BLACK]);  // pawns do not count
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
    EXPECT_EQ(pos.board[sq("d5")], PAWN);
    EXPECT_EQ(pos.color[sq("d5")], BLACK);
}

TEST(MakeMove, BlackEnPassantRemovesThePassedPawn) {
    ASSERT_TRUE(test::setup("4k3/8/8/8/5p2/8/4P3/4K3 w - -"));
    play("e2e4");
    const Position before = pos;
    ASSERT_EQ(make_move(root_move("f4e3")), 1);
    EXPECT_EQ(pos.board[sq("e4")], EMPTY);
    EXPECT_EQ(pos.board[sq("e3")], PAWN);
    EXPECT_EQ(pos.color[sq("e3")], BLACK);
    EXPECT_EQ(pos.hash_key, compute_hash());
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
}

TEST(MakeMove, PromotionToRookRaisesMaterialByTwo) {
    ASSERT_TRUE(test::setup("k7/4P3/8/8/8/8/8/4K3 w - -"));
    const Position before = pos;
    ASSERT_EQ(make_move(root_move("e7e8r")), 1);
    EXPECT_EQ(pos.board[sq("e8")], ROOK);
    EXPECT_EQ(pos.color[sq("e8")], WHITE);
    EXPECT_EQ(pos.board[sq("e7")], EMPTY);
    EXPECT_EQ(pos.piece_material[WHITE], before.piece_material[WHITE] + 2);
    EXPECT_EQ(pos.fifty_counter, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
    EXPECT_EQ(pos.board[sq("e7")], PAWN);

    // Knight and bishop promotions count 1, a queen 2.
    const char* texts[] = {"e7e8n", "e7e8b", "e7e8q"};
    const int gain[] = {1, 1, 2};
    const int piece[] = {KNIGHT, BISHOP, QUEEN};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(make_move(root_move(texts[i])), 1) << texts[i];
        EXPECT_EQ(pos.board[sq("e8")], piece[i]);
        EXPECT_EQ(pos.piece_material[WHITE], before.piece_material[WHITE] + gain[i]);
        EXPECT_EQ(pos.hash_key, compute_hash());
        unmake_move();
        EXPECT_TRUE(same_position(before, pos));
    }
}

TEST(MakeMove, CapturingPromotionChangesBothMaterialCounts) {
    ASSERT_TRUE(test::setup("k2q4/4P3/8/8/8/8/8/4K3 w - -"));
    const Position before = pos;
    ASSERT_EQ(make_move(root_move("e7d8q")), 1);
    EXPECT_EQ(pos.board[sq("d8")], QUEEN);
    EXPECT_EQ(pos.color[sq("d8")], WHITE);
    EXPECT_EQ(pos.piece_material[WHITE], before.piece_material[WHITE] + 2);
    EXPECT_EQ(pos.piece_material[BLACK], before.piece_material[BLACK] - 2);
    EXPECT_EQ(pos.hash_key, compute_hash());
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
    EXPECT_EQ(pos.board[sq("d8")], QUEEN);
    EXPECT_EQ(pos.color[sq("d8")], BLACK);
}

TEST(MakeMove, PinnedPieceRefusedAndNothingChanges) {
    // Knight d2 pinned by the bishop a5; rights, an en-passant square and a
    // running fifty-move count are all in play.
    ASSERT_TRUE(test::setup("4k3/8/8/b2pP3/8/8/3N4/R3K2R w KQ d6"));
    ASSERT_EQ(pos.ep, sq("d6"));
    pos.fifty_counter = 7;
    const Position before = pos;
    int refused = 0;
    for (int i = 0; i < move_count; ++i) {
        if (root_moves[i].from != sq("d2")) continue;
        EXPECT_EQ(make_move(root_moves[i]), 0);
        EXPECT_TRUE(same_position(before, pos));
        ++refused;
    }
    EXPECT_EQ(refused, 6);
}

TEST(MakeMove, EnPassantExposingKingOnTheRankRefused) {
    // Taking en passant removes both pawns from the fifth rank and opens it
    // between the rook h5 and the king a5.
    ASSERT_TRUE(test::setup("8/8/8/K2pP2r/8/8/8/4k3 w - d6"));
    const Position before = pos;
    const Move ep = root_move("e5d6");
    ASSERT_EQ(ep.type, EN_PASSANT);
    EXPECT_EQ(make_move(ep), 0);
    EXPECT_TRUE(same_position(before, pos));
    EXPECT_EQ(pos.board[sq("d5")], PAWN);
    EXPECT_EQ(pos.color[sq("d5")], BLACK);
}

TEST(MakeMove, NullMoveRefusals) {
    test::reset_engine();
    Position before = pos;
    EXPECT_EQ(make_null_move(), 0);  // ply 0
    EXPECT_TRUE(same_position(before, pos));

    play("e2e4");
    ASSERT_EQ(make_null_move(), 1);
    before = pos;
    EXPECT_EQ(make_null_move(), 0);  // directly after another null move
    EXPECT_TRUE(same_position(before, pos));
    unmake_null_move();

    // Black to move with king, pawns and one bishop: a material count of 1 is
    // too little. (Setup keeps the count, so it is set here to what the
    // position holds.)
    ASSERT_TRUE(test::setup("2b1k3/pppp4/8/8/8/8/PPPP4/2B1K3 w - -"));
    play("a2a3");
    pos.piece_material[BLACK] = 1;
    before = pos;
    EXPECT_EQ(make_null_move(), 0);
    EXPECT_TRUE(same_position(before, pos));
    pos.piece_material[BLACK] = 2;
    EXPECT_EQ(make_null_move(), 1);
}

TEST(MakeMove, NullMoveClearsEnPassantAndPassesTheTurn) {
    test::reset_engine();
    play("g1f3");
    play("e7e5");
    play("e2e4");  // ep = e3, fifty 0
    const Position before = pos;
    ASSERT_EQ(make_null_move(), 1);
    EXPECT_EQ(pos.ep, 0);
    EXPECT_EQ(pos.side, WHITE);
    EXPECT_EQ(pos.fifty_counter, before.fifty_counter + 1);
    EXPECT_EQ(pos.ply, before.ply + 1);
    EXPECT_EQ(pos.castle, before.castle);
    // Side entry (row 0, slot 15) and the old en-passant entry of e3 (row 44, slot 8).
    EXPECT_EQ(pos.hash_key, before.hash_key ^ zobrist_entry(0, 15) ^ zobrist_entry(44, 8));
    EXPECT_EQ(pos.hash_key, compute_hash());
    for (int i = 0; i < BOARD_SIZE; ++i) ASSERT_EQ(pos.board[i], before.board[i]);
    unmake_null_move();
    EXPECT_TRUE(same_position(before, pos));

    // unmake_move takes back a null move the same way.
    ASSERT_EQ(make_null_move(), 1);
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));

    // A move after a null move, and its unmake, stack normally.
    ASSERT_EQ(make_null_move(), 1);
    generate_root_moves();
    const Position after_null = pos;
    ASSERT_EQ(make_move(root_move("d2d4")), 1);
    EXPECT_EQ(pos.hash_key, compute_hash());
    unmake_move();
    EXPECT_TRUE(same_position(after_null, pos));
    unmake_move();
    EXPECT_TRUE(same_position(before, pos));
}

// ---------------------------------------------------------------------------
// Random games.

// 1 per knight and bishop, 2 per rook and queen, counted on the board.
int material_on_board(int colour) {
    int n = 0;
    for (int s = 26; s <= 117; ++s) {
        if (pos.color[s] != colour) continue;
        if (pos.board[s] == KNIGHT || pos.board[s] == BISHOP) n += 1;
        if (pos.board[s] == ROOK || pos.board[s] == QUEEN) n += 2;
    }
    return n;
}

bool only_kings_left() {
    for (int s = 26; s <= 117; ++s)
        if (pos.color[s] != OFFBOARD && pos.board[s] != EMPTY && pos.board[s] != KING) return false;
    return true;
}

struct Tally {
    long plies = 0;
    long games = 0;
    long made = 0;        // legal moves made and taken back
    long refused = 0;     // pseudo-legal moves refused
    long null_moves = 0;  // null moves made and taken back
    long castling = 0, en_passant = 0;
    long promotions[5] = {};  // by new piece code
    long victims[5] = {};     // captures by captured piece code (en passant counted as pawn)
    long captors[6] = {};     // captures by moving piece code
    long played_castling = 0, played_en_passant = 0, played_promotions = 0, played_captures = 0;
};

// Checks that hold after every accepted make_move.
::testing::AssertionResult after_make(const int offset[2]) {
    if (pos.hash_key != compute_hash()) return ::testing::AssertionFailure() << "key differs from compute_hash";
    if (!position_is_ok()) return ::testing::AssertionFailure() << "position_is_ok failed";
    for (int c = 0; c < 2; ++c)
        if (pos.piece_material[c] - material_on_board(c) != offset[c])
            return ::testing::AssertionFailure() << "piece_material of colour " << c << " out of step";
    return ::testing::AssertionSuccess();
}

void note_move(Tally& t, const Move& m, const Position& before) {
    const int mover = before.board[m.from];
    const int victim = m.type == EN_PASSANT ? int(PAWN) : int(before.board[m.to]);
    if (m.type == CASTLING) ++t.castling;
    if (m.type == EN_PASSANT) ++t.en_passant;
    if (m.type > 10) ++t.promotions[m.type - 10];
    if (victim != EMPTY) {
        ++t.victims[victim];
        ++t.captors[mover];
    }
}

// Plays one game from the FEN: at every ply every pseudo-legal move is made
// and taken back (or refused), a null move is tried, then one legal move is
// chosen at random and played. At the end the whole game is taken back.
void random_game(const char* fen, std::mt19937& rng, Tally& t, int max_plies) {
    ASSERT_TRUE(test::setup(fen));
    ASSERT_TRUE(position_is_ok()) << fen;
    const int offset[2] = {pos.piece_material[WHITE] - material_on_board(WHITE),
                           pos.piece_material[BLACK] - material_on_board(BLACK)};
    std::vector<Position> stack;
    std::array<Move, MAX_MOVES> list;
    std::vector<Move> legal, rare;
    for (int ply = 0; ply < max_plies; ++ply) {
        const int n = generate_moves(list.data(), 0);
        const Position before = pos;
        legal.clear();
        for (int i = 0; i < n; ++i) {
            const Move m = list[i];
            if (make_move(m)) {
                ASSERT_TRUE(after_make(offset)) << fen << " ply " << ply << " move " << move_text(m, 1);
                unmake_move();
                ASSERT_TRUE(same_position(before, pos)) << fen << " unmake of " << move_text(m, 1);
                legal.push_back(m);
                ++t.made;
                note_move(t, m, before);
            } else {
                ASSERT_TRUE(same_position(before, pos)) << fen << " refused " << move_text(m, 1);
                ++t.refused;
            }
        }
        if (make_null_move()) {
            ASSERT_EQ(pos.hash_key, compute_hash()) << fen << " null move at ply " << ply;
            ASSERT_EQ(pos.ep, 0);
            unmake_move();
            ASSERT_TRUE(same_position(before, pos)) << fen << " null move at ply " << ply;
            ++t.null_moves;
        }
        if (legal.empty() || pos.fifty_counter >= 100 || only_kings_left()) break;

        // The raw engine output (fixed by the standard for mt19937) picks the
        // move, so the games are the same with every standard library. Half
        // the time a castling, en passant or promotion is preferred when one
        // is legal, so that the games go on from such moves often.
        rare.clear();
        for (const Move& l : legal)
            if (l.type == CASTLING || l.type == EN_PASSANT || l.type > 10) rare.push_back(l);
        const std::vector<Move>& pool = !rare.empty() && rng() % 2 == 0 ? rare : legal;
        const Move m = pool[rng() % pool.size()];
        stack.push_back(pos);
        if (m.type == CASTLING) ++t.played_castling;
        if (m.type == EN_PASSANT) ++t.played_en_passant;
        if (m.type > 10) ++t.played_promotions;
        if (m.type == EN_PASSANT || pos.board[m.to] != EMPTY) ++t.played_captures;
        ASSERT_EQ(make_move(m), 1);
        ASSERT_TRUE(after_make(offset)) << fen << " played " << move_text(m, 1);
        ++t.plies;
    }
    // Take the whole game back, checking every earlier position on the way.
    while (!stack.empty()) {
        unmake_move();
        ASSERT_TRUE(same_position(stack.back(), pos)) << fen << " taking back to ply " << stack.size() - 1;
        stack.pop_back();
    }
    ++t.games;
}

TEST(MakeMove, RandomGamesKeepKeyAndUnmakeExact) {
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        // Pawns a step from promotion on both sides, pieces to capture on arrival.
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        // Black has just played f7-f5 beside the White pawn on e5.
        "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    };
    std::mt19937 rng(20240531u);
    Tally t;
    for (int round = 0; round < 8; ++round)
        for (const char* fen : starts) {
            random_game(fen, rng, t, 300);
            if (HasFatalFailure()) return;
        }

    EXPECT_GT(t.plies, 3000);
    EXPECT_GT(t.refused, 0);
    EXPECT_GT(t.null_moves, 0);
    EXPECT_GT(t.castling, 0);
    EXPECT_GT(t.en_passant, 0);
    for (int p = KNIGHT; p <= QUEEN; ++p) EXPECT_GT(t.promotions[p], 0) << "promotion to " << piece_chars[p];
    for (int p = PAWN; p <= QUEEN; ++p) EXPECT_GT(t.victims[p], 0) << "captures of " << piece_chars[p];
    for (int p = PAWN; p <= KING; ++p) EXPECT_GT(t.captors[p], 0) << "captures by " << piece_chars[p];
    EXPECT_GT(t.played_castling, 0);
    EXPECT_GT(t.played_en_passant, 0);
    EXPECT_GT(t.played_promotions, 0);
    EXPECT_GT(t.played_captures, 0);
    RecordProperty("plies", std::to_string(t.plies));
    std::printf("%ld games, %ld plies played, %ld moves made and taken back, %ld refused, %ld null moves\n", t.games,
                t.plies, t.made, t.refused, t.null_moves);
    std::printf("castling %ld (played %ld), en passant %ld (played %ld), promotions q %ld r %ld n %ld b %ld\n",
                t.castling, t.played_castling, t.en_passant, t.played_en_passant, t.promotions[QUEEN],
                t.promotions[ROOK], t.promotions[KNIGHT], t.promotions[BISHOP]);
}

}  // namespace
}  // namespace torlo
