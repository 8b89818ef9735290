#include "platform/limits.h"

#include <cerrno>
#include <dirent.h>
#include <malloc.h>
#include <sys/resource.h>

namespace quillfen::platform {

namespace {

// Descriptors open now, counted in /proc/self/fd; -1 when it cannot be read.
qint64 openDescriptors() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    qint64 count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count - 1; // the listing's own descriptor
}

} // namespace

void raiseOpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

void returnLargeBlocks() {
    // A fixed threshold also stops glibc from raising it after each free.
    ::mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
}

qint64 openFilesLeft() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    // A limit beyond any count of descriptors (RLIM_INFINITY) counts as plenty.
    const qint64 soft = limit.rlim_cur > rlim_t(1) << 40 ? qint64(1) << 40 : qint64(limit.rlim_cur);
    qint64 open = openDescriptors();
    if (open < 0)
        open = 64; // a guess that errs on the safe side
    return qMax<qint64>(0, soft - open);
}

bool outOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE;
}

} // namespace quillfen::platform
