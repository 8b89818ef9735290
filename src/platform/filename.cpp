#include "platform/filename.h"

namespace quillfen::platform {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at data[i], or 0 when the byte
// there does not start one (overlong forms and encoded surrogates included).
int sequenceLength(const unsigned char* data, qsizetype i, qsizetype length, char32_t& code) {
    const unsigned char lead = data[i];
    int extra = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, code = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, code = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + extra >= length)
        return 0;
    for (int k = 1; k <= extra; ++k) {
        if (!isContinuation(data[i + k]))
            return 0;
        code = (code << 6) | (data[i + k] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return extra + 1;
}

void appendUtf8(QByteArray& out, char32_t code) {
    if (code < 0x80) {
        out.append(char(code));
    } else if (code < 0x800) {
        out.append(char(0xC0 | (code >> 6)));
        out.append(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.append(char(0xE0 | (code >> 12)));
        out.append(char(0x80 | ((code >> 6) & 0x3F)));
        out.append(char(0x80 | (code & 0x3F)));
    } else {
        out.append(char(0xF0 | (code >> 18)));
        out.append(char(0x80 | ((code >> 12) & 0x3F)));
        out.append(char(0x80 | ((code >> 6) & 0x3F)));
        out.append(char(0x80 | (code & 0x3F)));
    }
}

} // namespace

QString decodeFileName(const char* bytes, qsizetype length) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    qsizetype ascii = 0;
    while (ascii < length && data[ascii] < 0x80)
        ++ascii;
    if (ascii == length)
        return QString::fromLatin1(bytes, length);

    QString result;
    result.reserve(length);
    result.append(QLatin1StringView(bytes, ascii));
    for (qsizetype i = ascii; i < length;) {
        if (data[i] < 0x80) {
            result.append(QChar(char16_t(data[i])));
            ++i;
            continue;
        }
        char32_t code = 0;
        const int n = sequenceLength(data, i, length, code);
        if (n == 0) {
            result.append(QChar(char16_t(kEscapeBase + data[i])));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            result.append(QChar(QChar::highSurrogate(code)));
            result.append(QChar(QChar::lowSurrogate(code)));
        } else {
            result.append(QChar(char16_t(code)));
        }
        i += n;
    }
    return result;
}

QString decodeFileName(const QByteArray& bytes) {
    return decodeFileName(bytes.constData(), bytes.size());
}

QByteArray encodeFileName(const QString& name) {
    const qsizetype length = name.size();
    const QChar* data = name.constData();
    qsizetype ascii = 0;
    while (ascii < length && data[ascii].unicode() < 0x80)
        ++ascii;
    if (ascii == length)
        return name.toLatin1();

    QByteArray out;
    out.reserve(length * 3);
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = data[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < length && data[i + 1].isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, data[i + 1].unicode()));
            ++i;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            out.append(char(unit - kEscapeBase));
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(out, 0xFFFD); // cannot come from a decoded name
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

} // namespace quillfen::platform
