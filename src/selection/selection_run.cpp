#include "selection/selection_run.h"

namespace kinoleaf::selection {

} // namespace kinoleaf::selection
