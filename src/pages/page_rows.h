#pragma once
// The page operations of the main window as plain functions over the rows:
// what a button does to the list, and which row is selected afterwards.

#include <QString>
#include <QStringList>

namespace kinoleaf::pages {

} // namespace kinoleaf::pages
