#pragma once

// The main window's geometry as the settings file keeps it: twips, 15 to a
// device-independent pixel. The window copies its own geometry in before a
// save and applies what start-up loaded; the engine never touches a widget.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace quillfen {

constexpr int twipsPerPixel = 15;

enum class WindowShowState { Normal = 0, Minimised = 1, Maximised = 2 };

struct WindowGeometry {
    // Size of the normal (neither minimised nor maximised) window.
    double width = 15000;
    double height = 10000;
    WindowShowState state = WindowShowState::Normal;
    // Position at the moment of saving; unset until loaded or reported, so a
    // first start lets the window place itself.
    std::optional<double> top;
    std::optional<double> left;

    // What the window reports before a save: its normal-state size, its
    // current position and state.
    static WindowGeometry fromPixels(QSize normalSize, QPoint position, WindowShowState state);

    // Pixel forms for applying: a whole number, halves to even, held inside
    // what a widget accepts.
    QSize sizePixels() const;
    // The position, or nothing when it was never loaded.
    std::optional<QPoint> positionPixels() const;
};

// The window's minimum size, held inside the screen's available area so
// that a large scale factor never makes the window larger than the screen.
QSize minimumWithin(QSize minimum, QSize available);
// A window rectangle shrunk to fit the available area and moved into it.
QRect placedWithin(QRect window, QRect available);

// Twips to whole device-independent pixels, clamped to the int range.
int twipsToPixels(double twips);

} // namespace quillfen
