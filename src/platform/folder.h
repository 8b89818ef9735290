#pragma once

// A folder held open by its descriptor, so that names are looked up in the
// very folder that was checked, whatever is renamed or swapped for a link
// along its path meanwhile, and at any depth (paths longer than PATH_MAX).

#include "platform/platform.h"

#include <QByteArray>
#include <QString>

namespace quillfen::platform {

class Folder {
public:
    Folder() = default;
    // Opens an absolute folder path. Links along the path are followed: the
    // caller checks identity() against what it expects. A path too long for
    // the system is opened one name at a time.
    explicit Folder(const QString& path);
    // Opens the subfolder name of parent; never follows a symbolic link.
    Folder(const Folder& parent, const char* name);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;

    // A descriptor of its own for the same folder; not open when none is left.
    Folder duplicate() const;
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    int error() const { return m_error; } // errno of a failed open
    // Facts of the open folder itself.
    FileInfo info() const;
    // Facts of an entry of the folder; a symbolic link is reported as such.
    FileInfo entryInfo(const char* name) const;
    FileInfo entryInfo(const QString& name) const;

private:
    void close();
    int m_fd = -1;
    int m_error = EBADF;
};

} // namespace quillfen::platform
