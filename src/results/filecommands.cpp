#include "results/filecommands.h"

#include "core/format.h"
#include "platform/filename.h"
#include "platform/platform.h"

namespace quillfen {

using namespace Qt::StringLiterals;

std::optional<QString> clickedfile(const AppState& state) {
    const qsizetype position = state.clickeditem;
    if (position < 1 || position > qsizetype(state.resultlist.size()))
        return std::nullopt;
    const ResultEntry& entry = state.resultlist[size_t(position - 1)];
    if (entry.isSeparator())
        return std::nullopt;
    return entry.fullPath();
}

std::optional<LaunchRequest> editfilecommand(const AppState& state) {
    const std::optional<QString> path = clickedfile(state);
    if (!path || state.viewerpath.trimmed().isEmpty())
        return std::nullopt;
    // Paths in the list are absolute, so the argument can never be read as
    // an option of the editor.
    return LaunchRequest{state.viewerpath, {*path}};
}

std::optional<QString> openfoldertarget(const AppState& state) {
    const std::optional<QString> path = clickedfile(state);
    if (!path)
        return std::nullopt;
    QString folder = folderOf(*path);
    const qsizetype slash = folder.lastIndexOf(u'/');
    if (slash > 0)
        folder.truncate(slash);
    else if (slash == 0)
        folder = u"/"_s;
    return folder;
}

std::optional<FileProperties> filepropertiesof(const AppState& state) {
    const std::optional<QString> path = clickedfile(state);
    if (!path)
        return std::nullopt;
    // The dates as the list shows the row's, so the two agree.
    return filepropertiesofpath(*path, state.resultlist[size_t(state.clickeditem - 1)].dateform);
}

FileProperties filepropertiesofpath(const QString& path, DateForm dates) {
    FileProperties properties;
    properties.name = nameOf(path);
    properties.folder = folderOf(path);
    const platform::FileInfo info = platform::fileInfo(path);
    properties.exists = info.exists();
    if (!properties.exists)
        return properties;
    switch (info.type) {
    case platform::FileType::Regular:
        properties.type = u"File"_s;
        break;
    case platform::FileType::Folder:
        properties.type = u"Folder"_s;
        break;
    case platform::FileType::Symlink:
        properties.type = u"Symbolic link"_s;
        break;
    default:
        properties.type = u"Other"_s;
        break;
    }
    properties.size = info.size;
    const auto dateText = dates == DateForm::General ? generalDateText : scanDateText;
    properties.modified = dateText(info.mtime);
    properties.readonly = info.attributes & platform::attribute::ReadOnly;
    properties.accessed = dateText(info.atime);
    properties.owner = platform::userName(info.owner);
    properties.permissions = permissionstext(info.mode);
    return properties;
}

QString permissionstext(quint32 mode) {
    QString text(9, u'-');
    const char16_t letters[3] = {u'r', u'w', u'x'};
    for (int bit = 0; bit < 9; ++bit) {
        if (mode & (0400u >> bit))
            text[bit] = letters[bit % 3];
    }
    // Set-user-id, set-group-id and sticky take the place of an x.
    const struct {
        quint32 flag;
        int at;
        char16_t withExecute;
        char16_t withoutExecute;
    } specials[] = {{04000, 2, u's', u'S'}, {02000, 5, u's', u'S'}, {01000, 8, u't', u'T'}};
    for (const auto& special : specials) {
        if (mode & special.flag)
            text[special.at] =
                text[special.at] == u'x' ? special.withExecute : special.withoutExecute;
    }
    return text + u" ("_s + QString::number(mode & 07777, 8) + u')';
}

QUrl fileUrl(const QString& path) {
    const QByteArray encoded = platform::encodeFileName(path).toPercentEncoding("/");
    return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
}

} // namespace quillfen
