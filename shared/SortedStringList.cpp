// SPDX-License-Identifier: MIT
#include "shared/SortedStringList.h"

#include <algorithm>

int SortedStringList::Count() const
{
    return static_cast<int>(items_.size());
}

void SortedStringList::Add(const std::string& text)
{
    const auto at = std::lower_bound(items_.begin(), items_.end(), text);
    if (at != items_.end() && *at == text)
        return;
    items_.insert(at, text);
}

const std::string& SortedStringList::operator[](int index) const
{
    return items_.at(static_cast<size_t>(index));
}
