// Strength levels: the level table, the noise, mate in one and K+Q/K+R v K at every level.
#include "interface/engine.h"
#include "interface/options.h"
#include "interface/settings.h"
#include "search/search.h"
#include "search/strength.h"
#include "support/harness.h"

namespace torlo {
namespace {

TEST(StrengthLevels, ALowerRatingNeverSearchesDeeperNorAtOneDepthWithLessNoise) {
    StrengthLevel previous = level_for_elo(MIN_ELO - 500);
    EXPECT_GE(previous.depth, 2);  // a mate in one needs two plies with the check extension
    for (int elo = MIN_ELO; elo < MAX_ELO; elo += 10) {
        const StrengthLevel level = level_for_elo(elo);
        EXPECT_TRUE(level.depth > previous.depth || (level.depth == previous.depth && level.noise <= previous.noise))
            << elo;
        previous = level;
    }
    EXPECT_TRUE(level_for_elo(MAX_ELO).depth == 0 && level_for_elo(MAX_ELO).noise == 0) << "the full engine";
}

TEST(StrengthLevels, NoiseIsTheSameForAPositionWithinAGameAndDiffersBetweenGames) {
    noise_amplitude = 100;
    int differs = 0, in_range = 0;
    for (uint64_t i = 1; i < 200; ++i) {
        const uint64_t key = i * 0x9E3779B97F4A7C15ull;
        noise_seed = 7;
        const int a = position_noise(key);
        EXPECT_EQ(a, position_noise(key));
        in_range += a >= -100 && a <= 100;
        noise_seed = 8;
        differs += a != position_noise(key);
    }
    noise_amplitude = 0;
    EXPECT_TRUE(in_range == 199 && differs > 190) << in_range << " " << differs;
    options.seed = -1;  // without a fixed seed each new game draws its own
    test::reset_engine();
    const uint64_t first = noise_seed;
    test::reset_engine();
    EXPECT_NE(noise_seed, first);
}

// The engine's move at this level, played.
std::string play_level_move(int elo) {
    set_elo(elo);
    settings.post_thinking = 0;
    settings.computer_side = pos.side;
    char text[LINE_SIZE] = "";
    test::capture([&] { engine_think(text); });
    if (text[0]) {
        EXPECT_TRUE(make_move(best_move)) << text;
        generate_root_moves();
    }
    return text;
}

TEST(StrengthLevels, EveryLevelPlaysAMateInOne) {
    for (int elo = MIN_ELO; elo <= MAX_ELO; elo += 100) {
        for (int game = 0; game < 3; ++game) {  // each game its own noise
            ASSERT_TRUE(test::setup("6k1/5ppp/8/8/8/8/r4PPP/1R4K1 w - - 0 1"));
            EXPECT_EQ(play_level_move(elo), "b1b8") << elo;
            ASSERT_TRUE(test::setup("r1bqkbnr/pppp1ppp/2n5/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 0 1"));
            EXPECT_EQ(play_level_move(elo), "h5f7") << elo;
        }
    }
    set_elo(0);
}

TEST(StrengthLevels, AFixedSeedReplaysALimitedGameMoveForMove) {
    std::string games[2];
    for (std::string& game : games) {
        set_seed(5);
        test::reset_engine();  // a new game: book and noise from the seed
        for (int ply = 0; ply < 24; ++ply) game += play_level_move(MIN_ELO) + " ";
    }
    EXPECT_EQ(games[0], games[1]);
    options.seed = -1;
    set_elo(0);
}

TEST(StrengthLevels, TheLowestLevelWinsQueenOrRookAgainstABareKingDefendedByTheFullEngine) {
    for (const char* fen : {"8/8/8/4k3/8/8/8/KQ6 w - - 0 1", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1"}) {
        ASSERT_TRUE(test::setup(fen));
        settings.max_depth = 8;
        settings.uci_mode = 1;  // the defender plays on instead of resigning
        for (int ply = 0; ply < 100 && has_legal_move() && pos.fifty_counter < 100; ++ply)
            ASSERT_FALSE(play_level_move(pos.side == WHITE ? MIN_ELO : 0).empty()) << fen << " ply " << ply;
        EXPECT_TRUE(!has_legal_move() && in_check(pos.side)) << fen << ": mated";
    }
    set_elo(0);
    test::reset_engine();
}

}  // namespace
}  // namespace torlo
