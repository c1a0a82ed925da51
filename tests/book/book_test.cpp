// The opening book: loading the file into its slots (line ends, the
// uncounted slot at the end of the file, long lines, the 4999-line limit)
// and the probe (prefix matching, candidates in book order, the random
// choice, the ply-19 rules, switching off on a miss, malformed lines).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "board/board.h"
#include "book/book.h"
#include "interface/settings.h"
#include "search/search.h"
#include "support/harness.h"

namespace torlo {
namespace {

std::time_t fixed_seed = 0;
std::time_t fixed_clock() { return fixed_seed; }

// Each test writes its book into a private temporary file and leaves the
// engine without a book and with the calendar clock restored.
class Book : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/torlo_book_XXXXXX";
        const int fd = ::mkstemp(name);
        ASSERT_GE(fd, 0);
        ::close(fd);
        path_ = name;
        saved_clock_ = book_clock;
        test::reset_engine();
        settings.post_thinking = 0;
    }
    void TearDown() override {
        std::remove(path_.c_str());
        book_clock = saved_clock_;
        book_count = 0;
        test::reset_engine();
    }

    // Writes the bytes as the book file and loads it; returns load_book_file's result.
    int load(const std::string& bytes) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return load_book_file(path_.c_str());
    }

    // Plays the moves of the text (4 characters each) from the current position.
    static void play(const char* moves) {
        for (const char* p = moves; *p; p += 4) {
            char text[5] = {p[0], p[1], p[2], p[3], 0};
            Move m;
            ASSERT_TRUE(test::find_move(text, &m)) << text;
            ASSERT_EQ(make_move(m), 1) << text;
            generate_root_moves();
        }
    }

    // Probes once with the given seed and returns the chosen move's text ("" on a miss).
    static std::string probe_with_seed(std::time_t seed) {
        fixed_seed = seed;
        book_clock = fixed_clock;
        settings.use_book = 1;
        if (!book_probe()) return "";
        return move_uci(best_move);
    }

    // How often each move is chosen over the seeds 0 .. n - 1.
    static std::map<std::string, int> tally(int n) {
        std::map<std::string, int> counts;
        for (int seed = 0; seed < n; ++seed) ++counts[probe_with_seed(seed)];
        return counts;
    }

    std::string path_;
    std::time_t (*saved_clock_)() = nullptr;
};

const char* const THREE_LINES = "e2e4e7e5\ne2e4c7c5\nd2d4d7d5\n";

// --- loading

TEST_F(Book, ThreeLinesWithLineEndsLoadThree) {
    ASSERT_EQ(load(THREE_LINES), 1);
    EXPECT_EQ(book_count, 3);
    EXPECT_STREQ(book_line(0), "e2e4e7e5");
    EXPECT_STREQ(book_line(1), "e2e4c7c5");
    EXPECT_STREQ(book_line(2), "d2d4d7d5");
}

TEST_F(Book, LastLineWithoutLineEndIsNotCounted) {
    ASSERT_EQ(load("e2e4e7e5\ne2e4c7c5\nd2d4d7d5"), 1);
    EXPECT_EQ(book_count, 2);
}

TEST_F(Book, EmptyFileOpensWithNoLines) {
    book_count = 7;
    ASSERT_EQ(load(""), 1);
    EXPECT_EQ(book_count, 0);
}

TEST_F(Book, MissingFileIsNotOpenedAndKeepsTheCount) {
    book_count = 7;
    EXPECT_EQ(load_book_file("/nonexistent-directory/TORLO.opn"), 0);
    EXPECT_EQ(book_count, 7);
}

TEST_F(Book, CrLfLineEndsLoadLikeLf) {
    ASSERT_EQ(load("e2e4e7e5\r\ne2e4c7c5\r\nd2d4d7d5\r\n"), 1);
    EXPECT_EQ(book_count, 3);
    EXPECT_STREQ(book_line(0), "e2e4e7e5");
    EXPECT_STREQ(book_line(2), "d2d4d7d5");
}

TEST_F(Book, HundredCharacterLineCountsTwice) {
    std::string line;
    for (int i = 0; i < 100; ++i) line += static_cast<char>('a' + i % 26);
    ASSERT_EQ(load(line + "\n"), 1);
    EXPECT_EQ(book_count, 2);
    // The first slot holds 81 characters (its terminator falls into the next
    // slot, which the rest of the line then overwrites); the second the other 19.
    EXPECT_EQ(std::memcmp(book_line(0), line.data(), 81), 0);
    EXPECT_EQ(std::string(book_line(1)), line.substr(81));
}

TEST_F(Book, EightyOneCharacterLineIsFollowedByAnEmptyLine) {
    const std::string line(81, 'e');
    ASSERT_EQ(load(line + "\nd2d4d7d5\n"), 1);
    EXPECT_EQ(book_count, 3);
    EXPECT_STREQ(book_line(1), "");
    EXPECT_STREQ(book_line(2), "d2d4d7d5");
}

