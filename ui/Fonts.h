// The windows' designed face, and a stand-in where the system lacks it.
#pragma once

#include <QString>

class QWidget;

namespace tolv {

// The face that the forms store where it is installed; otherwise the first installed face made to
// its metrics (IPA P Gothic on Linux), so that the layout sits as drawn. The designed face itself
// when none is installed. Decided once per process.
QString designedFace();

// Called by a window before it makes its controls. Once per process: every widget that is given the
// designed face gets designedFace() instead, at once, so that the toolkit finds an installed face
// without asking the system for fallbacks; a widget with a "designedPointSize" property (a double)
// gets that point size; and the application's default font, which labels without a font of their
// own and message boxes use, becomes the face at 9 pt in every locale.
void installDesignedFonts(QWidget *window);

} // namespace tolv
