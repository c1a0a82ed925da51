// The shipped book: every line loaded, every move legal through the engine's move parser.
#include <fstream>

#include "book/book.h"
#include "support/harness.h"

namespace torlo {
namespace {

TEST(ShippedBook, EveryLineLoadedAndEveryMoveLegal) {
    std::ifstream in("TORLO.opn", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_FALSE(lines.empty()) << "TORLO.opn is missing from the repository root";
    ASSERT_EQ(load_book_file("TORLO.opn"), 1);
    EXPECT_EQ(static_cast<size_t>(book_count), lines.size()) << "a line the loader did not take";
    book_count = 0;
    for (const std::string& line : lines) {
        ASSERT_TRUE(!line.empty() && line.size() % 4 == 0 && line.size() <= 80) << line;
        test::reset_engine();
        for (size_t i = 0; i < line.size(); i += 4)
            ASSERT_TRUE(looks_like_move(line.substr(i, 4).c_str())) << line << " at " << line.substr(i, 4);
        test::play(line);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace torlo
