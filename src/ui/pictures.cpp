#include "ui/pictures.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

QString picturePath(const QString& fileName) {
    return u":/images/"_s + fileName;
}

QPixmap svgPixmap(const QString& path, QSize size, qreal devicePixelRatio) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || size.isEmpty())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image);
}

QPixmap disabledLook(const QPixmap& picture) {
    if (picture.isNull())
        return {};
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            // Grey, lifted towards white, at two thirds of its opacity.
            const int grey = 128 + qGray(pixel) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(pixel) * 2 / 3);
        }
    }
    image.setDevicePixelRatio(picture.devicePixelRatio());
    return QPixmap::fromImage(image);
}

QIcon applicationIcon() {
    return QIcon(picturePath(u"quillfen.svg"_s));
}

} // namespace quillfen::ui
