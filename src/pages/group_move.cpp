#include "pages/group_move.h"

namespace kinoleaf::pages {

} // namespace kinoleaf::pages
