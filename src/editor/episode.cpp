#include "editor/episode.h"

namespace kinoleaf::episode {

} // namespace kinoleaf::episode
