#pragma once

// Which passes a comparison run makes. The passes always run in one order:
// fuzzy, then CRC, then bytewise; "no comparison" ends the run before any of
// them. The digit codes ("1" no comparison, "2" fuzzy, "3" CRC, "4"
// bytewise) are text only where a user types or reads them.

#include <QString>
#include <QStringView>
#include <initializer_list>
#include <optional>

namespace quillfen {

// In run order.
enum class ComparePass { NoComparison, Fuzzy, Crc, Bytewise };

class ComparePlan {
public:
    ComparePlan() = default;
    ComparePlan(std::initializer_list<ComparePass> passes);

    // The passes whose codes a text holds; other characters are ignored.
    static ComparePlan fromCodes(QStringView codes);
    // The codes of the passes, in run order ("" for an empty plan).
    QString codes() const;

    bool contains(ComparePass pass) const { return (m_passes & bit(pass)) != 0; }
    void add(ComparePass pass) { m_passes |= bit(pass); }
    void remove(ComparePass pass) { m_passes &= ~bit(pass); }
    bool isEmpty() const { return m_passes == 0; }
    int size() const;
    // The pass that runs first; none for an empty plan.
    std::optional<ComparePass> first() const;
    // Whether CRC or bytewise is planned: passes that read whole files, whose
    // matches are definite duplicates.
    bool readsWholeFiles() const {
        return contains(ComparePass::Crc) || contains(ComparePass::Bytewise);
    }

    friend bool operator==(const ComparePlan&, const ComparePlan&) = default;

private:
    static unsigned bit(ComparePass pass) { return 1u << unsigned(pass); }
    unsigned m_passes = 0;
};

} // namespace quillfen
