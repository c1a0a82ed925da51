// The position record, the square numbering, the Zobrist keys and the new
// game. Keys are checked against a table generated here, independently of
// the engine's, with the splitmix64 sequence the engine's keys are built from.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "board/board.h"
#include "interface/settings.h"
#include "search/tt.h"
#include "support/harness.h"

namespace torlo {
namespace {

constexpr int sq(const char* name) { return 26 + (name[0] - 'a') + 12 * (8 - (name[1] - '0')); }

// 0..63 with a8 = 0, h8 = 7, a1 = 56, h1 = 63.
int number_of(const char* name) { return 8 * (8 - (name[1] - '0')) + (name[0] - 'a'); }

// splitmix64 from state 0, entry i = the i-th output.
const std::array<uint64_t, 1024>& keys() {
    static const std::array<uint64_t, 1024> table = [] {
        std::array<uint64_t, 1024> t{};
        uint64_t state = 0;
        for (uint64_t& out : t) {
            state += 0x9E3779B97F4A7C15ULL;
            uint64_t z = state;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            out = z ^ (z >> 31);
        }
        return t;
    }();
    return table;
}

uint64_t key_of(int row, int slot) { return keys()[16 * row + slot]; }
uint64_t piece_entry(const char* square, int colour, int piece) { return key_of(number_of(square), 8 * colour + piece); }

// The key of the current position, computed square by square from the
// independent table above.
uint64_t reference_key() {
    uint64_t k = 0;
    for (int rank = 8; rank >= 1; --rank)
        for (int file = 0; file < 8; ++file) {
            const int s = 26 + file + 12 * (8 - rank);
            if (pos.board[s] != EMPTY) k ^= key_of(8 * (8 - rank) + file, 8 * pos.color[s] + pos.board[s]);
        }
    if (pos.side == BLACK) k ^= key_of(0, 15);
    k ^= key_of(pos.castle, 7);
    if (pos.ep) k ^= key_of((pos.ep - 26) / 12 * 8 + (pos.ep - 26) % 12, 8);
    return k;
}

TEST(Zobrist, TableIsTheSplitmix64Sequence) {
    // The first outputs of splitmix64 from state 0 are published constants.
    EXPECT_EQ(zobrist[0], 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(zobrist[1], 0x6E789E6AA1B965F4ULL);
    EXPECT_EQ(zobrist[2], 0x06C45D188009454FULL);
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(zobrist[i], keys()[i]) << "entry " << i;
}

TEST(Zobrist, Sq64NumbersSquaresFromA8) {
    EXPECT_EQ(sq64[26], 0);   // a8
    EXPECT_EQ(sq64[33], 7);   // h8
    EXPECT_EQ(sq64[38], 8);   // a7
    EXPECT_EQ(sq64[110], 56); // a1
    EXPECT_EQ(sq64[117], 63); // h1
    EXPECT_EQ(sq64[sq("e4")], 36);
    for (int i = 0; i < BOARD_SIZE; ++i) {
        const bool playing = i >= 26 && i <= 117 && (i - 26) % 12 < 8;
        if (playing) {
            EXPECT_EQ(sq64[i], (i - 26) / 12 * 8 + (i - 26) % 12) << i;
        } else {
            EXPECT_EQ(sq64[i], 0) << "border " << i;
        }
    }
}

TEST(NewGame, InitialPositionAndItsKey) {
    test::reset_engine();
    EXPECT_EQ(pos.side, WHITE);
    EXPECT_EQ(pos.castle, 15);
    EXPECT_EQ(pos.ep, 0);
    EXPECT_EQ(pos.fifty_counter, 0);
    EXPECT_EQ(pos.ply, 0);
    EXPECT_EQ(pos.king_sq[WHITE], 114);
    EXPECT_EQ(pos.king_sq[BLACK], 30);
    EXPECT_EQ(pos.piece_material[WHITE], 10);
    EXPECT_EQ(pos.piece_material[BLACK], 10);

    // 32 pieces and the castling entry of row 15, slot 7; no side, no en passant.
    const char* back = "rnbqkbnr";
    const int codes[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    uint64_t expected = key_of(15, 7);
    int pieces = 0;
    for (int f = 0; f < 8; ++f) {
        const char file[2] = {static_cast<char>('a' + f), 0};
        const std::string a(file);
        expected ^= piece_entry((a + "1").c_str(), WHITE, codes[f]);
        expected ^= piece_entry((a + "2").c_str(), WHITE, PAWN);
        expected ^= piece_entry((a + "7").c_str(), BLACK, PAWN);
        expected ^= piece_entry((a + "8").c_str(), BLACK, codes[f]);
        pieces += 4;
        EXPECT_EQ(pos.board[sq((a + "8").c_str())], codes[f]) << back[f];
        EXPECT_EQ(pos.color[sq((a + "8").c_str())], BLACK);
        EXPECT_EQ(pos.board[sq((a + "1").c_str())], codes[f]);
        EXPECT_EQ(pos.color[sq((a + "1").c_str())], WHITE);
        for (int rank = 3; rank <= 6; ++rank) {
            EXPECT_EQ(pos.board[26 + f + 12 * (8 - rank)], EMPTY);
            EXPECT_EQ(pos.color[26 + f + 12 * (8 - rank)], EMPTY);
        }
    }
    EXPECT_EQ(pieces, 32);
    EXPECT_EQ(pos.hash_key, expected);
    EXPECT_EQ(compute_hash(), expected);
    for (int i = 0; i < BOARD_SIZE; ++i)
        if (i < 26 || i > 117 || (i - 26) % 12 >= 8) {
            ASSERT_EQ(pos.board[i], OFFBOARD) << i;
            ASSERT_EQ(pos.color[i], OFFBOARD) << i;
        }
}

TEST(NewGame, ResetsGameSettingsAndEmptiesTable) {
    test::reset_engine();
    settings.computer_side = EMPTY;
    settings.use_book = 0;
    settings.move_time = 3;
    settings.max_depth = 5;
    settings.post_thinking = 0;
    settings.xboard_mode = 1;
    settings.show_board = 1;
    tt_store(0x1234567ULL, 10, 0x0102, 4, TT_EXACT);
    Move e4{};
    ASSERT_TRUE(test::find_move("e2e4", &e4));
    ASSERT_EQ(make_move(e4), 1);
    pos.piece_material[WHITE] = 3;

    new_game();
    EXPECT_EQ(settings.computer_side, BLACK);
    EXPECT_EQ(settings.use_book, 1);
    EXPECT_EQ(settings.move_time, 10);
    EXPECT_EQ(settings.max_depth, 32);
    EXPECT_EQ(settings.post_thinking, 0);  // output settings untouched
    EXPECT_EQ(settings.xboard_mode, 1);
    EXPECT_EQ(settings.show_board, 1);
    EXPECT_EQ(tt_probe(0x1234567ULL), nullptr);
    EXPECT_EQ(pos.ply, 0);
    EXPECT_EQ(pos.ep, 0);
    EXPECT_EQ(pos.piece_material[WHITE], 10);
    EXPECT_EQ(pos.hash_key, reference_key());
    test::reset_engine();
}

TEST(Zobrist, SideToMoveChangesKeyBySideEntry) {
    ASSERT_TRUE(test::setup("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"));
    const uint64_t white = pos.hash_key;
    ASSERT_TRUE(test::setup("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq -"));
    EXPECT_EQ(white ^ pos.hash_key, key_of(0, 15));
}

TEST(Zobrist, NoCastlingRightsStillContributeRowZero) {
    ASSERT_TRUE(test::setup("4k3/8/8/8/8/8/8/4K3 w - -"));
    ASSERT_EQ(pos.castle, 0);
    EXPECT_EQ(pos.hash_key, piece_entry("e8", BLACK, KING) ^ piece_entry("e1", WHITE, KING) ^ key_of(0, 7));
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R w Kq -"));
    ASSERT_EQ(pos.castle, 9);
    EXPECT_EQ(pos.hash_key, reference_key());
    const uint64_t with_rights = pos.hash_key;
    ASSERT_TRUE(test::setup("r3k2r/8/8/8/8/8/8/R3K2R w - -"));
    EXPECT_EQ(with_rights ^ pos.hash_key, key_of(9, 7) ^ key_of(0, 7));
}

TEST(Zobrist, EnPassantKeyEqualsBlackPawnKeyOnThatSquare) {
    ASSERT_TRUE(test::setup("4k3/8/8/8/4P3/8/8/4K3 b - e3"));
    ASSERT_EQ(pos.ep, sq("e3"));
    const uint64_t with_ep = pos.hash_key;
    ASSERT_TRUE(test::setup("4k3/8/8/8/4P3/4p3/8/4K3 b - -"));
    ASSERT_EQ(pos.ep, 0);
    EXPECT_EQ(with_ep, pos.hash_key);
    EXPECT_EQ(with_ep ^ key_of(0, 15) ^ key_of(0, 7),
              piece_entry("e8", BLACK, KING) ^ piece_entry("e1", WHITE, KING) ^ piece_entry("e4", WHITE, PAWN) ^
                  key_of(number_of("e3"), 8));
}

TEST(Zobrist, ComputeHashMatchesIndependentKey) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
        "rnbqkbnr/ppppp1pp/8/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    };
    for (const char* fen : fens) {
        ASSERT_TRUE(test::setup(fen));
        EXPECT_EQ(pos.hash_key, reference_key()) << fen;
        EXPECT_EQ(compute_hash(), reference_key()) << fen;
    }
}

}  // namespace
}  // namespace torlo
