#include "ui/dialog/TextNumbers.h"

#include "tables/text/TypedNumbers.h"

namespace {

// Anything outside ASCII ends a number like any other character that does not
// fit, so the UTF-8 bytes can be read as they are.
std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

QString FrequencyFieldText(double dbFrequency)
{
    return dbFrequency > 0.0 ? QString::asprintf("%.5f", dbFrequency) : QString();
}

QString ListFrequencyText(double dbFrequency)
{
    // Not greater than 0 covers empty slots, negative values and NaN alike.
    return dbFrequency > 0.0 ? FrequencyFieldText(dbFrequency) : QStringLiteral("--");
}

double TextToDouble(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return ReadTypedDecimal(View(bytes));
}

std::int32_t TextToLong(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return ReadTypedInteger(View(bytes));
}
