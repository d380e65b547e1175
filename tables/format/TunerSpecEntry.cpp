#include "tables/format/TunerSpecEntry.h"

#include "tables/format/ByteOrder.h"

namespace {

constexpr std::size_t kOffFactory = 0;
constexpr std::size_t kOffTunerType = 4;
constexpr std::size_t kOffLowBandStart = 8;
constexpr std::size_t kOffMidBandStart = 16;
constexpr std::size_t kOffHighBandStart = 24;
constexpr std::size_t kOffHighBandEnd = 32;
constexpr std::size_t kOffPictureCarrier = 40;
constexpr std::size_t kOffPictureCarrier2 = 48;
constexpr std::size_t kOffLowCode = 56;
constexpr std::size_t kOffMidCode = 58;
constexpr std::size_t kOffHighCode = 60;
constexpr std::size_t kOffReserved = 62;

} // namespace

std::int32_t TunerSpecEntry::iFactory() const
{
    return le::ReadI32(bytes + kOffFactory);
}
std::int32_t TunerSpecEntry::iTunerType() const
{
    return le::ReadI32(bytes + kOffTunerType);
}
double TunerSpecEntry::dbLowBandStart() const
{
    return le::ReadF64(bytes + kOffLowBandStart);
}
double TunerSpecEntry::dbMidBandStart() const
{
    return le::ReadF64(bytes + kOffMidBandStart);
}
double TunerSpecEntry::dbHighBandStart() const
{
    return le::ReadF64(bytes + kOffHighBandStart);
}
double TunerSpecEntry::dbHighBandEnd() const
{
    return le::ReadF64(bytes + kOffHighBandEnd);
}
double TunerSpecEntry::dbPictureCarrier() const
{
    return le::ReadF64(bytes + kOffPictureCarrier);
}
double TunerSpecEntry::dbPictureCarrier2() const
{
    return le::ReadF64(bytes + kOffPictureCarrier2);
}
std::uint16_t TunerSpecEntry::wLowCode() const
{
    return le::ReadU16(bytes + kOffLowCode);
}
std::uint16_t TunerSpecEntry::wMidCode() const
{
    return le::ReadU16(bytes + kOffMidCode);
}
std::uint16_t TunerSpecEntry::wHighCode() const
{
    return le::ReadU16(bytes + kOffHighCode);
}
std::uint16_t TunerSpecEntry::wReserved() const
{
    return le::ReadU16(bytes + kOffReserved);
}

void TunerSpecEntry::SetFactory(std::int32_t i)
{
    le::WriteI32(bytes + kOffFactory, i);
}
void TunerSpecEntry::SetTunerType(std::int32_t i)
{
    le::WriteI32(bytes + kOffTunerType, i);
}
void TunerSpecEntry::SetLowBandStart(double db)
{
    le::WriteF64(bytes + kOffLowBandStart, db);
}
void TunerSpecEntry::SetMidBandStart(double db)
{
    le::WriteF64(bytes + kOffMidBandStart, db);
}
void TunerSpecEntry::SetHighBandStart(double db)
{
    le::WriteF64(bytes + kOffHighBandStart, db);
}
void TunerSpecEntry::SetHighBandEnd(double db)
{
    le::WriteF64(bytes + kOffHighBandEnd, db);
}
void TunerSpecEntry::SetPictureCarrier(double db)
{
    le::WriteF64(bytes + kOffPictureCarrier, db);
}
void TunerSpecEntry::SetPictureCarrier2(double db)
{
    le::WriteF64(bytes + kOffPictureCarrier2, db);
}
void TunerSpecEntry::SetLowCode(std::uint16_t w)
{
    le::WriteU16(bytes + kOffLowCode, w);
}
void TunerSpecEntry::SetMidCode(std::uint16_t w)
{
    le::WriteU16(bytes + kOffMidCode, w);
}
void TunerSpecEntry::SetHighCode(std::uint16_t w)
{
    le::WriteU16(bytes + kOffHighCode, w);
}
void TunerSpecEntry::SetReserved(std::uint16_t w)
{
    le::WriteU16(bytes + kOffReserved, w);
}

std::int32_t TunerSortKey(const TunerSpecEntry& entry)
{
    const std::int64_t iType = entry.iTunerType();
    const std::uint32_t uLow = static_cast<std::uint32_t>(entry.iTunerType()) & 0xFu;
    // (iType - low nibble) is a multiple of 16, so the division is the
    // sign-keeping shift without relying on how >> treats negative values.
    const std::int64_t iHigh = (iType - uLow) / 16;
    const std::int64_t iSum = entry.iFactory() + 10 * iHigh + 100 * static_cast<std::int64_t>(uLow);
    const std::uint32_t uWrapped = static_cast<std::uint32_t>(iSum);
    return uWrapped <= 0x7FFFFFFFu ? static_cast<std::int32_t>(uWrapped)
                                   : static_cast<std::int32_t>(static_cast<std::int64_t>(uWrapped) - 0x100000000LL);
}