TEST_F(Book, AtMost4999LinesAreLoaded) {
    std::string text;
    for (int i = 0; i < 6000; ++i) text += "d2d4\n";
    ASSERT_EQ(load(text), 1);
    EXPECT_EQ(book_count, 4999);
    EXPECT_STREQ(book_line(4998), "d2d4");
}

TEST_F(Book, FullLastSlotKeepsItsTerminatorInsideTheStorage) {
    // 4999 short lines, then an 81-character 5000th line: its terminator is
    // the byte after the last slot, which must belong to the storage.
    std::string text;
    for (int i = 0; i < 4999; ++i) text += "d2d4\n";
    text += std::string(81, 'x') + "\n";
    std::memset(book_lines, '#', sizeof book_lines);
    ASSERT_EQ(load(text), 1);
    EXPECT_EQ(book_count, 4999);
    EXPECT_GE(sizeof book_lines, static_cast<size_t>(BOOK_SLOTS * BOOK_SLOT_SIZE + 1));
    EXPECT_EQ(book_lines[BOOK_SLOTS * BOOK_SLOT_SIZE - 1], 'x');
    EXPECT_EQ(book_lines[BOOK_SLOTS * BOOK_SLOT_SIZE], '\0');
}

// --- probing

TEST_F(Book, StartPositionChoosesE4TwiceAsOftenAsD4) {
    ASSERT_EQ(load(THREE_LINES), 1);
    const auto counts = tally(3000);
    ASSERT_EQ(counts.size(), 2u);  // e2e4 and d2d4, never a miss
    const int e4 = counts.count("e2e4") ? counts.at("e2e4") : 0;
    const int d4 = counts.count("d2d4") ? counts.at("d2d4") : 0;
    EXPECT_EQ(e4 + d4, 3000);
    // Expected 2000 and 1000; the binomial spread is about 26.
    EXPECT_NEAR(e4, 2000, 150);
    EXPECT_NEAR(d4, 1000, 150);
}

TEST_F(Book, ProbeReturnsCandidateCountWithDuplicates) {
    ASSERT_EQ(load(THREE_LINES), 1);
    fixed_seed = 1;
    book_clock = fixed_clock;
    EXPECT_EQ(book_probe(), 3);
    EXPECT_EQ(settings.use_book, 1);
    EXPECT_EQ(best_move.type, DOUBLE_PUSH);  // a copy of the root move, type included
}

TEST_F(Book, ChoiceIsTheFirstRandomNumberModuloTheCandidatesInBookOrder) {
    const char* const orders[] = {THREE_LINES, "d2d4d7d5\ne2e4e7e5\ne2e4c7c5\n"};
    for (const char* book : orders) {
        ASSERT_EQ(load(book), 1);
        for (int seed = 0; seed < 100; ++seed) {
            std::srand(static_cast<unsigned>(seed));
            const int k = std::rand() % 3;
            // Candidate k is the next move of the k-th matching line.
            const std::string expected(book_line(k), 4);
            EXPECT_EQ(probe_with_seed(seed), expected) << "seed " << seed;
        }
    }
}

TEST_F(Book, SameSeedAndSameCandidatesGiveTheSameMove) {
    ASSERT_EQ(load(THREE_LINES), 1);
    for (int seed = 0; seed < 20; ++seed) EXPECT_EQ(probe_with_seed(seed), probe_with_seed(seed));
}

TEST_F(Book, AfterE4TheCandidatesAreE5AndC5OneEach) {
    ASSERT_EQ(load(THREE_LINES), 1);
    play("e2e4");
    fixed_seed = 3;
    book_clock = fixed_clock;
    EXPECT_EQ(book_probe(), 2);
    const auto counts = tally(2000);
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_NEAR(counts.at("e7e5"), 1000, 120);
    EXPECT_NEAR(counts.at("c7c5"), 1000, 120);
}

TEST_F(Book, LineEndingWithTheHistoryGivesNoCandidate) {
    ASSERT_EQ(load(THREE_LINES), 1);
    play("d2d4d7d5");
    EXPECT_EQ(book_probe(), 0);
    EXPECT_EQ(settings.use_book, 0);
}

TEST_F(Book, TranspositionIsOutOfBook) {
    ASSERT_EQ(load("e2e4e7e5g1f3\n"), 1);
    play("g1f3e7e5");
    EXPECT_EQ(probe_with_seed(0), "");
    EXPECT_EQ(settings.use_book, 0);
}

TEST_F(Book, EmptyBookSwitchesTheBookOff) {
    ASSERT_EQ(load(""), 1);
    EXPECT_EQ(book_probe(), 0);
    EXPECT_EQ(settings.use_book, 0);
}

