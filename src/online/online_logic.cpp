#include "online/online_logic.h"

namespace kinoleaf::online {

} // namespace kinoleaf::online
