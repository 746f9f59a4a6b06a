#include "pages/page_rows.h"

namespace kinoleaf::pages {

} // namespace kinoleaf::pages
