#pragma once

// Candidate ordering: sorts a key array ascending and moves the entries of
// companion arrays in step. Guaranteed n log n with bounded stack depth,
// also on sorted or all-equal input (an index sort, then one in-place
// permutation of every array). Entries with equal keys end up next to each
// other in no particular order.

#include <QString>
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace quillfen {

namespace detail {

// Reorders values so that values[k] becomes the old values[order[k]].
template <typename T>
void applyOrder(std::vector<T>& values, const std::vector<std::uint32_t>& order,
                std::vector<bool>& done) {
    done.assign(order.size(), false);
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (done[start] || order[start] == start)
            continue;
        T carried = std::move(values[start]);
        std::size_t k = start;
        for (;;) {
            done[k] = true;
            const std::size_t from = order[k];
            if (from == start) {
                values[k] = std::move(carried);
                break;
            }
            values[k] = std::move(values[from]);
            k = from;
        }
    }
}

template <typename Key, typename Less, typename... Companions>
void sortWithCompanions(std::vector<Key>& keys, Less less, std::vector<Companions>&... companions) {
    const std::size_t n = keys.size();
    if (n < 2)
        return;
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), std::uint32_t(0));
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return less(keys[a], keys[b]); });
    std::vector<bool> done;
    applyOrder(keys, order, done);
    (applyOrder(companions, order, done), ...);
}

} // namespace detail

// Sorts sizes ascending; paths (same length) follow their sizes.
template <typename Size, typename Path>
void quicksortsizes(std::vector<Size>& sizes, std::vector<Path>& paths) {
    detail::sortWithCompanions(sizes, std::less<Size>(), paths);
}

// Sorts folders ascending by character codes (capitals before small letters,
// a text before a longer one that begins with it); the four companion arrays
// (file names, sizes in MB, sizes in bytes, dates) follow.
template <typename C1, typename C2, typename C3, typename C4>
void QuickSortpath(std::vector<QString>& folders, std::vector<C1>& c1, std::vector<C2>& c2,
                   std::vector<C3>& c3, std::vector<C4>& c4) {
    detail::sortWithCompanions(
        folders, [](const QString& a, const QString& b) { return QString::compare(a, b) < 0; }, c1,
        c2, c3, c4);
}

} // namespace quillfen
