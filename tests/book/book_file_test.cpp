// The shipped book: its format, its size, and every move legal when played
// through the engine's own move parser.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "board/board.h"
#include "book/book.h"
#include "support/harness.h"

namespace torlo {
namespace {

TEST(ShippedBook, MainstreamLinesInTheBookFormatAllLoaded) {
    std::ifstream in("TORLO.opn", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty()) << "TORLO.opn is missing from the repository root";
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    EXPECT_GE(lines.size(), 1000u);
    EXPECT_LT(lines.size(), 4999u);
    ASSERT_EQ(load_book_file("TORLO.opn"), 1);
    EXPECT_EQ(static_cast<size_t>(book_count), lines.size());
    book_count = 0;

    const std::set<std::string> first_moves = {"e2e4", "d2d4", "c2c4", "g1f3"};
    for (const std::string& line : lines) {
        ASSERT_TRUE(!line.empty() && line.size() % 4 == 0 && line.size() <= 80) << line;
        EXPECT_TRUE(first_moves.count(line.substr(0, 4))) << line;
        test::reset_engine();
        for (size_t i = 0; i < line.size(); i += 4) {
            const std::string move = line.substr(i, 4);
            ASSERT_TRUE(looks_like_move(move.c_str())) << line << " at " << move;
            ASSERT_EQ(play_user_move(move.c_str()), 1) << line << ": illegal " << move;
            generate_root_moves();
        }
        EXPECT_TRUE(position_is_ok()) << line;
    }
}

}  // namespace
}  // namespace torlo
