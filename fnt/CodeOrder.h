// Sorting by 16-bit character code in linear time, for fonts with many
// glyphs: a big font's mapped codes come in no order, and a comparison sort
// of tens of thousands of them costs more than counting them.
#pragma once

#include <QtGlobal>

#include <algorithm>
#include <vector>

namespace fnt {

// Below this many items a comparison sort is quicker than clearing the
// 65,536 counters.
constexpr qsizetype kCountingSortFrom = 4096;

// Sorts `items` by `codeOf(item)`, keeping the order of equal codes. An
// item's own operator< must give that same order (by code, then by where it
// stood), so that few items can take the quicker comparison sort.
template<class Container, class CodeOf>
void sortByCode(Container &items, CodeOf codeOf)
{
    using Item = typename Container::value_type;
    const qsizetype count = qsizetype(items.size());
    if (count < kCountingSortFrom) {
        std::sort(items.begin(), items.end());
        return;
    }
    std::vector<quint32> start(0x10000 + 1, 0);
    for (const Item &item : std::as_const(items))
        ++start[size_t(codeOf(item)) + 1];
    for (size_t code = 1; code < start.size(); ++code)
        start[code] += start[code - 1];
    std::vector<Item> sorted(static_cast<size_t>(count));
    for (const Item &item : std::as_const(items))
        sorted[start[codeOf(item)]++] = item;
    std::copy(sorted.begin(), sorted.end(), items.begin());
}

} // namespace fnt
