#pragma once

// How the comparison reaches and reads files: the file access, the read
// control of a run, the fuzzy samples and the CRC-32 of an open file.

#include "core/runprogress.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <utility>
#include <vector>

namespace quillfen {

class ChecksumCache;

// How the comparison reaches files. The default goes straight to the platform
// layer; tests derive from it to make chosen files fail, which permissions
// cannot arrange when the tests run as root.
class FileAccess {
public:
    virtual ~FileAccess() = default;
    // Length of a regular file, -1 when it cannot be read.
    virtual qint64 length(const QString& path) const;
    virtual bool open(platform::InputFile& file, const QString& path) const;
    // Opens the file when its length can be read (a regular file of its own,
    // not reached through a symbolic link): one query for both.
    virtual bool openAvailable(platform::InputFile& file, const QString& path) const;
    // Opens the entry name (as the system spells it) of the open folder
    // folderFd, never through a symbolic link; path is the folder and the name.
    virtual bool openIn(platform::InputFile& file, int folderFd, const QByteArray& name,
                        const QString& path) const;
    // Bytes read at a 0-based offset, short only at the end; -1 on failure.
    virtual qint64 readAt(platform::InputFile& file, const QString& path, qint64 offset,
                          char* buffer, qint64 length) const;
    // How many more files a pass may hold open at once.
    virtual qint64 openFileBudget() const;
};

// What a routine needs from the run around it.
struct ReadControl {
    const std::atomic<bool>* stopflag = nullptr; // True asks to stop; null: never stopped
    RunProgress* counters = nullptr;             // kbdone grows here when set
    bool gentle = false;                         // CPU-gentle pauses
    const FileAccess* files = nullptr;           // null: the file system itself
    // Checksums of files read whole by earlier runs; null: none kept.
    ChecksumCache* cache = nullptr;
    // Threads a pass may read on; 0: one for each core, up to four.
    int threads = 0;

    bool stopRequested() const { return stopflag && stopflag->load(std::memory_order_relaxed); }
    void countRead(qint64 bytes) const {
        if (counters)
            counters->addkbdone(bytes);
    }
    const FileAccess& access() const;
    // Waits in short slices so that a stop request ends the wait at once;
    // false when stopped.
    bool pause(int milliseconds) const;
};

// Fuzzy comparison constants.
constexpr qint64 fuzzySampleLength = 101;
constexpr int fuzzySampleCount = 10;
// Bytewise comparison: blocks of 1,000,001 bytes that advance by 1,000,000.
constexpr qint64 byteBlockLength = 1000001;
constexpr qint64 byteBlockAdvance = 1000000;
constexpr int gentlePauseMs = 100;
// CRC reads.
constexpr qint64 crcBlockLength = 32767;

// The distance between the fuzzy samples of a file of the given length:
// length / 12 rounded half to even, at least 1. Sample k (1 to 10) starts at
// the 1-based position k times this step.
qint64 fuzzyStep(qint64 length);
// How many samples a file of the given length is compared on (1 or 10).
int fuzzySamplesFor(qint64 length);

// Gathers the fuzzy samples of a file of the given length from blocks of it
// read in any order, so that a pass reading the whole file learns them
// without reading them apart. The samples are laid out as readFuzzySamples
// gives them.
class FuzzySampler {
public:
    explicit FuzzySampler(qint64 length);
    void feed(qint64 offset, const char* data, qint64 count);
    const QByteArray& samples() const { return m_samples; }

private:
    std::vector<std::pair<qint64, qint64>> m_slots; // file offset, length
    QByteArray m_samples;
};

// A 64-bit digest of a file's length and fuzzy samples, never 0 (0 stands
// for "not known" where digests are stored).
quint64 fuzzyDigest(qint64 length, const QByteArray& samples);

// The CRC-32 of a whole file read in blocks of 32,767 bytes, and from the same
// read a 128-bit XXH3: CRC-32 alone is easily matched by files that differ, so
// two files count as equal only when both checksums are.
struct FileCrc {
    enum Status { Done, Failed, Stopped } status = Failed;
    quint32 crc = 0;
    quint64 check = 0;     // XXH3-128 of the same bytes, low 64 bits
    quint64 checkhigh = 0; // and high 64 bits
    qint64 bytes = 0;      // bytes read
};
// The file is open; it is read from its start to its end. sampler, when
// given, gets the fuzzy samples from the same read. head, when given, holds
// the file's first bytes, already read: the file is read on after them.
FileCrc readFileCrc(platform::InputFile& file, const QString& path, const ReadControl& control = {},
                    FuzzySampler* sampler = nullptr, QByteArrayView head = {});

// The fuzzy samples of one open file of the given length, one after another
// (each cut at the end of the file). False when a read fails.
bool readFuzzySamples(platform::InputFile& file, const QString& path, qint64 length,
                      QByteArray& samples, const ReadControl& control = {});

} // namespace quillfen
