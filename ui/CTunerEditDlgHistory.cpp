// Undo and redo in the tuner editor: the details area put back with each
// step. The input controls stay enabled once a table was made, whatever is
// undone. The commands, their items and keys are the editor's registry's.
#include "CTunerEditDlg.h"

#include "ListView.h"
#include "resource.h"

namespace {

// The details area, in the order a view image holds it.
constexpr int kShownTexts[] = {
    IDC_STATIC_FACTORY,         IDC_STATIC_TUNER_TYPE,       IDC_STATIC_LOW_RANGE, IDC_STATIC_MID_RANGE,
    IDC_STATIC_HIGH_RANGE,      IDC_STATIC_LOW_CODE,         IDC_STATIC_MID_CODE,  IDC_STATIC_HIGH_CODE,
    IDC_STATIC_PICTURE_CARRIER, IDC_STATIC_PICTURE_CARRIER2,
};

} // namespace

void CTunerEditDlg::InitHistory()
{
    m_document.SetViewCapture([this] { return CaptureView(); });
}

ViewImage CTunerEditDlg::CaptureView() const
{
    ViewImage view;
    view.reserve(std::size(kShownTexts));
    for (int id : kShownTexts)
        view.push_back(GetDlgItemText(id).toStdString());
    return view;
}

void CTunerEditDlg::ShowHistoryState(const ViewImage& view)
{
    if (view.size() == std::size(kShownTexts)) {
        std::size_t i = 0;
        for (int id : kShownTexts)
            SetDlgItemText(id, QString::fromStdString(view[i++]));
    }
    if (m_document.HasTable())
        RefreshTableList();
    else
        GetListView(IDC_LIST_TUNERS)->SetRows(0, [](int, int) { return QString(); });
}

void CTunerEditDlg::OnUndo()
{
    if (const std::optional<ViewImage> view = m_document.Undo())
        ShowHistoryState(*view);
}

void CTunerEditDlg::OnRedo()
{
    if (const std::optional<ViewImage> view = m_document.Redo())
        ShowHistoryState(*view);
}
