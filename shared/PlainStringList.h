// SPDX-License-Identifier: MIT
#pragma once

#include "shared/StringList.h"

#include <string>
#include <vector>

// Keeps every text in the order it was added, duplicates included.
class PlainStringList : public StringList {
public:
    PlainStringList() = default;

    int Count() const override;
    void Add(const std::string& text) override;

    const std::string& operator[](int index) const;
    const std::vector<std::string>& Items() const { return items_; }

private:
    std::vector<std::string> items_;
};
