#include "core/format.h"

#include "platform/platform.h"

#include <QDateTime>
#include <QLocale>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace quillfen {

using namespace Qt::StringLiterals;

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

double roundHalfEven(double value, int decimals) {
    // Decide halves on the shortest decimal text that reads back as the
    // value, once: 0.125 and 2.675 are halves as written, 0.014996 is not.
    if (!std::isfinite(value) || decimals < 0)
        return value;
    char text[400];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (written.ec != std::errc())
        return value;
    std::string digits(text, written.ptr);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative)
        digits.erase(0, 1);
    const std::size_t point = digits.find('.');
    if (point == std::string::npos || digits.size() - point - 1 <= std::size_t(decimals))
        return value;
    // Kept digits without the point, the first dropped digit and the rest.
    std::string kept = digits.substr(0, point) + digits.substr(point + 1, std::size_t(decimals));
    const char first = digits[point + 1 + std::size_t(decimals)];
    const bool restZero =
        digits.find_first_not_of('0', point + 2 + std::size_t(decimals)) == std::string::npos;
    const bool lastOdd = (kept.back() - '0') % 2 == 1;
    const bool up = first > '5' || (first == '5' && (!restZero || lastOdd));
    if (up) {
        std::size_t k = kept.size();
        while (k > 0 && kept[k - 1] == '9')
            kept[--k] = '0';
        if (k == 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[k - 1];
    }
    if (decimals > 0)
        kept.insert(kept.size() - std::size_t(decimals), 1, '.');
    const double rounded = std::strtod(kept.c_str(), nullptr);
    return negative ? -rounded : rounded;
}

double sizetomb(double bytes) {
    // Whole byte counts round on integers, so no intermediate text or
    // binary fraction can turn a near-half into a half.
    double mb;
    if (std::fabs(bytes) < 9.0e18 && bytes == std::floor(bytes)) {
        const qint64 whole = qint64(bytes);
        qint64 hundredths = whole / 10000;
        const qint64 rest = std::abs(whole % 10000);
        if (rest > 5000 || (rest == 5000 && hundredths % 2 != 0))
            hundredths += whole < 0 ? -1 : 1;
        mb = double(hundredths) / 100.0;
    } else {
        mb = roundHalfEven(bytes / 1000000.0, 2);
    }
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

bool canreadfile(const QString& path) {
    const platform::FileInfo info = platform::fileInfo(path);
    if (info.isRegular())
        return info.size >= 0;
    if (info.type != platform::FileType::Symlink)
        return false;
    platform::InputFile file;
    if (file.open(path))
        return file.openedInfo().isRegular() && file.openedInfo().size >= 0;
    // A linked file that may not be read still has a length.
    return file.error() == EACCES;
}

} // namespace quillfen
