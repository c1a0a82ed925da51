// FEN setup: placement, side, castling rights and en-passant square read
// from text; malformed text stays on the board; what setup leaves alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.h"
#include "interface/settings.h"
#include "search/tt.h"
#include "support/harness.h"

namespace torlo {
namespace {

constexpr int sq(const char* name) { return 26 + (name[0] - 'a') + 12 * (8 - (name[1] - '0')); }

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";

::testing::AssertionResult same_position(const Position& want, const Position& got) {
    for (int i = 0; i < BOARD_SIZE; ++i) {
        if (want.board[i] != got.board[i]) return ::testing::AssertionFailure() << "board[" << i << "]";
        if (want.color[i] != got.color[i]) return ::testing::AssertionFailure() << "color[" << i << "]";
    }
    if (want.side != got.side) return ::testing::AssertionFailure() << "side";
    if (want.castle != got.castle) return ::testing::AssertionFailure() << "castle " << int(got.castle);
    if (want.ep != got.ep) return ::testing::AssertionFailure() << "ep " << int(got.ep);
    if (want.hash_key != got.hash_key) return ::testing::AssertionFailure() << "hash_key";
    for (int c = 0; c < 2; ++c) {
        if (want.king_sq[c] != got.king_sq[c]) return ::testing::AssertionFailure() << "king_sq[" << c << "]";
        if (want.piece_material[c] != got.piece_material[c])
            return ::testing::AssertionFailure() << "piece_material[" << c << "]";
    }
    if (want.fifty_counter != got.fifty_counter) return ::testing::AssertionFailure() << "fifty_counter";
    if (want.ply != got.ply) return ::testing::AssertionFailure() << "ply";
    return ::testing::AssertionSuccess();
}

// Border squares hold OFFBOARD in both arrays; playing squares hold a piece
// and a colour, or EMPTY in both.
::testing::AssertionResult board_is_sound() {
    for (int i = 0; i < BOARD_SIZE; ++i) {
        const bool playing = i >= 26 && i <= 117 && (i - 26) % 12 < 8;
        const int b = pos.board[i], c = pos.color[i];
        if (!playing) {
            if (b != OFFBOARD || c != OFFBOARD) return ::testing::AssertionFailure() << "border square " << i << " written";
        } else if (b == EMPTY ? c != EMPTY : (b > KING || c > BLACK)) {
            return ::testing::AssertionFailure() << "square " << i << " holds piece " << b << " colour " << c;
        }
    }
    if (pos.hash_key != compute_hash()) return ::testing::AssertionFailure() << "key not recomputed";
    return ::testing::AssertionSuccess();
}

std::string with(const char* rest) { return std::string(START) + " " + rest; }

TEST(FenSetup, PositionAfterE4MatchesPlayedMove) {
    test::reset_engine();
    Move e4{};
    ASSERT_TRUE(test::find_move("e2e4", &e4));
    ASSERT_EQ(make_move(e4), 1);
    const Position played = pos;

    test::reset_engine();
    ASSERT_EQ(settings.use_book, 1);
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"), 1);
    for (int i = 0; i < BOARD_SIZE; ++i) {
        ASSERT_EQ(pos.board[i], played.board[i]) << i;
        ASSERT_EQ(pos.color[i], played.color[i]) << i;
    }
    EXPECT_EQ(pos.side, BLACK);
    EXPECT_EQ(pos.castle, 15);
    EXPECT_EQ(pos.ep, sq("e3"));
    EXPECT_EQ(pos.king_sq[WHITE], sq("e1"));
    EXPECT_EQ(pos.king_sq[BLACK], sq("e8"));
    EXPECT_EQ(pos.hash_key, played.hash_key);  // same position, same key
    EXPECT_EQ(settings.use_book, 0);
    EXPECT_EQ(pos.ply, 0);

    // Black's twenty moves, in generation order: the knights on rank 8 first.
    const char* expected[] = {"b8a6", "b8c6", "g8f6", "g8h6", "a7a5", "a7a6", "b7b5", "b7b6", "c7c5", "c7c6",
                              "d7d5", "d7d6", "e7e5", "e7e6", "f7f5", "f7f6", "g7g5", "g7g6", "h7h5", "h7h6"};
    ASSERT_EQ(move_count, 20);
    for (int i = 0; i < 20; ++i) EXPECT_STREQ(move_uci(root_moves[i]), expected[i]) << i;
}

TEST(FenSetup, SlashesCarryNoMeaning) {
    ASSERT_TRUE(test::setup("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"));
    const Position with_slashes = pos;
    ASSERT_TRUE(test::setup("rnbqkbnrpppppppp884P38PPPP1PPPRNBQKBNR b KQkq e3"));
    EXPECT_TRUE(same_position(with_slashes, pos));
    // Slashes in odd places change nothing either.
    ASSERT_TRUE(test::setup("rnbq/kbnrpppp//pppp8/84P3/8PPPP1PPPRNBQKBNR/ b KQkq e3"));
    EXPECT_TRUE(same_position(with_slashes, pos));
}

TEST(FenSetup, CastlingFieldLetters) {
    const std::vector<std::pair<const char*, int>> cases = {
        {"-", 0},     {"kq", 12},  {"Kk", 5},   {"KQkq", 15}, {"Kx", 1},   {"qkQK", 15},
        {"KKkk", 5},  {"K-Q", 1},  {"Q", 2},    {"xyz", 0},   {"KQkqKQkqKQkqKQkqKQkq", 15},
    };
    for (const auto& [field, rights] : cases) {
        ASSERT_TRUE(test::setup(with((std::string("w ") + field + " -").c_str()).c_str()));
        EXPECT_EQ(pos.castle, rights) << field;
        EXPECT_EQ(pos.hash_key, compute_hash()) << field;
    }
}

TEST(FenSetup, CastlingRightDroppedWithoutKingOrRookAtHome) {
    const std::vector<std::pair<const char*, int>> cases = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 15},
        {"r3k2r/8/8/8/8/8/8/R3K1R1 w KQkq -", 14},   // white rook g1, not h1
        {"r3k2r/8/8/8/8/8/8/1R2K2R w KQkq -", 13},   // white rook b1, not a1
        {"r3k2r/8/8/8/8/8/8/R4K1R w KQkq -", 12},    // white king f1
        {"1r2k2r/8/8/8/8/8/8/R3K2R w KQkq -", 7},    // black rook b8
        {"r3k3/8/8/8/8/8/8/R3K2R w KQkq -", 11},     // no black rook on h8
        {"r2k3r/8/8/8/8/8/8/R3K2R w KQkq -", 3},     // black king d8
        {"r3k2R/8/8/8/8/8/8/R3K3 w KQkq -", 10},     // the h8 rook is White; h1 empty
        {"r3K2r/8/8/8/8/8/8/R3k2R w KQkq -", 0},     // kings on each other's squares
        {"r3k2r/8/8/8/8/8/8/R3K2N w KQkq -", 14},    // a knight on h1
    };
    for (const auto& [fen, rights] : cases) {
        ASSERT_TRUE(test::setup(fen));
        EXPECT_EQ(pos.castle, rights) << fen;
        EXPECT_EQ(pos.hash_key, compute_hash()) << fen;
    }
}

