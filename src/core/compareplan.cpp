#include "core/compareplan.h"

namespace quillfen {

namespace {
constexpr ComparePass allPasses[] = {ComparePass::NoComparison, ComparePass::Fuzzy,
                                     ComparePass::Crc, ComparePass::Bytewise};

QChar codeOf(ComparePass pass) {
    return QChar(u'1' + char16_t(pass));
}
} // namespace

ComparePlan::ComparePlan(std::initializer_list<ComparePass> passes) {
    for (ComparePass pass : passes)
        add(pass);
}

ComparePlan ComparePlan::fromCodes(QStringView codes) {
    ComparePlan plan;
    for (ComparePass pass : allPasses) {
        if (codes.contains(codeOf(pass)))
            plan.add(pass);
    }
    return plan;
}

QString ComparePlan::codes() const {
    QString text;
    for (ComparePass pass : allPasses) {
        if (contains(pass))
            text += codeOf(pass);
    }
    return text;
}

int ComparePlan::size() const {
    int count = 0;
    for (ComparePass pass : allPasses)
        count += contains(pass) ? 1 : 0;
    return count;
}

std::optional<ComparePass> ComparePlan::first() const {
    for (ComparePass pass : allPasses) {
        if (contains(pass))
            return pass;
    }
    return std::nullopt;
}

} // namespace quillfen
