#pragma once
// An episode: chosen pages of a movie copied, with a script of their rows,
// into a folder of its own.

namespace kinoleaf::episode {

} // namespace kinoleaf::episode
