#include "platform/patternmatch.h"

#include <QList>

namespace quillfen::platform {
namespace {

using namespace Qt::StringLiterals;

char16_t fold(QChar c) {
    return c.toCaseFolded().unicode();
}

// Wildcard match with backtracking to the last "*": linear in practice and
// never worse than name length times pattern length.
bool wildcardMatch(QStringView name, QStringView folded) {
    qsizetype n = 0, p = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < folded.size() && folded[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < folded.size() &&
                   (folded[p] == u'?' || folded[p].unicode() == fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < folded.size() && folded[p] == u'*')
        ++p;
    return p == folded.size();
}

} // namespace

PatternMatcher::PatternMatcher(const QString& pattern) {
    for (QStringView part : QStringView(pattern).split(u';')) {
        qsizetype start = 0;
        while (start < part.size() && part[start] == u' ')
            ++start;
        Alternative alternative;
        alternative.folded = part.mid(start).toString().toCaseFolded();
        alternative.matchesAll = alternative.folded == u"*.*"_s;
        m_alternatives.push_back(std::move(alternative));
    }
}

bool PatternMatcher::matches(QStringView name) const {
    for (const Alternative& alternative : m_alternatives) {
        if (alternative.matchesAll)
            return true;
        if (!alternative.folded.isEmpty() && wildcardMatch(name, alternative.folded))
            return true;
    }
    return false;
}

bool matchSpec(QStringView name, const QString& pattern) {
    return PatternMatcher(pattern).matches(name);
}

} // namespace quillfen::platform
