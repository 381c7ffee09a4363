#pragma once

#include "model/DeviceTypes.h"

class QWidget;

namespace talvaro {

class EditorPages;

// What a screen reader says of the main window's controls. Names are made from the texts
// the window shows beside them (a grid cell from its row and column, a field from the
// label beside it, a choice from its own text after its panel's caption); descriptions
// are the headings of the controls' help topics. Both follow the device type: call after
// every change of type, once the pages have been relabelled.
void describeWindowControls(QWidget& window, const EditorPages& pages, DeviceType type);

} // namespace talvaro
