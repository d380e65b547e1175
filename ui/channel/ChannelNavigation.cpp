#include "ui/channel/ChannelNavigation.h"

#include <cmath>

#include "edit/ChannelTableDocument.h"
#include "res/Strings.h"
#include "tables/text/Numbers.h"
#include "ui/app/UserServices.h"

namespace {

QString Text(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

ChannelNavigation::ChannelNavigation(const ChannelTableDocument& document, UserServices& services, QWidget& owner,
                                     std::function<void(std::int32_t)> select)
    : m_document(document), m_services(services), m_owner(owner), m_select(std::move(select))
{
}

void ChannelNavigation::GoToChannel(std::int32_t iCurrent)
{
    if (!m_document.HasTable())
        return;
    const std::int32_t iCount = m_document.CurrentCount();
    if (iCount == 0) {
        m_services.ShowMessage(&m_owner, Text(kEmptyListText), MessageIcon::Exclamation);
        return;
    }
    const QString current = iCurrent > 0 ? QString::number(iCurrent) : QString();
    const auto values = m_services.AskValues(&m_owner, {Text(kGoToChannelTitle), {{Text(kGoToChannelLabel), current}}});
    if (!values || values->empty())
        return;
    const QString typed = values->front().trimmed();
    std::int64_t iChannel = 0;
    if (!ParseInteger(typed.toStdString(), iChannel) || iChannel < 1 || iChannel > iCount) {
        m_services.ShowMessage(&m_owner, Text(kNoSuchChannelText).arg(typed).arg(iCount), MessageIcon::Exclamation);
        return;
    }
    m_select(static_cast<std::int32_t>(iChannel));
}

void ChannelNavigation::FindFrequency()
{
    if (!m_document.HasTable())
        return;
    const auto values = m_services.AskValues(&m_owner, {Text(kFindFrequencyTitle), {{Text(kFindFrequencyLabel), {}}}});
    if (!values || values->empty())
        return;
    const QString typed = values->front().trimmed();
    double dbFrequency = 0.0;
    if (!ParseDouble(typed.toStdString(), dbFrequency) || !std::isfinite(dbFrequency)) {
        m_services.ShowMessage(&m_owner, Text(kNotAFrequencyText).arg(typed), MessageIcon::Exclamation);
        return;
    }
    const std::int32_t iChannel = m_document.NearestChannel(dbFrequency);
    if (iChannel == 0) {
        m_services.ShowMessage(&m_owner, Text(kNoFrequencyInListText), MessageIcon::Exclamation);
        return;
    }
    m_select(iChannel);
}
