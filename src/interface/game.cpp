#include "interface/game.h"

#include <chrono>
#include <random>

#include "board/board.h"
#include "interface/options.h"
#include "interface/settings.h"
#include "search/strength.h"
#include "search/tt.h"

namespace torlo {

void new_game() {
    reset_game_settings();
    set_initial_position();
    tt_clear();
    // Each game gets its own evaluation noise (strength levels), unless the
    // user fixed the seed to replay games.
    if (options.seed >= 0) {
        noise_seed = static_cast<uint64_t>(options.seed);
    } else {
        std::random_device device;
        noise_seed = (static_cast<uint64_t>(device()) << 32) ^ device() ^
                     static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
}

int setup_fen(const char* text) {
    if (!place_fen(text)) return 0;
    settings.use_book = 0;
    tt_clear();
    return 1;
}

}  // namespace torlo
