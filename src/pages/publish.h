#pragma once

namespace kinoleaf::pages {

} // namespace kinoleaf::pages
