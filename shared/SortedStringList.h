// SPDX-License-Identifier: MIT
#pragma once

#include "shared/StringList.h"

#include <string>
#include <vector>

// Keeps texts in byte order and silently refuses one it already holds. Byte
// order and exact comparison, because Linux file names differ by case.
class SortedStringList : public StringList {
public:
    SortedStringList() = default;

    int Count() const override;
    void Add(const std::string& text) override;

    const std::string& operator[](int index) const;
    const std::vector<std::string>& Items() const { return items_; }

private:
    std::vector<std::string> items_;
};