TEST(FenSetup, SideCharacter) {
    const std::vector<std::pair<const char*, int>> cases = {
        {"w", WHITE}, {"x", WHITE}, {"e", WHITE}, {"b", BLACK}, {"W", BLACK},
        {"B", BLACK}, {"d", BLACK}, {"a", BLACK}, {"-", BLACK}, {"\xe9", BLACK},  // signed: negative
    };
    for (const auto& [side, colour] : cases) {
        ASSERT_TRUE(test::setup(with((std::string(side) + " KQkq -").c_str()).c_str()));
        EXPECT_EQ(pos.side, colour) << side;
        EXPECT_EQ(pos.hash_key, compute_hash()) << side;
    }
    // The side is one character: "white" gives White, and the rest of that
    // word ("hite") is read as the castling field, which holds no right.
    ASSERT_TRUE(test::setup(with("white KQ -").c_str()));
    EXPECT_EQ(pos.side, WHITE);
    EXPECT_EQ(pos.castle, 0);
}

TEST(FenSetup, PlacementWithoutKingKeepsKingSquare) {
    test::reset_engine();
    ASSERT_EQ(setup_fen("8/8/8/8/8/8/8/6K1 w - -"), 1);
    EXPECT_EQ(pos.king_sq[WHITE], sq("g1"));
    EXPECT_EQ(pos.king_sq[BLACK], sq("e8"));  // no black king placed
    ASSERT_EQ(setup_fen("k7/8/8/8/8/8/8/8 w - -"), 1);
    EXPECT_EQ(pos.king_sq[WHITE], sq("g1"));
    EXPECT_EQ(pos.king_sq[BLACK], sq("a8"));
}

