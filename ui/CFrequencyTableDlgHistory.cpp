// Undo and redo in the channel table editor: the displays put back with each
// step. The commands, their items and keys are the editor's registry's.
#include "CFrequencyTableDlg.h"

#include "ListView.h"
#include "resource.h"

namespace {

// The displays a command may change, in the order a view image holds them.
constexpr int kShownTexts[] = {
    IDC_STATIC_MODE,    IDC_STATIC_CHANNEL_NUMBER, IDC_STATIC_COUNTRY_CODE, IDC_STATIC_COUNTRY,   IDC_STATIC_TV_SYSTEM,
    IDC_STATIC_AIR_MIN, IDC_STATIC_AIR_MAX,        IDC_STATIC_CABLE_MIN,    IDC_STATIC_CABLE_MAX,
};
// The table and channel controls, which the first table enables.
constexpr int kSwitchedControls[] = {
    IDC_COMBO_MODE, IDC_EDIT_COUNTRY_CODE, IDC_BUTTON_ENTER,      IDC_EDIT_FREQUENCY,
    IDC_BUTTON_ADD, IDC_BUTTON_RESET,      IDC_BUTTON_SAVE_VALUE,
};
constexpr std::size_t kViewSize = std::size(kShownTexts) + std::size(kSwitchedControls) + 1;

} // namespace

void CFrequencyTableDlg::InitHistory()
{
    m_document.SetViewCapture([this] { return CaptureView(); });
}

ViewImage CFrequencyTableDlg::CaptureView() const
{
    ViewImage view;
    view.reserve(kViewSize);
    for (int id : kShownTexts)
        view.push_back(GetDlgItemText(id).toStdString());
    for (int id : kSwitchedControls)
        view.push_back(IsDlgItemEnabled(id) ? "1" : "0");
    view.push_back(std::to_string(ComboGetCurSel(IDC_COMBO_MODE)));
    return view;
}

void CFrequencyTableDlg::ShowHistoryState(const ViewImage& view)
{
    if (view.size() == kViewSize) {
        std::size_t i = 0;
        for (int id : kShownTexts)
            SetDlgItemText(id, QString::fromStdString(view[i++]));
        for (int id : kSwitchedControls)
            EnableDlgItem(id, view[i++] == "1");
        ComboSetCurSel(IDC_COMBO_MODE, std::stoi(view[i]));
    }
    if (m_document.HasTable())
        RefreshList();
    else
        GetListView(IDC_LIST_CHANNELS)->SetRows(0, [](int, int) { return QString(); });
}

void CFrequencyTableDlg::OnUndo()
{
    if (const std::optional<ViewImage> view = m_document.Undo())
        ShowHistoryState(*view);
}

void CFrequencyTableDlg::OnRedo()
{
    if (const std::optional<ViewImage> view = m_document.Redo())
        ShowHistoryState(*view);
}
