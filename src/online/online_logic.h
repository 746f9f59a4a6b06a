#pragma once
// What the online windows compute without talking to the service: request
// bodies, movie ids, file names for downloaded images, script lines.

namespace kinoleaf::online {

} // namespace kinoleaf::online
