#include "interface/settings.h"

#include "types.h"

namespace torlo {

EngineSettings settings = {BLACK, 1, 32, 10, 0, 0, 1, 0};

void reset_game_settings() {
    settings.computer_side = BLACK;
    settings.use_book = 1;
    settings.move_time = 10;
    settings.max_depth = 32;
}

}  // namespace torlo