TEST_F(Book, BookMoveLineIsPrintedOnlyWithThinkingOutput) {
    ASSERT_EQ(load("e2e4e7e5\n"), 1);
    settings.post_thinking = 1;
    EXPECT_EQ(test::capture([] { book_probe(); }), " 0 0 0 0 e2e4 (book move)\n");
    settings.post_thinking = 0;
    EXPECT_EQ(test::capture([] { book_probe(); }), "");
    EXPECT_EQ(std::string(move_uci(best_move)), "e2e4");
}

// Twenty plies of knight moves: the history text is exactly a prefix of this line.
const char* const KNIGHT_LINE =
    "g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8\n";

TEST_F(Book, AtPly19TheEnginesOwnMoveIsNotTakenFromTheBook) {
    ASSERT_EQ(load(KNIGHT_LINE), 1);
    play("g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1");
    ASSERT_EQ(pos.ply, 19);
    ASSERT_EQ(pos.side, BLACK);
    settings.computer_side = BLACK;
    EXPECT_EQ(probe_with_seed(0), "");
    EXPECT_EQ(settings.use_book, 0);
}

TEST_F(Book, AtPly19AHintForTheOtherSideStillComesFromTheBook) {
    ASSERT_EQ(load(KNIGHT_LINE), 1);
    play("g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1");
    settings.computer_side = WHITE;
    EXPECT_EQ(probe_with_seed(0), "f6g8");
    EXPECT_EQ(settings.use_book, 1);
}

TEST_F(Book, AtPly20TheBookIsOff) {
    // The history text has room for 19 moves: at ply 20 the probe gives up
    // before writing it.
    ASSERT_EQ(load(KNIGHT_LINE), 1);
    play("g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8g1f3g8f6f3g1f6g8");
    ASSERT_EQ(pos.ply, 20);
    settings.computer_side = EMPTY;
    EXPECT_EQ(probe_with_seed(0), "");
    EXPECT_EQ(settings.use_book, 0);
}

TEST_F(Book, MalformedLinesNeverYieldAMove) {
    ASSERT_EQ(load("e2e5\ne7e5\ni9i9\ne2\nzzzzzzzz\nh1h8\ne1g1\n\n"), 1);
    EXPECT_EQ(probe_with_seed(0), "");
    EXPECT_EQ(settings.use_book, 0);
}

TEST_F(Book, OnlyLegalContinuationsAreCandidates) {
    // After 1. e4 f5 2. Qh5+ Black is in check: a7a6 and e8f7 are moves of the
    // generated list but illegal, so g7g6 is the only candidate.
    ASSERT_EQ(load("e2e4f7f5d1h5a7a6\ne2e4f7f5d1h5g7g6\ne2e4f7f5d1h5e8f7\ne2e4f7f5d1h5x9x9\n"), 1);
    play("e2e4f7f5d1h5");
    fixed_seed = 0;
    book_clock = fixed_clock;
    EXPECT_EQ(book_probe(), 1);
    for (int seed = 0; seed < 50; ++seed) EXPECT_EQ(probe_with_seed(seed), "g7g6");
}

TEST_F(Book, MalformedLinesAmongGoodOnesDoNotCount) {
    ASSERT_EQ(load("e2e5\ng1f3\n@@@@\ng1g3\n"), 1);
    for (int seed = 0; seed < 50; ++seed) EXPECT_EQ(probe_with_seed(seed), "g1f3");
}

// --- the book through the main loop

TEST_F(Book, OutOfBookStaysOffUntilNewGame) {
    ASSERT_EQ(load("e2e4e7e5\n"), 1);
    settings.post_thinking = 1;
    // 1. Nf3 is not in the book: the engine searches and the book is off.
    std::string out = test::run_session("sd 1\nst 1000\ng1f3\n");
    EXPECT_EQ(out.find("(book move)"), std::string::npos) << out;
    EXPECT_EQ(settings.use_book, 0);
    // Back at the start and into the book's line: still no book move.
    out = test::run_session("remove\ne2e4\n");
    EXPECT_EQ(out.find("(book move)"), std::string::npos) << out;
    // A new game switches it on again.
    out = test::run_session("new\nsd 1\nst 1000\ne2e4\n");
    EXPECT_EQ(out, " 0 0 0 0 e7e5 (book move)\n1. ... e7e5\n");
}

TEST_F(Book, SetupCommandsSwitchTheBookOff) {
    ASSERT_EQ(load("e2e4e7e5\n"), 1);
    test::run_session("setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n");
    EXPECT_EQ(settings.use_book, 0);
    test::run_session("new\n");
    EXPECT_EQ(settings.use_book, 1);
    test::run_session("force\nedit\n.\n");
    EXPECT_EQ(settings.use_book, 0);
}

}  // namespace
}  // namespace torlo
