#pragma once

// The comparison run as a job for the worker thread: the planned passes,
// always fuzzy, CRC, bytewise in that order, each rebuilding the list from
// the files that matched. The job gets a copy of the list and reports its
// progress through RunProgress only.

#include "compare/checksumcache.h"
#include "compare/passes.h"
#include "core/compareplan.h"
#include "core/resultlist.h"
#include "core/runprogress.h"

#include <QString>

namespace quillfen {

struct CompareJobInput {
    ResultList list;  // a copy of the result list
    ComparePlan plan; // compareplan
    bool gentle = false;
    int curstep = 0; // advanced by one for every pass
    int totalsteps = 0;
    const FileAccess* files = nullptr; // null: the file system itself
    QString cachepath;                 // the checksum cache to use and fill; empty: none
    OpeningCache openingcache;         // valid: the cache to use instead, opened meanwhile
};

struct CompareJobResult {
    ResultList list;         // the rebuilt list (unchanged for a plan of no comparison)
    ComparePlan plandone;    // the passes that ran
    ComparePlan compareplan; // the last pass that ran (compareplan afterwards)
    int curstep = 0;
    bool stopped = false; // stopflag ended the run: the list must be emptied
    qint64 passes = 0;    // passes that compared (or would have compared) files
};

// The entry table of a pass read straight from the result list: each row's
// folder followed by its name, and its size; a separator row (or a row
// without a size) counts as size 0, and a separator row has an empty path.
class ResultListSource : public PassSource {
public:
    // labels: for each row, the label the previous pass gave it after
    // reading it whole (KeptRow::sameAs); null: none at all.
    // cacheslots: for each row, what the checksum cache answered an earlier
    // pass (SeenFile::cacheslot); null: nothing asked.
    explicit ResultListSource(const ResultList& list, const std::vector<qint64>* labels = nullptr,
                              const std::vector<qint32>* cacheslots = nullptr)
        : m_list(list), m_labels(labels), m_cacheslots(cacheslots) {}
    qint64 count() const override { return qint64(m_list.size()); }
    qint64 size(qint64 k) const override;
    QString path(qint64 k) const override;
    QString folder(qint64 k) const override;
    QString name(qint64 k) const override;
    const QChar* folderAddress(qint64 k) const override;
    platform::FileIdentity fileId(qint64 k) const override;
    platform::FileIdentity folderId(qint64 k) const override;
    qint64 sameAs(qint64 k) const override;
    SeenFile seenBefore(qint64 k) const override;
    size_t pathHash(qint64 k) const override;
    bool samePath(qint64 a, qint64 b) const override;

private:
    const ResultList& m_list;
    const std::vector<qint64>* m_labels;
    const std::vector<qint32>* m_cacheslots;
};

// The rows of the files a pass kept, built from their rows in list with the
// identity, length and modification time the pass read (the date in the
// general form); empty columns for a row the pass did not read. Sub-group
// starts are carried only when lastPass is true. A caller done with the list
// moves it in, and the names move over instead of being shared.
ResultList rebuildList(ResultList list, const std::vector<KeptRow>& kept, bool lastPass);

// Runs the whole comparison. status supplies stopflag and receives kbdone,
// filescompared and the progress values and texts.
CompareJobResult runComparison(CompareJobInput input, RunProgress& status);

} // namespace quillfen