TEST(FenSetup, SquaresNotReachedKeepTheirContent) {
    test::reset_engine();
    ASSERT_EQ(setup_fen("8/8/8/3q4 b - -"), 1);  // ranks 8 to 5 only
    EXPECT_EQ(pos.board[sq("e8")], EMPTY);
    EXPECT_EQ(pos.board[sq("d5")], QUEEN);
    EXPECT_EQ(pos.color[sq("d5")], BLACK);
    EXPECT_EQ(pos.board[sq("e1")], KING);
    EXPECT_EQ(pos.color[sq("a2")], WHITE);
    EXPECT_EQ(pos.board[sq("h1")], ROOK);
    EXPECT_TRUE(board_is_sound());
}

TEST(FenSetup, TrailingFieldsChangeNothing) {
    test::reset_engine();
    for (const char* text : {"g1f3", "g8f6", "f3g1"}) {
        Move m{};
        ASSERT_TRUE(test::find_move(text, &m)) << text;
        ASSERT_EQ(make_move(m), 1);
        generate_root_moves();
    }
    ASSERT_EQ(pos.ply, 3);
    ASSERT_EQ(pos.fifty_counter, 3);
    pos.piece_material[WHITE] = 7;  // setup never touches the counts
    pos.piece_material[BLACK] = 3;

    ASSERT_EQ(setup_fen("r1bqkb1r/pppppppp/2n2n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq -"), 1);
    const Position plain = pos;
    EXPECT_EQ(pos.ply, 3);
    EXPECT_EQ(pos.fifty_counter, 3);
    EXPECT_EQ(pos.piece_material[WHITE], 7);
    EXPECT_EQ(pos.piece_material[BLACK], 3);

    for (const char* fen : {"r1bqkb1r/pppppppp/2n2n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq - 0 1",
                            "r1bqkb1r/pppppppp/2n2n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq - 45 99",
                            "r1bqkb1r/pppppppp/2n2n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq - bm e4; id \"x\";"}) {
        ASSERT_EQ(setup_fen(fen), 1);
        EXPECT_TRUE(same_position(plain, pos)) << fen;
    }
}

TEST(FenSetup, ClearsBookUseAndTable) {
    test::reset_engine();
    settings.use_book = 1;
    tt_store(pos.hash_key, 42, 0x1234, 5, TT_EXACT);
    ASSERT_NE(tt_probe(pos.hash_key), nullptr);
    ASSERT_EQ(setup_fen(with("w KQkq -").c_str()), 1);  // the same position again
    EXPECT_EQ(settings.use_book, 0);
    EXPECT_EQ(tt_probe(pos.hash_key), nullptr);
}

