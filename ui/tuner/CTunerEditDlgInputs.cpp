// Between the tuner editor's list and its inputs: an entry copied into the
// inputs, the inputs replacing the entry of their key, and a shipped tuner's
// bands filled in. The combo boxes' own handlers are left as they are: a
// choice in them fills nothing by itself.
#include "ui/tuner/CTunerEditDlg.h"

#include "res/resource.h"
#include "tables/text/Numbers.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/ListView.h"

namespace {

// A value as the person would type it, read back by "Add Info" to the same
// double: the shortest exact form ("44", "140.25", "38.9375").
QString FrequencyText(double dbMhz)
{
    return QString::fromStdString(FormatDouble(dbMhz));
}

// Four hexadecimal digits, as "Add Info" asks for.
QString CodeText(std::uint16_t wCode)
{
    return QString::asprintf("%04X", static_cast<unsigned>(wCode));
}

int IndexOfCode(const CDialog& dialog, int comboId, std::int32_t iCode)
{
    for (int i = 0; i < dialog.ComboGetCount(comboId); ++i) {
        if (dialog.ComboGetItemData(comboId, i) == iCode)
            return i;
    }
    return -1;
}

} // namespace

std::optional<TunerSpecEntry> CTunerEditDlg::SelectedEntry() const
{
    return m_document.EntryAt(GetListView(IDC_LIST_TUNERS)->GetNextSelected(-1));
}

bool CTunerEditDlg::HasSelectedEntry() const
{
    const int row = GetListView(IDC_LIST_TUNERS)->GetNextSelected(-1);
    return m_document.HasTable() && row >= 0 && row < m_document.Table()->Entries().size();
}

const ShippedTuner* CTunerEditDlg::ChosenShippedTuner() const
{
    const int iFactoryIndex = ComboGetCurSel(IDC_COMBO_FACTORY);
    const int iTypeIndex = ComboGetCurSel(IDC_COMBO_TUNER_TYPE);
    if (iFactoryIndex < 0 || iTypeIndex < 0)
        return nullptr;
    return FindShippedTuner(ComboGetLBText(IDC_COMBO_FACTORY, iFactoryIndex).toStdString(),
                            ComboGetLBText(IDC_COMBO_TUNER_TYPE, iTypeIndex).toStdString());
}

void CTunerEditDlg::ChooseCodes(std::int32_t iFactory, std::int32_t iTunerType)
{
    const int iFactoryIndex = IndexOfCode(*this, IDC_COMBO_FACTORY, iFactory);
    ComboSetCurSel(IDC_COMBO_FACTORY, iFactoryIndex);
    if (iFactoryIndex >= 0)
        FillTunerTypes(iFactory);
    // A factory the catalogue does not list has no tuner types to choose from.
    ComboSetCurSel(IDC_COMBO_TUNER_TYPE,
                   iFactoryIndex >= 0 ? IndexOfCode(*this, IDC_COMBO_TUNER_TYPE, iTunerType) : -1);
}

void CTunerEditDlg::SetInputTexts(const InputTexts& values)
{
    SetDlgItemText(IDC_EDIT_LOW_BAND_START, FrequencyText(values.dbLowBandStart));
    SetDlgItemText(IDC_EDIT_MID_BAND_START, FrequencyText(values.dbMidBandStart));
    SetDlgItemText(IDC_EDIT_HIGH_BAND_START, FrequencyText(values.dbHighBandStart));
    SetDlgItemText(IDC_EDIT_HIGH_BAND_END, FrequencyText(values.dbHighBandEnd));
    SetDlgItemText(IDC_EDIT_LOW_CODE, CodeText(values.wLowCode));
    SetDlgItemText(IDC_EDIT_MID_CODE, CodeText(values.wMidCode));
    SetDlgItemText(IDC_EDIT_HIGH_CODE, CodeText(values.wHighCode));
    SetDlgItemText(IDC_EDIT_PICTURE_CARRIER, FrequencyText(values.dbPictureCarrier));
    // No second carrier (0) is an empty field, which "Add Info" stores as 0.
    SetDlgItemText(IDC_EDIT_PICTURE_CARRIER2,
                   values.dbPictureCarrier2 == 0.0 ? QString() : FrequencyText(values.dbPictureCarrier2));
}

void CTunerEditDlg::OnCopyToInputs()
{
    const std::optional<TunerSpecEntry> entry = SelectedEntry();
    if (!entry)
        return;
    ChooseCodes(entry->iFactory(), entry->iTunerType());
    SetInputTexts({entry->dbLowBandStart(), entry->dbMidBandStart(), entry->dbHighBandStart(), entry->dbHighBandEnd(),
                   entry->wLowCode(), entry->wMidCode(), entry->wHighCode(), entry->dbPictureCarrier(),
                   entry->dbPictureCarrier2()});
}

void CTunerEditDlg::OnReplaceEntry()
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.HasTable())
        return;
    // As "Add Info": without a factory and a tuner type chosen, nothing is said.
    const std::optional<TunerInput> input = ReadInputs();
    if (!input)
        return;
    const ReplaceEntryOutcome outcome = m_document.ReplaceEntry(*input);
    if (!outcome.message.empty()) {
        Services().ShowMessage(this, QString::fromStdString(outcome.message), MessageIcon::Exclamation);
        return;
    }
    if (outcome.entry)
        ShowEntry(*outcome.entry);
}

void CTunerEditDlg::OnFillFromTunerData()
{
    const ShippedTuner* pTuner = ChosenShippedTuner();
    if (!pTuner)
        return;
    SetInputTexts({pTuner->dbLowBandStart, pTuner->dbMidBandStart, pTuner->dbHighBandStart, pTuner->dbHighBandEnd,
                   pTuner->wLowCode, pTuner->wMidCode, pTuner->wHighCode, pTuner->dbPictureCarrier, 0.0});
}
