#include "ui/channel/ChannelDisplays.h"

#include "edit/ChannelTableDocument.h"
#include "res/resource.h"
#include "tables/catalogue/CountryCatalogue.h"

QString ModeText(std::int32_t iMode)
{
    if (iMode == ChannelModeAir)
        return QStringLiteral("Antenna");
    if (iMode == ChannelModeCable)
        return QStringLiteral("Cable");
    return QStringLiteral("Unknow");
}

// Every name of the country catalogue, the mode texts, codes and channel
// numbers at their widest.
DisplayTexts ChannelDisplayTexts()
{
    DisplayTexts texts;
    std::vector<QString>& countries = texts[IDC_STATIC_COUNTRY];
    for (const CountryEntry& country : CountryCatalogue)
        countries.push_back(QString::fromLatin1(country.pszName));
    std::vector<QString>& tvSystems = texts[IDC_STATIC_TV_SYSTEM];
    for (const TvSystemEntry& tvSystem : TvSystemTable)
        tvSystems.push_back(QString::fromLatin1(tvSystem.pszName));
    for (int id : {IDC_STATIC_COUNTRY, IDC_STATIC_TV_SYSTEM})
        texts[id].push_back(QString::fromLatin1(kUnknownCountryText));
    texts[IDC_STATIC_MODE] = {ModeText(ChannelModeAir), ModeText(ChannelModeCable), ModeText(-1)};
    // A loaded code is any 32-bit number; channel numbers and ranges stay below 65,537.
    texts[IDC_STATIC_COUNTRY_CODE] = TextsInEveryDigit(QStringLiteral("-##########"));
    for (int id : {IDC_STATIC_CHANNEL_NUMBER, IDC_STATIC_AIR_MIN, IDC_STATIC_AIR_MAX, IDC_STATIC_CABLE_MIN,
                   IDC_STATIC_CABLE_MAX})
        texts[id] = TextsInEveryDigit(QStringLiteral("#####"));
    return texts;
}

std::optional<QString> ListSummaryText(const ChannelTableDocument& document)
{
    const std::int32_t iMode = document.Mode();
    if (iMode != ChannelModeAir && iMode != ChannelModeCable)
        return std::nullopt;
    const ChannelRange range = document.Range(iMode);
    const std::int32_t count = document.CurrentCount();
    return QStringLiteral("%1: %2 %3, %4–%5")
        .arg(ModeText(iMode))
        .arg(count)
        .arg(count == 1 ? QStringLiteral("channel") : QStringLiteral("channels"))
        .arg(range.iMin)
        .arg(range.iMax);
}
