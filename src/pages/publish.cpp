#include "pages/publish.h"

namespace kinoleaf::pages {

} // namespace kinoleaf::pages
