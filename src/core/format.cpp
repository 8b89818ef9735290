#include "core/format.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quillfen {

using namespace Qt::StringLiterals;

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

double roundHalfEven(double value, int decimals) {
    // Decide halves on the decimal text of the value, so that 0.125 (which
    // is exact in binary) and 2.675 (which is not) both round as written.
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals + 3, value);
    const double scale = std::pow(10.0, decimals);
    const double scaled = std::strtod(text, nullptr) * scale;
    const double floorValue = std::floor(scaled);
    const double fraction = scaled - floorValue;
    double rounded;
    if (std::fabs(fraction - 0.5) < 1e-7)
        rounded = std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
    else
        rounded = std::round(scaled);
    return rounded / scale;
}

double sizetomb(double bytes) {
    const double mb = roundHalfEven(bytes / 1000000.0, 2);
    return mb == 0.0 ? 0.01 : mb;
}

QString generalNumberText(double value) {
    QString text = QString::number(value, 'f', 10);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == u"-0"_s)
        text = u"0"_s;
    return text;
}

QString sizeMbText(qint64 bytes) {
    QString text = generalNumberText(sizetomb(double(bytes)));
    const QString point = QLocale().decimalPoint();
    if (point != u"."_s)
        text.replace(u'.', point);
    return text;
}

QString secondstoclock(qint64 seconds) {
    if (seconds < 0)
        seconds = 0;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds / 60) % 60;
    const qint64 rest = seconds % 60;
    return u"%1:%2:%3"_s.arg(hours, 2, 10, QChar(u'0'))
        .arg(minutes, 2, 10, QChar(u'0'))
        .arg(rest, 2, 10, QChar(u'0'));
}

QString scanDateText(qint64 mtime) {
    return QDateTime::fromSecsSinceEpoch(mtime).toString(u"dd/MM/yyyy HH:mm:ss"_s);
}

QString generalDateText(qint64 mtime) {
    const QDateTime time = QDateTime::fromSecsSinceEpoch(mtime);
    const QLocale locale;
    QString text = locale.toString(time.date(), QLocale::ShortFormat);
    if (time.time() != QTime(0, 0)) {
        // The long time format without its time-zone field.
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove(u't').replace(u"  "_s, u" "_s);
        text += u' ' + locale.toString(time.time(), format.trimmed());
    }
    return text;
}

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    QString number;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        number += text[i++];
    bool point = false;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            number += c;
            digits = true;
        } else if (c == u'.' && !point) {
            number += c;
            point = true;
        } else {
            break;
        }
    }
    return digits ? number.toDouble() : 0.0;
}

} // namespace quillfen
