// The tuner editor on a table of 10,000 entries, and of the largest table
// (100,000) for Replace Entry, timed from the person's click until the list is
// rebuilt and the event queue has drained.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "bench/BenchFiles.h"
#include "bench/BenchServices.h"
#include "edit/TunerTableDocument.h"
#include "res/resource.h"
#include "tables/analysis/TableChecks.h"
#include "tables/format/TunerSpecTable.h"
#include "ui/dialog/ListView.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

constexpr int kEntries = 10000;

// Entries with the even keys 2 to 2 * count: factory 2i, tuner type 0.
QString WriteTunerTable(const QTemporaryDir& dir, int count)
{
    std::vector<TunerSpecEntry> entries(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i) {
        TunerSpecEntry& entry = entries[static_cast<std::size_t>(i - 1)];
        entry.SetFactory(2 * i);
        entry.SetLowBandStart(44.0);
        entry.SetMidBandStart(140.25);
        entry.SetHighBandStart(463.25);
        entry.SetHighBandEnd(958.0);
        entry.SetPictureCarrier(38.9);
    }
    TunerSpecTable table(true);
    if (!table.AppendEntries(entries))
        throw std::runtime_error("cannot hold the benchmark tuner table");
    const QString path = dir.filePath(QStringLiteral("tuners.tsf"));
    if (!table.Save(QFile::encodeName(path).constData()))
        throw std::runtime_error("cannot write the benchmark tuner table");
    return path;
}

QString WriteCatalogue(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("TunerSpec.inf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the benchmark catalogue");
    // Factory 12499 has the code 19993 and, with tuner type 0, the odd key
    // 19993: an added entry walks nearly the whole list to its place. Factory
    // 124996 has the code 199990, the key of the entry 99,995 of the largest
    // table: Replace Entry walks nearly all of it to find that key.
    file.write("[Factory]\nCount = 2\n12499 = Bench\n124996 = Last\n"
               "[19993]\nCount = 1\n0 = Type\n[199990]\nCount = 1\n0 = Type\n");
    return path;
}

class TunerEditor
{
public:
    explicit TunerEditor(int count = kEntries)
        : m_table(WriteTunerTable(m_dir, count)), m_catalogue(WriteCatalogue(m_dir))
    {
        m_pDlg = std::make_unique<CTunerEditDlg>(m_services);
        m_pDlg->SetCataloguePath(QFile::encodeName(m_catalogue).toStdString());
        m_pDlg->Create();
        Settle();
    }

    CTunerEditDlg& Dlg() { return *m_pDlg; }
    ListView* List() { return m_pDlg->GetListView(IDC_LIST_TUNERS); }

    void Load()
    {
        m_services.fileAnswers.push_back(m_table);
        QTest::mouseClick(m_pDlg->GetDlgItem(IDC_BUTTON_LOAD_TUNER_FILE), Qt::LeftButton);
        Settle();
    }

    // The factory at this index of the catalogue (0: Bench, 1: Last) and its tuner type.
    void ChooseFactoryAndType(int iFactory = 0)
    {
        for (auto [id, index] : {std::pair{IDC_COMBO_FACTORY, iFactory}, std::pair{IDC_COMBO_TUNER_TYPE, 0}}) {
            QComboBox* pCombo = m_pDlg->ComboBox(id);
            pCombo->setCurrentIndex(index);
            emit pCombo->activated(index);
        }
        const std::pair<int, const char*> fields[] = {
            {IDC_EDIT_LOW_BAND_START, "44.00"},   {IDC_EDIT_MID_BAND_START, "140.25"},
            {IDC_EDIT_HIGH_BAND_START, "463.25"}, {IDC_EDIT_HIGH_BAND_END, "958.00"},
            {IDC_EDIT_LOW_CODE, "00A0"},          {IDC_EDIT_MID_CODE, "0090"},
            {IDC_EDIT_HIGH_CODE, "0030"},         {IDC_EDIT_PICTURE_CARRIER, "38.90"},
            {IDC_EDIT_PICTURE_CARRIER2, "0"}};
        for (const auto& [id, text] : fields)
            m_pDlg->SetDlgItemText(id, QString::fromLatin1(text));
        Settle();
    }

