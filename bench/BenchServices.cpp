#include "bench/BenchServices.h"

#include <cstdint>

#include <QCoreApplication>

#include "res/resource.h"
#include "ui/dialog/CDialog.h"

std::optional<QString> BenchServices::ChooseFile(const FileDialogRequest&)
{
    if (fileAnswers.empty())
        return std::nullopt;
    QString path = fileAnswers.front();
    fileAnswers.pop_front();
    return path;
}

void BenchServices::ShowMessage(QWidget*, const QString&, MessageIcon)
{
    ++messageCount;
}

void BenchServices::ShowNote(QWidget*, const QString&)
{
    ++messageCount;
}

int BenchServices::TrackPopupMenu(QWidget*, const std::vector<MenuItem>&, const QPoint&)
{
    if (menuAnswers.empty())
        return 0;
    const int command = menuAnswers.front();
    menuAnswers.pop_front();
    return command;
}

int BenchServices::RunModal(CDialog& dialog)
{
    dialog.Create();
    dialog.EndDialog(IDCANCEL);
    return IDCANCEL;
}

std::optional<std::vector<QString>> BenchServices::AskValues(QWidget*, const ValuesRequest&)
{
    if (valueAnswers.empty())
        return std::nullopt;
    std::vector<QString> answer = valueAnswers.front();
    valueAnswers.pop_front();
    return answer;
}

void BenchServices::ShowRecoveryCopies(QWidget*, RecoveryCopiesList&) {}

std::optional<std::size_t> BenchServices::ChooseTuner(QWidget*, const TunerChooserRequest&)
{
    if (tunerAnswers.empty())
        return std::nullopt;
    const std::size_t answer = tunerAnswers.front();
    tunerAnswers.pop_front();
    return answer;
}

namespace {

// Counts every event the application delivers, to tell when the queue is idle.
class EventCounter : public QObject
{
public:
    EventCounter() { QCoreApplication::instance()->installEventFilter(this); }
    std::uint64_t delivered = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        ++delivered;
        return false;
    }
};

} // namespace

void SettleEvents()
{
    // Made once and kept: the application outlives every benchmark.
    static EventCounter* const pCounter = new EventCounter;
    for (int round = 0; round < 1000; ++round) {
        const std::uint64_t before = pCounter->delivered;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (pCounter->delivered == before)
            return;
    }
}
