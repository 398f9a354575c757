// SPDX-License-Identifier: MIT
#include "shared/PlainStringList.h"

int PlainStringList::Count() const
{
    return static_cast<int>(items_.size());
}

void PlainStringList::Add(const std::string& text)
{
    items_.push_back(text);
}

const std::string& PlainStringList::operator[](int index) const
{
    return items_.at(static_cast<size_t>(index));
}