    static void Settle() { QCoreApplication::processEvents(); }

private:
    BenchServices m_services;
    QTemporaryDir m_dir;
    QString m_table;
    QString m_catalogue;
    std::unique_ptr<CTunerEditDlg> m_pDlg;
};

void BM_TunerEditor_Load(benchmark::State& state)
{
    TunerEditor editor;
    for (auto _ : state)
        editor.Load();
    state.counters["rows"] = editor.List()->GetItemCount();
}
BENCHMARK(BM_TunerEditor_Load)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TunerEditor_AddInfo(benchmark::State& state)
{
    TunerEditor editor;
    editor.Load();
    editor.ChooseFactoryAndType();
    QWidget* pAdd = editor.Dlg().GetDlgItem(IDC_BUTTON_ADD_INFO);
    for (auto _ : state) {
        state.PauseTiming();
        editor.Load();
        state.ResumeTiming();
        QTest::mouseClick(pAdd, Qt::LeftButton);
        TunerEditor::Settle();
    }
    state.counters["rows"] = editor.List()->GetItemCount();
}
BENCHMARK(BM_TunerEditor_AddInfo)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TunerEditor_RowClick(benchmark::State& state)
{
    TunerEditor editor;
    editor.Load();
    ListView* pList = editor.List();
    int row = 0;
    for (auto _ : state) {
        row = (row + 4999) % kEntries;
        pList->EnsureVisible(row);
        const QRect rect = pList->visualRect(pList->model()->index(row, 0));
        QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        TunerEditor::Settle();
    }
    state.counters["rows"] = pList->GetItemCount();
}
BENCHMARK(BM_TunerEditor_RowClick)->Unit(benchmark::kMillisecond)->UseRealTime();

// Undo of "Add Info" (one entry) and of "Create New" after a load (every
// entry back), by key from the list; the step is made untimed before each run.
template <class MakeStep> void TimeTunerUndo(benchmark::State& state, MakeStep makeStep)
{
    TunerEditor editor;
    editor.Load();
    editor.ChooseFactoryAndType();
    ListView* pList = editor.List();
    for (auto _ : state) {
        state.PauseTiming();
        makeStep(editor);
        pList->setFocus();
        TunerEditor::Settle();
        state.ResumeTiming();
        QTest::keyClick(pList, Qt::Key_Z, Qt::ControlModifier);
        TunerEditor::Settle();
    }
    state.counters["rows"] = pList->GetItemCount();
}

