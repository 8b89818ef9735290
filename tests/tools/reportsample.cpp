// quillfen-reportsample FOLDER REPORT [html|text]
//
// Writes the report of a result list made of the regular files of FOLDER
// (sorted by name, in groups of two with a separator row between groups,
// the first file of each group checked), with every entry and all columns,
// through the same writer the Export Report dialog uses. The browser check
// of scripts/report-in-browser.sh opens what it writes.

#include "platform/filename.h"
#include "platform/platform.h"
#include "report/report.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

using namespace quillfen;
using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: quillfen-reportsample FOLDER REPORT [html|text]\n");
        return 2;
    }
    QString folder = platform::decodeFileName(QByteArray(argv[1]));
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const QString report = platform::decodeFileName(QByteArray(argv[2]));

    std::vector<QByteArray> names;
    platform::DirectoryListing listing(folder);
    if (!listing.isOpen()) {
        std::fprintf(stderr, "cannot list %s\n", argv[1]);
        return 1;
    }
    while (listing.next()) {
        if (listing.info().isRegular())
            names.emplace_back(listing.rawName());
    }
    std::sort(names.begin(), names.end());

    ResultList list;
    for (size_t k = 0; k < names.size(); ++k) {
        if (k > 0 && k % 2 == 0)
            list.push_back(ResultEntry::separator());
        const QString path = folder + platform::decodeFileName(names[k]);
        const platform::FileInfo info = platform::fileInfo(path);
        ResultEntry entry;
        entry.path = folder;
        entry.filename = platform::decodeFileName(names[k]);
        entry.size = info.size;
        entry.mtime = info.mtime;
        entry.dateform = DateForm::Scan;
        entry.checked = k % 2 == 0;
        list.push_back(entry);
    }

    ExportSettings settings;
    settings.html = argc < 4 || QByteArray(argv[3]) != "text";
    settings.allentries = true;
    const ReportJobResult written = writereportfile(report, list, settings, reportwebaddress());
    if (!written.saved.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(written.saved.description));
        return 1;
    }
    std::printf("%lld entries written to %s\n", static_cast<long long>(written.count), argv[2]);
    return 0;
}
