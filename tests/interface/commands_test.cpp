// Numeric arguments. (The game-length limit: transcript game_too_long; replies and clamps:
// transcripts and tests/e2e/robustness_test.py; the book's folder: install.layout_and_book_lookup.)
#include <climits>

#include "interface/engine.h"
#include "support/harness.h"

namespace torlo {
namespace {

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

}  // namespace
}  // namespace torlo
