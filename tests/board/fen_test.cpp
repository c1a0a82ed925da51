// FEN setup: side, castling rights and en-passant square read from text; what setup leaves alone.
#include "interface/settings.h"
#include "search/tt.h"
#include "support/harness.h"

namespace torlo {
namespace {

using test::sq;

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR ";
constexpr const char* AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3";

TEST(FenSetup, PositionAfterE4MatchesThePlayedMoveCountersIgnored) {
    test::reset_engine();
    ASSERT_EQ(play_user_move("e2e4"), 1);
    Position played = pos;
    played.fifty_counter = 1;  // setup keeps the game's ply and count, here those after 1. Nf3
    for (const char* rest : {"", " 45 99", " bm e4; id \"x\";"}) {
        test::reset_engine();
        ASSERT_EQ(play_user_move("g1f3"), 1);
        tt_store(played.hash_key, 42, 0x1234, 5, TT_EXACT);
        ASSERT_EQ(setup_fen((std::string(AFTER_E4) + rest).c_str()), 1);
        EXPECT_EQ(test::diff(played, pos), "") << rest;
        EXPECT_EQ(settings.use_book, 0);
        EXPECT_EQ(tt_probe(pos.hash_key).age, 0) << "the table is cleared";
        ASSERT_EQ(move_count, 20);  // the root moves are Black's
        EXPECT_STREQ(move_uci(root_moves[0]), "b8a6");
    }
}

TEST(FenSetup, SideCastlingAndEnPassantFieldsKeptOnlyWhereTheBoardAllowsThem) {
    const std::string s = START, e4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR", p = "4k3/8/8/3pP3/8/8/8/4K3 ";
    const struct { std::string fen; int side, castle, ep; } rows[] = {
        // Castling letters in any order, others ignored; a right needs its king and rook at home.
        {s + "w - -", WHITE, 0, 0}, {s + "w kq -", WHITE, 12, 0}, {s + "w qkQK -", WHITE, 15, 0},
        {s + "w K-Q -", WHITE, 1, 0}, {s + "w xyz -", WHITE, 0, 0},
        {"r3k2r/8/8/8/8/8/8/R3K1R1 w KQkq -", WHITE, 14, 0},  {"r3k2r/8/8/8/8/8/8/1R2K2R w KQkq -", WHITE, 13, 0},
        {"r3k2r/8/8/8/8/8/8/R4K1R w KQkq -", WHITE, 12, 0},   {"1r2k2r/8/8/8/8/8/8/R3K2R w KQkq -", WHITE, 7, 0},
        {"r2k3r/8/8/8/8/8/8/R3K2R w KQkq -", WHITE, 3, 0},    {"r3k2R/8/8/8/8/8/8/R3K3 w KQkq -", WHITE, 10, 0},
        {"r3K2r/8/8/8/8/8/8/R3k2R w KQkq -", WHITE, 0, 0},    // kings swapped
        // The side: White for w, x and e, Black for any other character; missing fields are empty.
        {s + "x KQkq -", WHITE, 15, 0}, {s + "e KQkq -", WHITE, 15, 0}, {s + "b KQkq -", BLACK, 15, 0},
        {s + "W KQkq -", BLACK, 15, 0}, {s + "\xe9 KQkq -", BLACK, 15, 0},  // a negative char
        {s + "white KQ -", WHITE, 0, 0},  // one character: "hite" is the castling field
        {e4, WHITE, 0, 0}, {e4 + "   b  ", BLACK, 0, 0}, {e4 + " b Kq", BLACK, 9, 0},
        // En passant: kept behind the pawn that just passed it, even when no pawn can take.
        {p + "w - d6", WHITE, 0, sq("d6")}, {"4k3/8/8/8/4P3/8/8/4K3 b - e3xyz", BLACK, 0, sq("e3")},
        {"4k3/8/8/3p4/8/8/8/4K3 w - d6", WHITE, 0, sq("d6")},
        // Dropped: a White pawn on e5; nothing on c5; the rank of the other side; d6 occupied; a knight
        // or a White pawn on d5; White to move after a White push; no square.
        {p + "w - e6", WHITE, 0, 0}, {p + "w - c6", WHITE, 0, 0}, {p + "w - d3", WHITE, 0, 0},
        {p + "b - d6", BLACK, 0, 0}, {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6", WHITE, 0, 0},
        {"4k3/8/8/3nP3/8/8/8/4K3 w - d6", WHITE, 0, 0}, {"4k3/8/8/3PP3/8/8/8/4K3 w - d6", WHITE, 0, 0},
        {"4k3/8/8/8/4P3/8/8/4K3 w - e3", WHITE, 0, 0}, {p + "w - i6", WHITE, 0, 0}, {p + "w - d9", WHITE, 0, 0},
        {p + "w - d", WHITE, 0, 0}, {p + "w - D6", WHITE, 0, 0},
    };
    for (const auto& r : rows) {  // each over Black to move with all rights and an en-passant square
        ASSERT_TRUE(test::setup(AFTER_E4));
        ASSERT_EQ(setup_fen(r.fen.c_str()), 1) << r.fen;
        EXPECT_TRUE(pos.side == r.side && pos.castle == r.castle && pos.ep == r.ep && pos.hash_key == compute_hash())
            << r.fen << ": side " << int{pos.side} << " castle " << int{pos.castle} << " ep " << int{pos.ep};
    }
}

TEST(FenSetup, AColourWithoutAKingPlacedKeepsItsKingSquare) {
    ASSERT_TRUE(test::setup("8/8/8/8/8/8/8/6K1 w - -"));
    EXPECT_TRUE(pos.king_sq[WHITE] == sq("g1") && pos.king_sq[BLACK] == sq("e8"));
}

TEST(FenSetup, TextWithoutPlacementChangesNothing) {
    test::reset_engine();
    ASSERT_EQ(play_user_move("e2e4"), 1);
    generate_root_moves();
    tt_store(pos.hash_key, 7, 0x0102, 3, TT_LOWER);
    const Position before = pos;
    const Move first = root_moves[0];
    EXPECT_EQ(setup_fen("   \t  "), 0);
    EXPECT_EQ(test::diff(before, pos), "");
    EXPECT_TRUE(settings.use_book == 1 && tt_probe(pos.hash_key).age != 0) << "book and table kept";
    EXPECT_TRUE(move_count == 20 && root_moves[0].from == first.from && root_moves[0].to == first.to);
}

}  // namespace
}  // namespace torlo
