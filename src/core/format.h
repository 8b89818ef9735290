#pragma once

// Number, size, time and date texts shared by the scan, the comparison, the
// status display and the report.

#include <QString>
#include <QStringView>

namespace quillfen {

// Nearest whole number, halves to the even neighbour.
double roundHalfEven(double value);
// Nearest multiple of 10^-decimals, halves to even (decimal, not binary, halves).
double roundHalfEven(double value, int decimals);

// Megabytes (10^6 bytes) rounded to two decimals, 0 shown as 0.01.
double sizetomb(double bytes);

// True when the length of the file at path can be read: a regular file, also
// through a symbolic link. False for a missing path, a folder, a FIFO or a
// device, whose "length" is no file's.
bool canreadfile(const QString& path);
// sizetomb as the shortest decimal text with the user's decimal separator.
QString sizeMbText(qint64 bytes);

// "hh:mm:ss"; hours go past 99 rather than wrap.
QString secondstoclock(qint64 seconds);

// "dd/mm/yyyy hh:mm:ss" in local time: the date form the scan writes.
QString scanDateText(qint64 mtime);
// The user's short date and long time, time left out at midnight: the date
// form the comparison writes when it rebuilds the list.
QString generalDateText(qint64 mtime);

// The shortest decimal text of a number with "." as separator ("2.5", "10").
QString generalNumberText(double value);

// The leading number of a text, like a text box read as a number: blanks
// skipped, an optional sign, digits with one "."; no number gives 0.
double leadingNumber(QStringView text);

inline QString boolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace quillfen
