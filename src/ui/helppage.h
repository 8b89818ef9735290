#pragma once

// The program's help page, which is also its homepage, and its support mail
// address; both are opened with the desktop's default programs.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace quillfen::ui {

// The support mail address shown in the about box and on the help page.
QString supportMailAddress();
QUrl supportMailUrl();

// Where the help page may be, best first: beside an installed program
// (<prefix>/bin/../share/doc/quillfen/help.html), the install location the
// program was built for, and the source tree it was built from (a program
// run from the build folder).
QStringList helpPageCandidates();
// The first candidate that is an existing file, or an empty text.
QString findHelpPage(const QStringList& candidates);
// The help page found, or its install location when none is found (the
// browser then says so).
QUrl helpPageUrl();

// Opens an address with the desktop's default program. failed runs, at
// once or later on this thread, when no program could open it.
void openAddress(const QUrl& address, std::function<void()> failed = {});

} // namespace quillfen::ui
