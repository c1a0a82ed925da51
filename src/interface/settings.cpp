#include "interface/settings.h"

#include "types.h"

namespace torlo {

EngineSettings settings = DEFAULT_SETTINGS;

void reset_game_settings() {
    settings.computer_side = DEFAULT_SETTINGS.computer_side;
    settings.use_book = DEFAULT_SETTINGS.use_book;
    settings.move_time = DEFAULT_SETTINGS.move_time;
    settings.max_depth = DEFAULT_SETTINGS.max_depth;
}

}  // namespace torlo
