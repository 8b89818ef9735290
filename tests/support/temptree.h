#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quillfen::testing {

// A folder tree built at test time in a temporary directory. Paths given to
// the helpers are relative to the root; folders are created as needed.
class TempTree {
public:
    TempTree();
    // A tree in another folder, e.g. on another file system such as /dev/shm.
    explicit TempTree(const QString& parentFolder);
    // Removes the tree byte for byte, so names that are not valid UTF-8 go too.
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    bool isValid() const { return m_dir.isValid(); }
    // The root folder with a trailing "/".
    QString root() const;
    QString path(const QString& relative) const { return root() + relative; }

    QString writeFile(const QString& relative, const QByteArray& content);
    QString writeFile(const QString& relative, qint64 size, char fill);
    // A sparse file of the given size whose last byte is last.
    QString writeSparseFile(const QString& relative, qint64 size, char last);
    QString makeFolder(const QString& relative);
    bool setModified(const QString& relative, qint64 secondsSinceEpoch);
    // Writes content as deep.bin below twenty nested folders of 250-byte
    // names, built through descriptors since the path is longer than
    // PATH_MAX; returns the file's full path (empty when a write failed).
    QString writeDeepFile(const QByteArray& content);
    // A name given as raw bytes, for names that are not valid UTF-8.
    QByteArray writeRawNamedFile(const QByteArray& relativeBytes, const QByteArray& content);

private:
    QTemporaryDir m_dir;
};

} // namespace quillfen::testing
