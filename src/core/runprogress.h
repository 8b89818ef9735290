#pragma once

// What a running job may touch of the program state: the stop request and
// the counters and texts the status panel and the working panel show. The
// window thread reads them while the job writes them.

#include "core/lockedtext.h"

#include <atomic>

namespace quillfen {

struct RunProgress {
    // True asks the running job to stop; true also while nothing runs.
    std::atomic<bool> stopflag{true};

    std::atomic<qint64> filesfound{0};
    std::atomic<qint64> filesskipped{0};
    std::atomic<qint64> filesunreadable{0};
    std::atomic<qint64> kbdone{0}; // kilobytes scaled by 10,000 (four decimals)
    std::atomic<qint64> filescompared{0};
    std::atomic<qint64> bytescompared{0}; // the bytes of the files counted in filescompared
    LockedText curfolder;
    LockedText comparefile1;
    LockedText comparefile2;
    LockedText label5; // caption of the working panel's progress bar
    std::atomic<qint64> progressmax{0};
    std::atomic<qint64> progressdone{0};
    std::atomic<qint64> groupmax{0};
    std::atomic<qint64> groupdone{0};
    std::atomic<bool> progressvisible{false};

    // kbdone is a fixed-point count of kilobytes with four decimals; reading
    // n bytes adds n / 1000 kB.
    void addkbdone(qint64 bytes) { kbdone.fetch_add(bytes * 10, std::memory_order_relaxed); }
    double kbdoneValue() const { return double(kbdone.load(std::memory_order_relaxed)) / 10000.0; }
};

} // namespace quillfen
