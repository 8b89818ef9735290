#include "addressrecorder.h"

#include <QDesktopServices>

namespace quillfen::testing {

AddressRecorder::AddressRecorder(const QStringList& schemes) : m_schemes(schemes) {
    for (const QString& scheme : m_schemes)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

AddressRecorder::~AddressRecorder() {
    for (const QString& scheme : m_schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void AddressRecorder::open(const QUrl& address) {
    opened << address;
}

} // namespace quillfen::testing
