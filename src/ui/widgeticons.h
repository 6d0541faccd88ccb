#pragma once

#include <QIcon>

// The small button faces of the data-aware widgets, drawn rather than loaded so
// that they follow the palette and need no files.
namespace WidgetIcons {

QIcon ellipsis();    // "…": opens a lookup dialog
QIcon dropDown();    // a down arrow: opens a list
QIcon calculator();  // a tiny calculator: opens the calculator

}  // namespace WidgetIcons
