#include "results/keeprules.h"

#include <QSet>
#include <algorithm>

namespace quillfen {

bool keepworking(const std::vector<KeepRule>& rules, AssistantWorking& working) {
    working = AssistantWorking();
    std::vector<KeepCriterion> order;
    const auto add = [&order](KeepCriterion criterion) {
        for (KeepCriterion taken : order) {
            if (taken == criterion)
                return false;
        }
        order.push_back(criterion);
        return true;
    };
    for (KeepRule rule : rules) {
        bool added = false;
        switch (rule) {
        case KeepRule::Oldest:
        case KeepRule::Newest:
            working.keepnewest = rule == KeepRule::Newest;
            added = add(KeepCriterion::Date);
            break;
        case KeepRule::ShortestName:
        case KeepRule::LongestName:
            working.keeplongestname = rule == KeepRule::LongestName;
            added = add(KeepCriterion::NameLength);
            break;
        case KeepRule::ShortestFolder:
        case KeepRule::LongestFolder:
            working.keeplongestfolder = rule == KeepRule::LongestFolder;
            added = add(KeepCriterion::FolderLength);
            break;
        }
        if (!added)
            return false;
    }
    for (KeepCriterion criterion :
         {KeepCriterion::Date, KeepCriterion::NameLength, KeepCriterion::FolderLength})
        add(criterion);
    for (int level = 0; level < 3; ++level)
        working.levels[level] = order[size_t(level)];
    return true;
}

ResultList duplicategroups(ResultList list) {
    ResultList groups;
    ResultList group;
    RowColour colour = RowColour::Blue;
    QSet<platform::FileIdentity> seen;
    const auto close = [&] {
        // One file reached under two names is no copy of itself: acting on
        // one name would take the only copy away from the other.
        seen.clear();
        const auto again = [&seen](const ResultEntry& row) {
            if (row.id == platform::FileIdentity())
                return false;
            const qsizetype before = seen.size();
            seen.insert(row.id);
            return seen.size() == before;
        };
        group.erase(std::remove_if(group.begin(), group.end(), again), group.end());
        if (group.size() >= 2) {
            if (!groups.empty())
                groups.push_back(ResultEntry::separator());
            for (ResultEntry& row : group) {
                row.colour = colour;
                groups.push_back(std::move(row));
            }
            colour = colour == RowColour::Blue ? RowColour::Black : RowColour::Blue;
        }
        group.clear();
    };
    for (ResultEntry& row : list) {
        if (row.isSeparator()) {
            close();
            continue;
        }
        if (row.size < 0)
            continue;
        if (!group.empty() && group.front().size != row.size)
            close();
        group.push_back(std::move(row));
        group.back().subgroupstart = false;
    }
    close();
    return groups;
}

void selectallbutkept(ResultList& list, const AssistantWorking& working) {
    for (ResultEntry& row : list)
        row.checked = !row.isSeparator();
    assistantkeep(list, working);
    // The keep phase keeps one file of every group whose files are all
    // checked; should a group still be all checked, its first file stays.
    size_t first = 0;
    bool kept = false;
    for (size_t row = 0; row <= list.size(); ++row) {
        if (row == list.size() || list[row].isSeparator()) {
            if (!kept && first < row)
                list[first].checked = false;
            first = row + 1;
            kept = false;
        } else if (!list[row].checked) {
            kept = true;
        }
    }
}

} // namespace quillfen
