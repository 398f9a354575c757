// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// The little a file search needs of a list of texts: how many it holds, and a
// way to add one. Whether the list keeps order, sorts or refuses duplicates is
// the owner's choice, which is why a search reports the growth of Count().
class StringList {
public:
    virtual ~StringList() = default;
    virtual int Count() const = 0;
    virtual void Add(const std::string& text) = 0;
};
