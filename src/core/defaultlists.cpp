#include "core/defaultlists.h"

#include <QSet>

namespace quillfen {

using namespace Qt::StringLiterals;

QStringList defaultSkipFolders(const SystemFacts& system) {
    QStringList folders;
    QSet<QString> seen;
    const auto add = [&](const QString& folder) {
        if (folder.isEmpty() || seen.contains(folder))
            return;
        seen.insert(folder);
        folders << folder;
    };

    // The trash and recovery folders of every fixed local file system.
    const QString uid = QString::number(system.uid);
    for (const platform::Drive& drive : system.drives) {
        if (!drive.fixed)
            continue;
        QString root = drive.root;
        if (!root.endsWith(u'/'))
            root += u'/';
        add(root + u".Trash-"_s + uid + u'/');
        add(root + u".Trash/"_s);
        add(root + u"lost+found/"_s);
    }

    const QString home = system.home();
    QString datahome = system.folderVariable(u"XDG_DATA_HOME"_s);
    if (datahome.isEmpty() && !home.isEmpty())
        datahome = home + u".local/share/"_s;
    if (!datahome.isEmpty())
        add(datahome + u"Trash/"_s);

    // Trees that a scan of "/" must never enter or delete from.
    for (const QString& tree : {u"/proc/"_s, u"/sys/"_s, u"/dev/"_s, u"/run/"_s, u"/boot/"_s,
                                u"/usr/"_s, u"/etc/"_s, u"/var/"_s, u"/snap/"_s, u"/tmp/"_s})
        add(tree);
    QString cache = system.folderVariable(u"XDG_CACHE_HOME"_s);
    if (cache.isEmpty() && !home.isEmpty())
        cache = home + u".cache/"_s;
    // A variable may name the home folder or one above it; skipping that
    // would silently keep every file of the user out of a scan.
    for (const QString& folder :
         {cache, system.folderVariable(u"TMPDIR"_s), system.folderVariable(u"XDG_RUNTIME_DIR"_s)}) {
        if (home.isEmpty() || !home.startsWith(folder))
            add(folder);
    }

    // "/" and the like would exclude everything.
    folders.removeIf([](const QString& folder) { return folder.count(u'/') < 2; });
    return folders;
}

void defaultskip(AppState& state, const SystemFacts& system) {
    std::vector<CheckedEntry> list;
    for (const QString& folder : defaultSkipFolders(system))
        list.push_back(CheckedEntry{folder, true, true});
    state.settings.skipfolderlist = std::move(list);

    if (state.scanpaths.drivelist.empty()) {
        for (const platform::Drive& drive : system.drives)
            state.scanpaths.drivelist.push_back(DriveRow{drive, false});
    }
}

void defaultskip(AppState& state) {
    defaultskip(state, SystemFacts::current());
}

void defaultextskip(AppState& state) {
    static const char16_t* const extensions[] = {u"dll", u"exe", u"cpl", u"cfg", u"sys", u"ini",
                                                 u"inf", u"tlb", u"ocx", u"oca", u"msc",
                                                 u"manifest", u"h", u"cpp", u"drv", u"tif",
                                                 // Their counterparts among Linux program files.
                                                 u"so", u"o", u"a", u"ko", u"pyc"};
    std::vector<CheckedEntry> list;
    for (const char16_t* extension : extensions)
        list.push_back(CheckedEntry{QString::fromUtf16(extension), true, true});
    state.settings.skipextlist = std::move(list);
}

void addpats(AppState& state) {
    static const struct {
        const char16_t* name;
        const char16_t* patterns;
    } presets[] = {
        {u"All files", u"*.*"},
        {u"Compressed Files",
         u"*.7z; *.deb; *.gz; *.pkg; *.rar; *.sit; *.sitx; *.tar.gz; *.zip; *.zipx"},
        {u"Music Files",
         u"*.aac; *.aif; *.iff; *.m3u; *.mid; *.mp3; *.mpa; *.ra; *.wav; *.wma; *.flac; *.ogg"},
        {u"Video Files", u"*.3g2; *.3gp; *.asf; *.asx; *.avi; *.divx; *.flv; *.mov; *.mkv; "
                         u"*.mp4; *.mpg; *.mpeg; *.rm; *.swf; *.vob; *.wmv"},
        {u"Picture files", u"*.bmp; *.gif; *.jpg; *.png; *.psd; *.psp; *.thm; *.tif; *.ai; "
                           u"*.drw; *.wps; *.ps; *.svg; *.3dm; *.dwg; *.dxf; *.pln"},
        {u"Text Files", u"*.doc; *.docx; *.log; *.msg; *.pages; *.rtf; *.txt; *.wpd; *.wps"},
        {u"Data Files", u"*.accdb; *.blg; *.csv; *.dat; *.db; *.efx; *.mdb; *.pdb; *.pps; "
                        u"*.ppt; *.pptx; *.sdf; *.sql; *.vcf; *.wks; *.xls; *.xlsx; *.xml"},
        {u"Page Layout Files", u"*.indd; *.pct; *.pdf; *.qxd; *.qxp; *.rels"},
        {u"Web Files",
         u"*.asp; *.cer; *.csr; *.css; *.*htm*; *.js; *.jsp; *.php; *.rss; *.tvpi; *.tvvi"},
        {u"Font Files", u"*.fnt; *.fon; *.otf; *.ttf"},
        {u"Backup Files", u"*.bak; *.bup; *.gho; *.ori; *.tmp"},
        {u"Disk Files", u"*.dmg; *.iso; *.toast; *.vcd"},
    };
    for (const auto& preset : presets)
        state.settings.patternlists.push_back(
            PatternListEntry{QString::fromUtf16(preset.name), QString::fromUtf16(preset.patterns)});
}

} // namespace quillfen
