#pragma once

// Which file of each duplicate group is kept when the selection is made
// without the assistant's dialog (quillfen-cli): keep rules in priority
// order, run through the assistant's keep phase.

#include "core/resultlist.h"
#include "results/assistant.h"

#include <vector>

namespace quillfen {

enum class KeepRule { Oldest, Newest, ShortestName, LongestName, ShortestFolder, LongestFolder };

// The assistant's keep values for rules given in priority order: their
// criteria first, then those they leave out in the assistant's default order
// and choice (oldest, shortest name, shortest folder). No filter rule is on.
// False when two rules rank by the same criterion (oldest and newest, say).
bool keepworking(const std::vector<KeepRule>& rules, AssistantWorking& working);

// The duplicate groups of a result list as a list of their own: runs of rows
// between separator rows, split where the size changes; a row without a size
// (its file vanished) is left out, and so is a second row of a file already
// in the group (same device and inode); only groups of two or more files
// remain, one separator row between them, each group in one colour.
ResultList duplicategroups(ResultList list);

// Checks every file of a duplicategroups() list except the one of each group
// that the keep phase picks; every group keeps one file.
void selectallbutkept(ResultList& list, const AssistantWorking& working);

} // namespace quillfen
