#pragma once
// Edit > Go to Channel... and Edit > Find Frequency... of the channel table
// editor, as a part of its own: each asks for a channel number or a frequency
// and selects the row, as a click on it would; a number or frequency the list
// has not is said, and nothing is selected.

#include <cstdint>
#include <functional>

class ChannelTableDocument;
class QWidget;
class UserServices;

class ChannelNavigation
{
public:
    // select selects the channel's row alone and shows the channel.
    ChannelNavigation(const ChannelTableDocument& document, UserServices& services, QWidget& owner,
                      std::function<void(std::int32_t)> select);

    // iCurrent, the channel "Save value" writes (0 for none), is offered first.
    void GoToChannel(std::int32_t iCurrent);
    // The channel nearest the frequency typed.
    void FindFrequency();

private:
    const ChannelTableDocument& m_document;
    UserServices& m_services;
    QWidget& m_owner;
    std::function<void(std::int32_t)> m_select;
};
