#pragma once

// Making folders and asking whether one takes new files, on the bytes of
// the names, so that folders whose names are not UTF-8 work as any other.

#include "platform/fileops.h"

#include <QString>

namespace quillfen::platform {

// Makes folder and every missing folder above it. A folder that exists
// already is success; a file in the way is refused with its reason.
// New folders get mode (less the umask).
FileOpResult makeFolders(const QString& folder, unsigned mode = 0777);

// A folder of the user's by the XDG variable that names it when that holds
// an absolute path, else $HOME/fallback ("~/.local/state" for
// XDG_STATE_HOME, say); with a trailing "/".
QString userFolder(const char* variable, const QString& fallback);

// The process's working folder (without a trailing "/"; "/" when unknown).
QString currentFolder();

// True when folder exists and the user may create files in it.
bool isWritableFolder(const QString& folder);

} // namespace quillfen::platform
