#pragma once

// One comparison pass over the entry table: the table is cut into size runs
// and the files of each run are sorted into classes of equal content, each
// file opened once from its folder's descriptor and read once (a run longer
// than the open files allowed is read twice). The kept files are those that
// comparing every file with the later files of its run until the first match
// keeps, with the same sub-group starts; each set of equal files is kept
// together, in list order. A file is kept with what the pass saw of it.

#include "compare/routines.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace quillfen {

enum class PassKind { None, Fuzzy, Crc, Bytewise };

struct PassProgress {
    RunProgress* status = nullptr; // progress atomics and texts; null: none
    int curstep = 0;
    int totalsteps = 0;
};

// What a pass saw of a file it read, from the open descriptor. A file whose
// descriptor or name showed other facts after the last read, or that is not
// the file or folder the row stands for, is equal to nothing.
struct SeenFile {
    platform::FileIdentity id;
    platform::FileIdentity folderid;
    qint64 size = -1; // -1: not read
    qint64 mtime = 0;
    quint32 mtimensec = 0;
    qint64 ctimens = 0; // the change time in nanoseconds; 0: not known
    // Known from a look at the name alone (its checksums were kept by an
    // earlier run): nothing was read that could have changed meanwhile.
    bool stated = false;
    // The checksum cache's answer for the file in this run: kNotAsked,
    // kNothingKept, or the slot of what it held (ChecksumCache::recalled).
    static constexpr qint32 kNotAsked = -2;
    static constexpr qint32 kNothingKept = -1;
    qint32 cacheslot = kNotAsked;
};

// The entries a pass works through: the entry table of the driver.
class PassSource {
public:
    virtual ~PassSource() = default;
    virtual qint64 count() const = 0;
    // Size of entry k as a number (a separator row counts as 0).
    virtual qint64 size(qint64 k) const = 0;
    // Full path of entry k (empty for a separator row).
    virtual QString path(qint64 k) const = 0;
    // Its folder (ending in "/") and name; by default cut from the path.
    virtual QString folder(qint64 k) const;
    virtual QString name(qint64 k) const;
    // Where entries of one folder share its text: the text's address, which
    // finds the folder without copying the text. Null: not shared.
    virtual const QChar* folderAddress(qint64) const { return nullptr; }
    // The file and folder the entry stands for; zero when not known.
    virtual platform::FileIdentity fileId(qint64) const { return {}; }
    virtual platform::FileIdentity folderId(qint64) const { return {}; }
    // The label of its byte-for-byte equal files when the previous pass read
    // it whole (-1: not read whole; see KeptRow), and what that pass saw of it.
    virtual qint64 sameAs(qint64) const { return -1; }
    virtual SeenFile seenBefore(qint64) const { return {}; }
    // Overridden where the path can be hashed and compared without building it.
    virtual size_t pathHash(qint64 k) const;
    virtual bool samePath(qint64 a, qint64 b) const;
};

// A file of a size run as a pass reaches it: an entry of the pass's source.
// Its folder and name are asked of the source only when the file is opened:
// a file whose checksums were kept is never opened, and copying the texts of
// every entry cost a pass over such files a tenth of its time.
struct RunFile {
    const PassSource* source = nullptr;
    qint64 row = 0;                  // its entry in the source
    platform::FileIdentity id;       // the file the row stands for; zero: not known
    platform::FileIdentity folderid; // the folder it is in; zero: not known
    // What the previous pass saw of it, and when it read it whole, a label
    // it shares with the files of its run whose bytes it equals (-1: not
    // read whole).
    qint64 sameAs = -1;
    SeenFile before{};
    QString folder() const { return source->folder(row); } // ends in "/"
    QString name() const { return source->name(row); }
    QString path() const { return source->path(row); }
    // The path a file access is told of. Only one put in place of the file
    // system (in tests) looks at it, and building it for every read cost a
    // pass over small files a few per cent.
    QString accessPath(const ReadControl& control) const {
        return control.files ? path() : QString();
    }
};

// A kept entry of the source, by its index.
struct KeptRow {
    qint64 index = 0;
    bool subgroupstart = false;
    SeenFile seen{}; // the file as the pass read it
    // When the pass read the file whole and was asked to label it: the index
    // of the first file of its run with the same bytes (itself, if none is
    // before it); -1 otherwise.
    qint64 sameAs = -1;
};

// Runs a pass over all entries: consecutive entries of equal size form a
// run, and the files of a run that equal another file of the run (by the
// pass's test) are kept, set by set: a set in list order, its first file
// marked as a sub-group start, the sets in the order of their first files.
// The runs are shared out among the threads control allows, each run read
// by one thread; what is kept does not depend on how many there are.
// False when stopped (kept is then incomplete and must not be used).
// labelEqual: the fuzzy pass reads small files whole and labels those of
// equal bytes, so that a bytewise pass after it need not read them again.
bool runPass(PassKind kind, const PassSource& source, std::vector<KeptRow>& kept,
             const ReadControl& control, const PassProgress& progress = {},
             bool labelEqual = false);

// The name of a pass in the progress caption.
QString passName(PassKind kind);

} // namespace quillfen
