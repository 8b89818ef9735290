#pragma once

// The program's pictures and colours: the SVG images of the resources,
// drawn at the screen's scale so they stay crisp, and the looks derived from
// them (the greyed look of a disabled command).

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace quillfen::ui {

// The colours of the program's flat look; the accent is the blue of the
// duplicate groups.
namespace colours {
inline QColor accent() {
    return QColor(0x45, 0x5C, 0xA3);
}
inline QColor accentLight() {
    return QColor(0xE3, 0xE8, 0xF5);
}
inline QColor ink() {
    return QColor(0x2F, 0x3B, 0x52);
}
inline QColor inkMuted() {
    return QColor(0x9A, 0xA3, 0xB5);
}
inline QColor body() {
    return QColor(0xEE, 0xF1, 0xF7);
}
inline QColor strip() {
    return QColor(0xFF, 0xFF, 0xFF);
}
inline QColor line() {
    return QColor(0xD2, 0xD8, 0xE6);
}
} // namespace colours

// Resource path of a picture by file name, e.g. picturePath(u"cmd-scan.svg").
QString picturePath(const QString& fileName);

// The SVG at path drawn at size (device-independent pixels) for a screen of
// the given scale; an empty pixmap when the picture cannot be read.
QPixmap svgPixmap(const QString& path, QSize size, qreal devicePixelRatio);

// The greyed, faded look of a picture, kept transparent where it was.
QPixmap disabledLook(const QPixmap& picture);

// The application's icon (the taskbar, the about box, the title bar).
QIcon applicationIcon();

} // namespace quillfen::ui
