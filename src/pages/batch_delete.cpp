#include "pages/batch_delete.h"

namespace kinoleaf::pages {

} // namespace kinoleaf::pages
