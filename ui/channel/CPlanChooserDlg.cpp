#include "ui/channel/CPlanChooserDlg.h"

#include <algorithm>

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>

#include "platform/Printable.h"
#include "res/resource.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorFrame.h"

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

bool Holds(const std::string& text, const QString& part)
{
    return part.isEmpty() || Text(text).contains(part, Qt::CaseInsensitive);
}

// Of a plan listed from its first lines only the first label is known until
// it is chosen.
QString Labels(const ListedPlan& plan)
{
    if (!plan.outline.bWhole)
        return QStringLiteral("from ") + Text(plan.outline.firstLabel);
    return Text(plan.outline.firstLabel) + QStringLiteral(" to ") + Text(plan.outline.lastLabel);
}

QString ChannelCount(const ListedPlan& plan)
{
    return plan.outline.bWhole ? QString::number(plan.outline.channelCount) : QString();
}

QString Unreadable(const ListedPlan& plan)
{
    return Text(PrintableText(plan.unreadable));
}

QString PlanSummary(const std::string& name, const PlanLibrary& library)
{
    if (name.empty())
        return QStringLiteral("none published");
    const ListedPlan* pPlan = library.FindPlan(name);
    if (!pPlan)
        return Text(name) + QStringLiteral(" (not available)");
    if (!pPlan->unreadable.empty())
        return QStringLiteral("%1 (cannot be used: %2)").arg(Text(name), Unreadable(*pPlan));
    return QStringLiteral("%1 (%2 channels, %3)").arg(Text(name)).arg(pPlan->outline.positionCount).arg(Labels(*pPlan));
}

// A problem on one line whatever the file's name holds.
QString ProblemText(const PlanProblem& problem)
{
    return Text(PrintableText(problem.Text()));
}

} // namespace

CPlanChooserDlg::CPlanChooserDlg(UserServices& services, PlanLibrary& library, bool bCanFillList, QWidget* pParent)
    : CDialog(IDD_NEW_FROM_PLAN, services, pParent), m_library(library), m_bCanFillList(bCanFillList)
{
    OnClicked(IDC_BUTTON_FILL_LIST, [this] {
        if (m_bCanFillList && m_pChosenPlan && m_pChosenPlan->unreadable.empty())
            EndDialog(IDC_BUTTON_FILL_LIST);
    });
    // Its two lists make it larger than a scaled laptop screen.
    new EditorFrame(*this);
}

bool CPlanChooserDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ListView* pCountries = GetListView(IDC_LIST_PLAN_COUNTRIES);
    pCountries->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    pCountries->InsertColumn(0, QStringLiteral("Country"), LVCFMT_LEFT, 170);
    pCountries->InsertColumn(1, QStringLiteral("Code"), LVCFMT_RIGHT, 50);
    pCountries->InsertColumn(2, QStringLiteral("TV System"), LVCFMT_LEFT, 80);
    pCountries->InsertColumn(3, QStringLiteral("Broadcast plan"), LVCFMT_LEFT, 190);
    pCountries->InsertColumn(4, QStringLiteral("Cable plan"), LVCFMT_LEFT, 170);
    ListView* pPlans = GetListView(IDC_LIST_PLANS);
    pPlans->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    pPlans->InsertColumn(0, QStringLiteral("Plan"), LVCFMT_LEFT, 210);
    pPlans->InsertColumn(1, QStringLiteral("Channels"), LVCFMT_RIGHT, 60);
    pPlans->InsertColumn(2, QStringLiteral("Labels"), LVCFMT_LEFT, 90);
    pPlans->InsertColumn(3, QStringLiteral("Source"), LVCFMT_LEFT, 420);

    connect(pCountries->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnCountrySelection(); });
    connect(pPlans->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { OnPlanSelection(); });
    // A double click chooses the row and fills at once.
    for (ListView* pList : {pCountries, pPlans})
        connect(pList, &QAbstractItemView::doubleClicked, this, [this] {
            if (IsDlgItemEnabled(IDOK))
                OnCommand(IDOK);
        });
    // The choice names a country and both its plans: two lines where one is too short.
    Control<QLabel>(IDC_STATIC_PLAN_CHOICE)->setWordWrap(true);
    connect(Control<QLineEdit>(IDC_EDIT_PLAN_FILTER), &QLineEdit::textEdited, this,
            [this](const QString& text) { SetFilter(text); });

    QString problems;
    if (!m_library.Problems().empty())
        problems = QStringLiteral("Not listed (%1): %2")
                       .arg(m_library.Problems().size())
                       .arg(ProblemText(m_library.Problems().front()));
    else if (m_library.Plans().empty())
        problems = QStringLiteral("No channel plans were found.");
    SetDlgItemText(IDC_STATIC_PLAN_PROBLEMS, problems);
    if (!m_library.Problems().empty()) {
        QString all;
        for (const PlanProblem& problem : m_library.Problems())
            all += ProblemText(problem) + QLatin1Char('\n');
        GetDlgItem(IDC_STATIC_PLAN_PROBLEMS)->setToolTip(all.trimmed());
    }
    SetFilter(QString());
    GotoDlgCtrl(IDC_EDIT_PLAN_FILTER);
    return false;
}

