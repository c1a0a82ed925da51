// The opening book: loading into slots, the probe (prefixes, random choice, ply 19, bad lines).
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "book/book.h"
#include "interface/settings.h"
#include "support/harness.h"

namespace torlo {
namespace {

std::time_t fixed_seed = 0;
const char* const THREE_LINES = "e2e4e7e5\ne2e4c7c5\nd2d4d7d5\n";

// Books written to a file of this process; choices made with a fixed clock.
class Book : public test::EngineTest {
protected:
    void SetUp() override {
        book_clock = [] { return fixed_seed; };
        test::reset_engine();
    }
    void TearDown() override {
        std::remove(path_.c_str());
        book_clock = saved_clock_;
        book_count = 0;
        test::reset_engine();
    }
    int load(const std::string& bytes) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return load_book_file(path_.c_str());
    }
    static std::string probe(std::time_t seed) {  // the move chosen with this seed, "" on a miss
        fixed_seed = seed;
        Move m;
        return book_probe(settings.computer_side, &m) ? move_uci(m) : "";
    }
    const std::string path_ = "/tmp/torlo_book_" + std::to_string(::getpid());
    std::time_t (*const saved_clock_)() = book_clock;
};

TEST_F(Book, LoaderCountsLinesEndedByLfOrCrLfWithinItsStorage) {
    std::string hundred, six_thousand;
    for (int i = 0; i < 100; ++i) hundred += static_cast<char>('a' + i % 26);
    for (int i = 0; i < 6000; ++i) six_thousand += "d2d4\n";
    const struct { std::string text; int count; int slot; std::string slot_text; } cases[] = {
        {THREE_LINES, 3, 2, "d2d4d7d5"},
        {"e2e4e7e5\ne2e4c7c5\nd2d4d7d5", 2, 1, "e2e4c7c5"},  // no line end after the last line
        {"e2e4e7e5\r\ne2e4c7c5\r\nd2d4d7d5\r\n", 3, 0, "e2e4e7e5"},
        {"", 0, 0, ""},
        {six_thousand, 4999, 4998, "d2d4"},
        {hundred + "\n", 2, 1, hundred.substr(81)},  // 81 characters, then the other 19
        {std::string(81, 'e') + "\nd2d4d7d5\n", 3, 1, ""},  // the line end after 81 reads as an empty line
    };
    for (const auto& c : cases) {
        ASSERT_EQ(load(c.text), 1);
        EXPECT_EQ(book_count, c.count) << c.text.substr(0, 30);
        EXPECT_EQ(std::string(book_line(c.slot)), c.slot_text) << c.text.substr(0, 30);
    }
    // An 81-character 5000th line: its terminator is the byte after the last slot.
    std::memset(book_lines, '#', sizeof book_lines);
    ASSERT_EQ(load(six_thousand.substr(0, 5 * 4999) + std::string(81, 'x') + "\n"), 1);
    EXPECT_EQ(book_count, 4999);
    EXPECT_EQ(sizeof book_lines, static_cast<size_t>(BOOK_SLOTS * BOOK_SLOT_SIZE + 1));
    EXPECT_TRUE(book_lines[BOOK_SLOTS * BOOK_SLOT_SIZE - 1] == 'x' && book_lines[BOOK_SLOTS * BOOK_SLOT_SIZE] == '\0');
    book_count = 7;
    EXPECT_EQ(load_book_file("/nonexistent-directory/TORLO.opn"), 0);
    EXPECT_EQ(book_count, 7);
}

TEST_F(Book, CandidatesChosenInProportionToTheirLines) {
    ASSERT_EQ(load(THREE_LINES), 1);
    for (const auto& [moves, expected] : {std::pair<std::string, std::map<std::string, int>>{
                                              "", {{"e2e4", 2000}, {"d2d4", 1000}}},
                                          {"e2e4", {{"e7e5", 1500}, {"c7c5", 1500}}}}) {
        test::play(moves);
        std::map<std::string, int> counts;
        for (int seed = 0; seed < 3000; ++seed) ++counts[probe(seed)];
        ASSERT_EQ(counts.size(), 2u) << moves << ": only the book's moves, never a miss";
        for (const auto& [move, count] : expected) EXPECT_NEAR(counts[move], count, 150) << moves << " " << move;
    }
}

TEST_F(Book, ProbeHitsAndMisses) {
    std::string knights;  // twenty plies of knight moves
    for (int i = 0; i < 5; ++i) knights += "g1f3g8f6f3g1f6g8";
    const struct { std::string book, moves; int engine; const char* expected; } cases[] = {
        {knights, knights.substr(0, 76), BLACK, ""},      // ply 19, the engine's own move
        {knights, knights.substr(0, 76), WHITE, "f6g8"},  // ply 19, a hint for the other side
        {knights, knights.substr(0, 80), EMPTY, ""},      // ply 20
        {THREE_LINES, "d2d4d7d5", BLACK, ""},              // the line ends with the game
        {"e2e4e7e5g1f3\n", "g1f3e7e5", BLACK, ""},         // a transposition is out of book
        {"", "", BLACK, ""},
        {"e2e5\ne7e5\ni9i9\ne2\nzzzzzzzz\nh1h8\ne1g1\n\n", "", BLACK, ""},
        {"e2e5\ng1f3\n@@@@\ng1g3\n", "", BLACK, "g1f3"},
        // In check after 1. e4 f5 2. Qh5+: only g7g6 is legal.
        {"e2e4f7f5d1h5a7a6\ne2e4f7f5d1h5g7g6\ne2e4f7f5d1h5e8f7\ne2e4f7f5d1h5x9x9\n", "e2e4f7f5d1h5", BLACK, "g7g6"},
    };
    for (const auto& c : cases) {
        test::reset_engine();
        ASSERT_EQ(load(c.book + "\n"), 1);
        test::play(c.moves);
        settings.computer_side = static_cast<uint8_t>(c.engine);
        for (int seed = 0; seed < 20; ++seed) EXPECT_EQ(probe(seed), c.expected) << c.moves << " seed " << seed;
    }
}

}  // namespace
}  // namespace torlo
