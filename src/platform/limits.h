#pragma once

// The open-file limit of the process. Comparing a long run of equal sizes
// reads many files side by side, so the program asks for all the descriptors
// it may have, and the comparison keeps to what is left.

#include <QtGlobal>

namespace quillfen::platform {

// Raises the soft limit of open files to the hard limit. Call once at
// start-up; failing leaves the limit as it was.
void raiseOpenFileLimit();

// Blocks of memory from 4 MB up are given back to the system as soon as
// they are freed. A list that grows by doubling leaves its old blocks
// behind, and the allocator would otherwise keep them (a second copy of the
// largest list at the peak). Smaller blocks, such as the read buffers a
// pass takes run after run, stay with the allocator for reuse. Call once at
// start-up.
void returnLargeBlocks();

// How many more files the process may open now: the soft limit less the
// descriptors already open (never below 0).
qint64 openFilesLeft();

// Whether an open failed for want of descriptors (the process's or the
// system's), not because of the file: worth trying again once some are freed.
bool outOfDescriptors(int error);

} // namespace quillfen::platform