TEST(FenSetup, EnPassantSquareKeptOnlyWhenAPawnHasJustPassedIt) {
    const std::vector<std::pair<const char*, int>> cases = {
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", sq("d6")},
        {"4k3/8/8/3p4/8/8/8/4K3 w - d6", sq("d6")},   // kept even when no pawn can take
        {"4k3/8/8/8/4P3/8/8/4K3 b - e3", sq("e3")},
        {"4k3/8/8/8/P7/8/8/4K3 b - a3", sq("a3")},
        {"4k3/8/8/8/4P3/8/8/4K3 b - e3xyz", sq("e3")},  // only two characters are read
        {"4k3/8/8/3pP3/8/8/8/4K3 w - e6", 0},        // e5 holds a White pawn
        {"4k3/8/8/3pP3/8/8/8/4K3 w - c6", 0},        // nothing on c5
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d3", 0},        // White to move: rank 6 only
        {"4k3/8/8/3pP3/8/8/8/4K3 b - d6", 0},        // Black to move: rank 3 only
        {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6", 0},      // target square occupied
        {"4k3/8/8/3nP3/8/8/8/4K3 w - d6", 0},        // a knight, not a pawn, on d5
        {"4k3/8/8/3PP3/8/8/8/4K3 w - d6", 0},        // a White pawn on d5
        {"4k3/8/8/8/4p3/8/8/4K3 b - e3", 0},         // a Black pawn on e4
        {"4k3/8/8/8/4P3/8/8/4K3 w - e3", 0},         // White to move
        {"4k3/8/8/3pP3/8/8/8/4K3 w - -", 0},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - i6", 0},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d9", 0},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d", 0},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - 6d", 0},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - D6", 0},
    };
    for (const auto& [fen, ep] : cases) {
        ASSERT_TRUE(test::setup(fen));
        EXPECT_EQ(pos.ep, ep) << fen;
        EXPECT_EQ(pos.hash_key, compute_hash()) << fen;
    }
}

TEST(FenSetup, SquaresFilledAsOneSequenceFromA8ToH1) {
    // "4k5" runs two squares into rank 7, so every later square shifts by two:
    // the last rank's "4K3" puts the king on g1 and its "3" stops at h1.
    ASSERT_TRUE(test::setup("4k5/8/8/8/8/8/8/4K3 w - -"));
    EXPECT_EQ(pos.board[sq("e8")], KING);
    EXPECT_EQ(pos.board[sq("g1")], KING);
    EXPECT_EQ(pos.color[sq("g1")], WHITE);
    EXPECT_EQ(pos.king_sq[WHITE], sq("g1"));
    EXPECT_EQ(pos.board[sq("e1")], EMPTY);
    EXPECT_EQ(pos.board[sq("h1")], EMPTY);
    EXPECT_TRUE(board_is_sound());

    // Letters in b..r that name no piece, and other junk, are skipped without moving on.
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/8/4K3 w - -"));
    const Position clean = pos;
    ASSERT_TRUE(test::setup("4kcdefghijlmo3/8/8/8/8/8/8/4K3 w - -"));
    EXPECT_TRUE(same_position(clean, pos));
    ASSERT_TRUE(test::setup("4k3/8/8/9/0x8/8/8/8/4K3ZY w - -"));
    EXPECT_TRUE(same_position(clean, pos));
    // Pieces after h1 are ignored.
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/8/4K3QQ w - -"));
    EXPECT_TRUE(same_position(clean, pos));
}