void CPlanChooserDlg::SetFilter(const QString& text)
{
    const QString part = text.trimmed();
    if (Control<QLineEdit>(IDC_EDIT_PLAN_FILTER)->text() != text)
        SetDlgItemText(IDC_EDIT_PLAN_FILTER, text);

    m_shownCountries.clear();
    std::vector<std::string> usedPlans;
    for (const CountryPlans& country : m_library.Countries()) {
        if (Holds(country.name, part) || Holds(std::to_string(country.iCallingCode), part) ||
            Holds(country.tvSystem, part) || (!country.airPlan.empty() && Holds(country.airPlan, part)) ||
            (!country.cablePlan.empty() && Holds(country.cablePlan, part))) {
            m_shownCountries.push_back(&country);
            usedPlans.push_back(country.airPlan);
            usedPlans.push_back(country.cablePlan);
        }
    }
    m_shownPlans.clear();
    for (const ListedPlan& plan : m_library.Plans())
        if (Holds(plan.name, part) || Holds(plan.source, part) ||
            std::find(usedPlans.begin(), usedPlans.end(), plan.name) != usedPlans.end())
            m_shownPlans.push_back(&plan);
    ShowRows();
    if (!m_shownCountries.empty())
        ChooseCountryRow(0);
    else
        ChoosePlanRow(m_shownPlans.empty() ? -1 : 0);
}

void CPlanChooserDlg::ShowRows()
{
    GetListView(IDC_LIST_PLAN_COUNTRIES)
        ->SetRows(static_cast<int>(m_shownCountries.size()), [this](int row, int column) {
            const CountryPlans& country = *m_shownCountries[static_cast<std::size_t>(row)];
            switch (column) {
            case 0: return Text(country.name);
            case 1: return QString::number(country.iCallingCode);
            case 2: return Text(country.tvSystem);
            case 3: return country.airPlan.empty() ? QStringLiteral("--") : Text(country.airPlan);
            default: return country.cablePlan.empty() ? QStringLiteral("--") : Text(country.cablePlan);
            }
        });
    GetListView(IDC_LIST_PLANS)->SetRows(static_cast<int>(m_shownPlans.size()), [this](int row, int column) {
        const ListedPlan& plan = *m_shownPlans[static_cast<std::size_t>(row)];
        switch (column) {
        case 0: return Text(plan.name);
        case 1: return ChannelCount(plan);
        case 2: return Labels(plan);
        default: return Text(plan.source);
        }
    });
}

