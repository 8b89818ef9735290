#pragma once

// Window measures are given in twips: 15 to a device-independent pixel.
// The conversion to pixels lives with the window geometry in core (halves
// to even, clamped), so the settings file, the main window and the dialogs
// all round alike.

#include "core/windowgeometry.h"

namespace quillfen {

inline double pixelsToTwips(int pixels) {
    return double(pixels) * twipsPerPixel;
}

} // namespace quillfen
