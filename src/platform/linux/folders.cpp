// Linux implementation of making folders.

#include "platform/folders.h"

#include "platform/filename.h"
#include "platform/linux/posixfiles.h"
#include "platform/platform.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillfen::platform {

namespace {

bool isFolder(const QByteArray& path) {
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

FileOpResult makeFolders(const QString& folder, unsigned mode) {
    const QByteArray path = encodeFileName(folder);
    if (path.isEmpty() || !posix::isSystemPath(path))
        return FileOpResult::failure(ENOENT);
    // Each folder from the top down; those that exist are passed through.
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? path : path.left(end);
        if (::mkdir(part.constData(), mode_t(mode)) != 0) {
            const int error = errno;
            if (error != EEXIST)
                return FileOpResult::failure(error);
            if (!isFolder(part))
                return FileOpResult::failure(ENOTDIR);
        }
        if (end < 0 || end == path.size() - 1)
            break;
    }
    return {};
}

bool isWritableFolder(const QString& folder) {
    const QByteArray path = encodeFileName(folder);
    return posix::isSystemPath(path) && isFolder(path) &&
           ::access(path.constData(), W_OK | X_OK) == 0;
}

QString currentFolder() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return QStringLiteral("/");
        buffer.resize(buffer.size() * 2);
    }
    return decodeFileName(buffer.data(), qsizetype(std::strlen(buffer.data())));
}

QString userFolder(const char* variable, const QString& fallback) {
    QString folder = environmentVariable(variable);
    if (!folder.startsWith(u'/'))
        folder = environmentVariable("HOME") + u'/' + fallback;
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace quillfen::platform
