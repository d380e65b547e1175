#pragma once
// What the channel editor's parts need of its list: the selected channels
// (1-based, ascending), the current row's channel (0 for none), showing the
// channels a command left selected (the range and the list shown again,
// those rows selected), and a note in the status line.

#include <cstdint>
#include <functional>
#include <vector>

#include <QString>

struct ChannelListAccess
{
    std::function<std::vector<std::int32_t>()> selected;
    std::function<std::int32_t()> current;
    std::function<void(const std::vector<std::int32_t>&)> showSelected;
    std::function<void(const QString&)> note;
};
