#include "core/windowgeometry.h"

#include "core/format.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace quillfen {

int twipsToPixels(double twips) {
    if (!std::isfinite(twips))
        return 0;
    const double pixels = roundHalfEven(twips / twipsPerPixel);
    if (pixels >= double(INT_MAX))
        return INT_MAX;
    if (pixels <= double(INT_MIN))
        return INT_MIN;
    return int(pixels);
}

WindowGeometry WindowGeometry::fromPixels(QSize normalSize, QPoint position,
                                          WindowShowState state) {
    WindowGeometry geometry;
    geometry.width = double(normalSize.width()) * twipsPerPixel;
    geometry.height = double(normalSize.height()) * twipsPerPixel;
    geometry.state = state;
    geometry.top = double(position.y()) * twipsPerPixel;
    geometry.left = double(position.x()) * twipsPerPixel;
    return geometry;
}

QSize minimumWithin(QSize minimum, QSize available) {
    if (available.isEmpty())
        return minimum;
    return minimum.boundedTo(available);
}

QRect placedWithin(QRect window, QRect available) {
    if (available.isEmpty())
        return window;
    const QSize size = window.size().boundedTo(available.size()).expandedTo(QSize(0, 0));
    // 64-bit so that positions far outside any screen cannot overflow.
    const qint64 left = std::clamp<qint64>(
        window.x(), available.x(), qint64(available.x()) + available.width() - size.width());
    const qint64 top = std::clamp<qint64>(
        window.y(), available.y(), qint64(available.y()) + available.height() - size.height());
    return QRect(QPoint(int(left), int(top)), size);
}

QSize WindowGeometry::sizePixels() const {
    // A widget cannot be given a negative size.
    return QSize(std::max(0, twipsToPixels(width)), std::max(0, twipsToPixels(height)));
}

std::optional<QPoint> WindowGeometry::positionPixels() const {
    if (!top || !left)
        return std::nullopt;
    return QPoint(twipsToPixels(*left), twipsToPixels(*top));
}

} // namespace quillfen