void CPlanChooserDlg::ChooseCountryRow(int row)
{
    m_bChoosing = true;
    const bool bRow = row >= 0 && static_cast<std::size_t>(row) < m_shownCountries.size();
    m_pChosenCountry = bRow ? m_shownCountries[static_cast<std::size_t>(row)] : nullptr;
    m_pChosenPlan = nullptr;
    GetListView(IDC_LIST_PLANS)->SetSelectedRows({});
    GetListView(IDC_LIST_PLAN_COUNTRIES)->SetSelectedRows(bRow ? std::vector<int>{row} : std::vector<int>{});
    if (bRow)
        GetListView(IDC_LIST_PLAN_COUNTRIES)->EnsureVisible(row);
    m_bChoosing = false;
    ShowChoice();
}

void CPlanChooserDlg::ChoosePlanRow(int row)
{
    m_bChoosing = true;
    const bool bRow = row >= 0 && static_cast<std::size_t>(row) < m_shownPlans.size();
    m_pChosenPlan = bRow ? m_shownPlans[static_cast<std::size_t>(row)] : nullptr;
    m_pChosenCountry = nullptr;
    GetListView(IDC_LIST_PLAN_COUNTRIES)->SetSelectedRows({});
    GetListView(IDC_LIST_PLANS)->SetSelectedRows(bRow ? std::vector<int>{row} : std::vector<int>{});
    if (bRow)
        GetListView(IDC_LIST_PLANS)->EnsureVisible(row);
    m_bChoosing = false;
    ShowChoice();
}

void CPlanChooserDlg::OnCountrySelection()
{
    if (m_bChoosing)
        return;
    const std::vector<int> rows = GetListView(IDC_LIST_PLAN_COUNTRIES)->GetSelectedRows();
    if (!rows.empty())
        ChooseCountryRow(rows.front());
}

void CPlanChooserDlg::OnPlanSelection()
{
    if (m_bChoosing)
        return;
    const std::vector<int> rows = GetListView(IDC_LIST_PLANS)->GetSelectedRows();
    if (!rows.empty())
        ChoosePlanRow(rows.front());
}

void CPlanChooserDlg::ReadChosenPlan(const std::string& name)
{
    const ListedPlan* pPlan = name.empty() ? nullptr : m_library.FindPlan(name);
    if (!pPlan || pPlan->outline.bWhole || !pPlan->unreadable.empty())
        return;
    PlanProblem problem;
    m_library.ReadWhole(*pPlan, problem);
    // The rows' texts are asked for as they are drawn.
    GetListView(IDC_LIST_PLANS)->viewport()->update();
}

void CPlanChooserDlg::ShowChoice()
{
    if (m_pChosenCountry) {
        ReadChosenPlan(m_pChosenCountry->airPlan);
        ReadChosenPlan(m_pChosenCountry->cablePlan);
    } else if (m_pChosenPlan) {
        ReadChosenPlan(m_pChosenPlan->name);
    }
    const bool bPlanUsable = m_pChosenPlan && m_pChosenPlan->unreadable.empty();
    QString text;
    if (m_pChosenCountry)
        text = QStringLiteral("%1 (%2, %3): Antenna %4; Cable %5")
                   .arg(Text(m_pChosenCountry->name))
                   .arg(m_pChosenCountry->iCallingCode)
                   .arg(Text(m_pChosenCountry->tvSystem), PlanSummary(m_pChosenCountry->airPlan, m_library),
                        PlanSummary(m_pChosenCountry->cablePlan, m_library));
    else if (m_pChosenPlan && !bPlanUsable)
        text = QStringLiteral("%1 cannot be used: %2").arg(Text(m_pChosenPlan->name), Unreadable(*m_pChosenPlan));
    else if (m_pChosenPlan)
        text = QStringLiteral("%1: %2 channels, labels %3")
                   .arg(Text(m_pChosenPlan->name))
                   .arg(m_pChosenPlan->outline.positionCount)
                   .arg(Labels(*m_pChosenPlan));
    SetDlgItemText(IDC_STATIC_PLAN_CHOICE, text);
    EnableDlgItem(IDOK, m_pChosenCountry || bPlanUsable);
    // A country fills both lists and names the code: only a new table takes it.
    EnableDlgItem(IDC_BUTTON_FILL_LIST, m_bCanFillList && bPlanUsable);
}
