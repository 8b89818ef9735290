#pragma once

#include "compare/routines.h"

#include <QHash>
#include <QSet>
#include <atomic>

namespace quillfen::testing {

// File access that fails for chosen paths, as unreadable files would (the
// tests may run as root, where permissions do not stop a read).
class FailingAccess : public FileAccess {
public:
    qint64 length(const QString& path) const override {
        if (unmeasurable.contains(path))
            return -1;
        return FileAccess::length(path);
    }
    bool open(platform::InputFile& file, const QString& path) const override {
        ++opens;
        if (unopenable.contains(path))
            return false;
        return FileAccess::open(file, path);
    }
    bool openAvailable(platform::InputFile& file, const QString& path) const override {
        ++opens;
        if (unmeasurable.contains(path) || unopenable.contains(path))
            return false;
        return FileAccess::openAvailable(file, path);
    }
    bool openIn(platform::InputFile& file, int folderFd, const QByteArray& name,
                const QString& path) const override {
        ++opens;
        if (unmeasurable.contains(path) || unopenable.contains(path))
            return false;
        return FileAccess::openIn(file, folderFd, name, path);
    }
    qint64 openFileBudget() const override {
        return budget >= 0 ? budget : FileAccess::openFileBudget();
    }
    qint64 readAt(platform::InputFile& file, const QString& path, qint64 offset, char* buffer,
                  qint64 length) const override {
        const auto failing = failFrom.constFind(path);
        if (failing != failFrom.constEnd() && offset + length > *failing)
            return -1;
        const qint64 got = FileAccess::readAt(file, path, offset, buffer, length);
        if (got > 0)
            bytesRead += got;
        return got;
    }

    QSet<QString> unmeasurable;      // the length query fails
    QSet<QString> unopenable;        // opening fails
    QHash<QString, qint64> failFrom; // reads reaching this offset fail
    qint64 budget = -1;              // files a pass may open at once; -1: the system's
    // Counted from every thread a pass reads on.
    mutable std::atomic<qint64> opens = 0;
    mutable std::atomic<qint64> bytesRead = 0;
};

} // namespace quillfen::testing