TEST(FenSetup, MalformedPlacementNeverWritesOutsideTheBoard) {
    const std::string long_digits(400, '8');
    const std::string many_pawns(100, 'p');
    const std::string many_kings(90, 'K');
    const std::string junk(500, 'x');
    const std::vector<std::string> texts = {
        "8/8/8/8/8/8/8/88 w - -",          // digits past h1
        "8/8/8/8/8/8/8/6K8 w - -",
        "k7/8/8/8/8/8/8/K6p7pppp w - -",   // more than 64 squares
        many_pawns + " w - -",
        many_kings + " b - -",
        long_digits + " w - -",
        junk + " w - -",
        "RNBQKBNRRNBQKBNRRNBQKBNRRNBQKBNRRNBQKBNRRNBQKBNRRNBQKBNRRNBQKBNRRNBQKBNR w KQkq -",
        "8/8/8/8/8/8/8/8/8/8/8/8/8/8/8/8/8/8/8 b - -",
        "k7/8/8/8/8/8/8/K7 w KQkqKQkqKQkqKQkqKQkqKQkqKQkqKQkqKQkqKQkq d6d6d6d6d6d6d6d6",
    };
    for (const std::string& text : texts) {
        test::reset_engine();
        ASSERT_EQ(setup_fen(text.c_str()), 1) << text;
        EXPECT_TRUE(board_is_sound()) << text;
    }

    // The results of the first three, square by square.
    ASSERT_TRUE(test::setup("8/8/8/8/8/8/8/88 w - -"));
    for (int s = 26; s <= 117; ++s) {
        if ((s - 26) % 12 < 8) {
            EXPECT_EQ(pos.board[s], EMPTY) << s;
        }
    }
    ASSERT_TRUE(test::setup("8/8/8/8/8/8/8/6K8 w - -"));
    EXPECT_EQ(pos.board[sq("g1")], KING);
    EXPECT_EQ(pos.board[sq("h1")], EMPTY);
    ASSERT_TRUE(test::setup("k7/8/8/8/8/8/8/K6p7pppp w - -"));
    EXPECT_EQ(pos.board[sq("a1")], KING);
    EXPECT_EQ(pos.board[sq("h1")], PAWN);
    EXPECT_EQ(pos.color[sq("h1")], BLACK);
    int pawns = 0;
    for (int s = 26; s <= 117; ++s) pawns += pos.board[s] == PAWN;
    EXPECT_EQ(pawns, 1);
}

TEST(FenSetup, MissingFieldsMeanWhiteNoCastlingNoEnPassant) {
    test::reset_engine();
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"), 1);
    ASSERT_EQ(pos.side, BLACK);
    ASSERT_EQ(pos.castle, 15);

    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR"), 1);
    EXPECT_EQ(pos.side, WHITE);
    EXPECT_EQ(pos.castle, 0);
    EXPECT_EQ(pos.ep, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());

    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"), 1);
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR   b  "), 1);
    EXPECT_EQ(pos.side, BLACK);
    EXPECT_EQ(pos.castle, 0);
    EXPECT_EQ(pos.ep, 0);

    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"), 1);
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b Kq"), 1);
    EXPECT_EQ(pos.castle, 9);
    EXPECT_EQ(pos.ep, 0);
    EXPECT_EQ(pos.hash_key, compute_hash());
}

TEST(FenSetup, TextWithoutPlacementChangesNothing) {
    test::reset_engine();
    Move e4{};
    ASSERT_TRUE(test::find_move("e2e4", &e4));
    ASSERT_EQ(make_move(e4), 1);
    generate_root_moves();
    settings.use_book = 1;
    tt_store(pos.hash_key, 7, 0x0102, 3, TT_LOWER);
    const Position before = pos;
    const int count = move_count;
    const Move first = root_moves[0];

    for (const char* text : {"", " ", "   \t  "}) {
        EXPECT_EQ(setup_fen(text), 0) << '"' << text << '"';
        EXPECT_TRUE(same_position(before, pos)) << '"' << text << '"';
        EXPECT_EQ(settings.use_book, 1);
        EXPECT_NE(tt_probe(pos.hash_key), nullptr);  // the table was not cleared
        EXPECT_EQ(move_count, count);
        EXPECT_EQ(root_moves[0].from, first.from);
        EXPECT_EQ(root_moves[0].to, first.to);
    }
}

}  // namespace
}  // namespace torlo
