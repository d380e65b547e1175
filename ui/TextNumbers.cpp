#include "TextNumbers.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <locale.h>

namespace {

locale_t ClassicLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

double TextToDouble(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return strtod_l(bytes.constData(), nullptr, ClassicLocale());
}

std::int32_t TextToLong(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    // strtol, unlike atol, defines its result on overflow: the nearest end of long.
    const long value = strtol_l(bytes.constData(), nullptr, 10, ClassicLocale());
    return static_cast<std::int32_t>(std::clamp<long>(value, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
}