void BM_TunerEditor_UndoAddInfo(benchmark::State& state)
{
    TimeTunerUndo(state, [](TunerEditor& editor) {
        editor.Load();
        QTest::mouseClick(editor.Dlg().GetDlgItem(IDC_BUTTON_ADD_INFO), Qt::LeftButton);
    });
}
BENCHMARK(BM_TunerEditor_UndoAddInfo)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TunerEditor_UndoCreateNewAfterLoad(benchmark::State& state)
{
    TimeTunerUndo(state, [](TunerEditor& editor) {
        editor.Load();
        QTest::mouseClick(editor.Dlg().GetDlgItem(IDC_BUTTON_CREATE_TABLE), Qt::LeftButton);
    });
}
BENCHMARK(BM_TunerEditor_UndoCreateNewAfterLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// Replace Entry on the largest table: the entry of the inputs' key is the
// 99,995th; each run changes its mid band start, so that each is a step.
void BM_TunerEditor_ReplaceEntryLargest(benchmark::State& state)
{
    TunerEditor editor(TunerSpecTable::kMaxEntries);
    editor.Load();
    editor.ChooseFactoryAndType(1);
    bool bOdd = false;
    for (auto _ : state) {
        state.PauseTiming();
        bOdd = !bOdd;
        editor.Dlg().SetDlgItemText(IDC_EDIT_MID_BAND_START, QString::fromLatin1(bOdd ? "141.25" : "140.25"));
        TunerEditor::Settle();
        state.ResumeTiming();
        editor.Dlg().OnCommand(IDM_REPLACE_ENTRY);
        TunerEditor::Settle();
    }
    if (editor.Dlg().Document().UndoName() != "Replace Entry")
        state.SkipWithError("Replace Entry replaced nothing");
    state.counters["rows"] = editor.List()->GetItemCount();
}
BENCHMARK(BM_TunerEditor_ReplaceEntryLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// View > Columns > Band Edges on 100,000 entries, in turn on and off, until
// the list is drawn again (the choice written to the settings file each time).
void BM_TunerEditor_BandEdgesColumnOnAndOff(benchmark::State& state)
{
    TunerEditor editor(TunerSpecTable::kMaxEntries);
    editor.Load();
    for (auto _ : state) {
        editor.Dlg().OnCommand(IDM_COLUMN_BAND_EDGES);
        TunerEditor::Settle();
    }
    if (editor.Dlg().ShowsBandEdges())
        editor.Dlg().OnCommand(IDM_COLUMN_BAND_EDGES);
    state.counters["rows"] = editor.List()->GetItemCount();
}
BENCHMARK(BM_TunerEditor_BandEdgesColumnOnAndOff)->Unit(benchmark::kMillisecond)->UseRealTime();

// Table > Check Table in the editor of the largest table: the findings kept
// and the window showing them, its first rows drawn.
void BM_TunerEditor_CheckTableLargest(benchmark::State& state)
{
    TunerEditor editor(TunerSpecTable::kMaxEntries);
    editor.Load();
    for (auto _ : state) {
        editor.Dlg().OnCommand(IDM_CHECK_TABLE);
        TunerEditor::Settle();
    }
}
BENCHMARK(BM_TunerEditor_CheckTableLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// The table check of the largest table in memory, as "Check Table" runs it:
// the findings kept from the table's image, and the texts of a window's
// first screen (50 rows) made. The entries of the editor benchmarks (factory
// codes 2i, most of them not two BCD digits, so that most entries have a
// finding), and the same with every entry's bands and carrier implausible
// (two warnings more each).
void TimeTunerCheck(benchmark::State& state, double dbScale)
{
    std::vector<TunerSpecEntry> entries(static_cast<std::size_t>(TunerSpecTable::kMaxEntries));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        TunerSpecEntry& entry = entries[i];
        entry.SetFactory(2 * static_cast<std::int32_t>(i + 1));
        entry.SetLowBandStart(44.0 * dbScale);
        entry.SetMidBandStart(140.25 * dbScale);
        entry.SetHighBandStart(463.25 * dbScale);
        entry.SetHighBandEnd(958.0 * dbScale);
        entry.SetPictureCarrier(38.9 * dbScale);
    }
    TunerSpecTable table(true);
    if (!table.AppendEntries(entries))
        throw std::runtime_error("cannot hold the benchmark tuner table");
    std::size_t findings = 0;
    constexpr std::size_t kRowsShown = 50;
    for (auto _ : state) {
        const TunerTableFindings kept(table.FileImage());
        findings = kept.Count();
        for (std::size_t i = 0; i < std::min(findings, kRowsShown); ++i)
            benchmark::DoNotOptimize(kept.At(i).message.size());
    }
    state.counters["findings"] = static_cast<double>(findings);
}

void BM_TunerCheck_Largest(benchmark::State& state)
{
    TimeTunerCheck(state, 1.0);
}
BENCHMARK(BM_TunerCheck_Largest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TunerCheck_LargestAllWarned(benchmark::State& state)
{
    TimeTunerCheck(state, 0.01);
}
BENCHMARK(BM_TunerCheck_LargestAllWarned)->Unit(benchmark::kMillisecond)->UseRealTime();

// The document's part of opening the largest table: the file read into a new
// document and the image the list and the status line read from, which is
// the bytes just read. The document goes outside the timing.
void BM_TunerDocument_LoadLargestWithImage(benchmark::State& state)
{
    for (auto _ : state) {
        auto pDoc = std::make_unique<TunerTableDocument>();
        FileError error;
        if (pDoc->Load(BenchFiles::Get().tnsp, error) != TunerLoadResult::Read)
            state.SkipWithError("the benchmark tuner table did not load");
        benchmark::DoNotOptimize(pDoc->SharedFileImage()->data());
        state.PauseTiming();
        pDoc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TunerDocument_LoadLargestWithImage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
