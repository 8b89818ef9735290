#pragma once

#include <QByteArray>
#include <QString>

namespace quillfen::platform {

// Linux file names are bytes. A name that is not valid UTF-8 keeps each byte
// that cannot be decoded as a lone surrogate U+DC80..U+DCFF, so that
// encodeFileName(decodeFileName(b)) == b for every byte string b.
QString decodeFileName(const char* bytes, qsizetype length);
QString decodeFileName(const QByteArray& bytes);
QByteArray encodeFileName(const QString& name);

} // namespace quillfen::platform
