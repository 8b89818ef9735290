#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace quillfen::platform {

// File-name patterns as the scan understands them: case-insensitive, "*"
// matches any run of characters and "?" exactly one, leading blanks are
// ignored, a pattern holding ";" matches when any of its parts matches, and
// "*.*" matches every name, with or without a dot. An empty part matches
// nothing. Built once per walk so that matching a name allocates nothing.
class PatternMatcher {
public:
    explicit PatternMatcher(const QString& pattern);
    bool matches(QStringView name) const;

private:
    struct Alternative {
        QString folded; // case-folded pattern text without leading blanks
        bool matchesAll = false;
    };
    std::vector<Alternative> m_alternatives;
};

bool matchSpec(QStringView name, const QString& pattern);

} // namespace quillfen::platform
