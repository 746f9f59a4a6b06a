#pragma once
// The selection run: thins a movie's rows to a target count by an even or a
// story-weighted rhythm, always keeping ticked rows and, if asked, rows with
// an intro.

namespace kinoleaf::selection {

} // namespace kinoleaf::selection
