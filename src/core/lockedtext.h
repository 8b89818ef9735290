#pragma once

#include <QMutex>
#include <QString>

namespace quillfen {

// A text written by the worker thread and read by the window thread.
class LockedText {
public:
    void set(const QString& text) {
        QMutexLocker lock(&m_mutex);
        m_text = text;
    }
    QString get() const {
        QMutexLocker lock(&m_mutex);
        return m_text;
    }

private:
    mutable QMutex m_mutex;
    QString m_text;
};

} // namespace quillfen
