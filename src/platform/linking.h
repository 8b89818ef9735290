#pragma once

// Replacing a duplicate by another name of the file kept (a hard link) or by
// a copy-on-write clone of it, so that every name stays and the space is
// freed. The name never goes missing: the new file is made under a temporary
// name in the same folder and exchanged with the old one in one step.

#include "platform/fileops.h"
#include "platform/folder.h"
#include "platform/platform.h"

#include <QString>

namespace quillfen::platform {

enum class LinkKind : quint8 {
    Hard,  // the name becomes another name of the kept file
    Clone, // the name gets a clone of the kept file's blocks (btrfs, XFS, bcachefs)
};

// The error of a replacement refused because a file is no longer the one the
// caller expected (replaced, written or renamed meanwhile).
constexpr int kFileChanged = ESTALE;

// Replaces the entry name of folder, which must still be the expected file
// (identity, size and modification time), by a hard link or a clone of the
// kept file (keptName in keptFolder, which must still have kept's identity).
// A clone takes the permissions, owner and times of the file it replaces; a
// file system that cannot clone gives EOPNOTSUPP or EXDEV, never a copy.
// Names on two file systems give EXDEV. On any failure both names stay as
// they were. The old file is removed only after the exchange showed that it
// was the expected file; otherwise the exchange is taken back.
FileOpResult replaceWithLink(LinkKind kind, const Folder& keptFolder, const QString& keptName,
                             const FileInfo& kept, const Folder& folder, const QString& name,
                             const FileInfo& expected);

// Gives a name that shares its file with another name (a hard link) or its
// blocks with another file (a clone) a file of its own again: the bytes are
// copied to a temporary name in the same folder, given the permissions,
// owner and times of original, and exchanged with the name while the name
// still shows current (identity, size, modification time). The name is never
// missing and is left as it was on any failure.
FileOpResult restoreOwnCopy(const Folder& folder, const QString& name, const FileInfo& current,
                            const FileInfo& original);

// Whether a stat of a name still shows the file described by expected.
bool sameFile(const FileInfo& now, const FileInfo& expected);

} // namespace quillfen::platform
