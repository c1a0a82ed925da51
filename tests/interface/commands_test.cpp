// Numeric arguments and the game-length limit. (Replies and clamps:
// transcripts bad_input_lines and bad_input_positions; the book's folder: install.layout_and_book_lookup.)
#include <climits>

#include "interface/engine.h"
#include "interface/settings.h"
#include "support/harness.h"

namespace torlo {
namespace {

using Commands = test::EngineTest;

TEST(ScanInt, ReadsTheNumberAfterTheWordClampedTo32Bits) {
    const struct { const char* line; bool ok; int value; } cases[] = {
        {"st 5\n", true, 5},       {"st -4500\n", true, -4500}, {"st   +7 more\n", true, 7}, {"st 12abc\n", true, 12},
        {"st 2147483647\n", true, INT_MAX},    {"st 2147483648\n", true, INT_MAX},
        {"st 99999999999999999999999\n", true, INT_MAX},  {"st -2147483648\n", true, INT_MIN},
        {"st -99999999999999999999999\n", true, INT_MIN}, {"st\n", false, 42}, {"st x\n", false, 42},
        {"st -\n", false, 42},     {" st 5\n", false, 42},  // the word must start the line
    };
    for (const auto& c : cases) {
        int n = 42;
        EXPECT_EQ(scan_int(c.line, "st", &n), c.ok) << c.line;
        EXPECT_EQ(n, c.value) << c.line;
    }
}

// The shuffle is generated here: as a transcript it would be 4000 lines in
// and as many draw claims out.
TEST_F(Commands, GameTooLongFromPly3968ForTypedMovesAndGo) {
    static const char* const cycle[] = {"g1f3\n", "g8f6\n", "f3g1\n", "f6g8\n"};
    std::string shuffle = "force\n";
    for (int i = 0; i < GAME_PLY_LIMIT - 1; ++i) shuffle += cycle[i % 4];
    test::run_session(shuffle);
    ASSERT_EQ(pos.ply, GAME_PLY_LIMIT - 1);
    EXPECT_EQ(test::run_session("sd 2\nst 1000\nnopost\ngo\n").rfind("1984. ... ", 0), 0u);  // ply 3968 reached
    ASSERT_EQ(pos.ply, GAME_PLY_LIMIT);
    EXPECT_EQ(test::run_session("a2a3\ngo\n"), "Error (game too long): a2a3\nError (game too long): go\n");
    EXPECT_EQ(settings.computer_side, EMPTY);
    EXPECT_EQ(test::run_session("undo\nf6g8\n"), "1/2-1/2 {Draw by fifty move rule}\n");  // room again
    EXPECT_EQ(pos.ply, GAME_PLY_LIMIT);
}

}  // namespace
}  // namespace torlo
