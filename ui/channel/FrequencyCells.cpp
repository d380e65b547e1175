#include "ui/channel/FrequencyCells.h"

#include "edit/ChannelTableDocument.h"
#include "ui/dialog/ListView.h"
#include "ui/dialog/TextNumbers.h"

FrequencyCells::FrequencyCells(ChannelTableDocument& document, ListView& list, int column)
    : m_document(document), m_list(list)
{
    m_list.SetEditableColumn(
        column, [this](int row) { return Text(row); },
        [this](int row, const QString& text) { return Commit(row, text); });
}

void FrequencyCells::EditCurrent()
{
    int row = m_list.currentIndex().row();
    if (row < 0)
        row = m_list.GetNextSelected(-1);
    m_list.EditCell(row < 0 ? 0 : row);
}

QString FrequencyCells::Text(int row) const
{
    return FrequencyFieldText(m_document.Frequency(row + 1));
}

bool FrequencyCells::Commit(int row, const QString& text)
{
    if (!m_document.HasTable() || text.trimmed().isEmpty())
        return false;
    const std::int32_t iChannel = row + 1;
    const double dbFrequency = TextToDouble(text);
    if (dbFrequency == m_document.Frequency(iChannel))
        return false;
    return m_document.EditFrequency(iChannel, dbFrequency);
}
