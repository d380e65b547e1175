#include "ui/editor/EditorStatusLine.h"

#include <algorithm>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QResizeEvent>
#include <QTimer>

#include "res/resource.h"
#include "ui/dialog/AccessibleTree.h"
#include "ui/dialog/CDialog.h"
#include "ui/dialog/DisplayAccessible.h"
#include "ui/dialog/FileNames.h"
#include "ui/editor/EditorFrame.h"

QString SavedNote(const QString& path)
{
    return QStringLiteral("Saved %1").arg(PrintableFileName(QFileInfo(path).fileName()));
}

QString ExportedNote(const QString& path)
{
    return QStringLiteral("Exported %1").arg(PrintableFileName(QFileInfo(path).fileName()));
}

QString RecoveryProblemNote(const QString& problem)
{
    return QStringLiteral("Recovery copy could not be written: %1").arg(problem);
}

ElidedLabel::ElidedLabel(QWidget* pParent) : QLabel(pParent)
{
    // The label takes the width it is given, not that of the whole text.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(0);
}

void ElidedLabel::SetFullText(const QString& text)
{
    if (text == m_fullText)
        return;
    m_fullText = text;
    setToolTip(text);
    setAccessibleDescription(text);
    Elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* pEvent)
{
    QLabel::resizeEvent(pEvent);
    Elide();
}

void ElidedLabel::Elide()
{
    const QString shown = fontMetrics().elidedText(m_fullText, Qt::ElideMiddle, contentsRect().width());
    const QString oldText = text();
    if (shown == oldText)
        return;
    setText(shown);
    NotifyDisplayTextChanged(this, oldText, shown);
}

EditorStatusLine::EditorStatusLine(TableKind kind, QWidget* pParent)
    : QWidget(pParent), m_pFile(new ElidedLabel(this)), m_pList(new QLabel(this)), m_pCheck(new QPushButton(this)),
      m_pNote(new QLabel(this)), m_pNoteTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("statusLine"));
    setAccessibleName(QStringLiteral("Status"));
    ReadAsStatusBar(this);
    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(6, 2, 6, 2);
    pLayout->setSpacing(12);
    pLayout->addWidget(m_pFile, 3);
    pLayout->addWidget(m_pList, 2);
    pLayout->addWidget(m_pCheck);
    pLayout->addWidget(m_pNote, 2);
    for (QLabel* pLabel : {static_cast<QLabel*>(m_pFile), m_pList, m_pNote})
        MarkAsDisplay(pLabel);
    m_pFile->setAccessibleName(QStringLiteral("File"));
    m_pList->setAccessibleName(QStringLiteral("List"));
    m_pNote->setAccessibleName(QStringLiteral("Note"));
    m_pList->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // A flat button: it reads as text, yet takes focus and answers Enter and Space.
    m_pCheck->setFlat(true);
    m_pCheck->setFocusPolicy(Qt::StrongFocus);
    m_pCheck->setAccessibleName(QStringLiteral("Check"));
    m_pCheck->setAutoDefault(false);
    m_pCheck->hide();
    connect(m_pCheck, &QPushButton::clicked, this, &EditorStatusLine::CheckActivated);
    // One height whether the summary shows or not, so that the editor keeps its size.
    m_pCheck->setText(QStringLiteral("Checking…"));
    const QMargins margins = pLayout->contentsMargins();
    setFixedHeight(std::max(m_pCheck->sizeHint().height(), m_pFile->sizeHint().height()) + margins.top() +
                   margins.bottom());
    m_pCheck->setText(QString());
    m_pNoteTimer->setSingleShot(true);
    m_pNoteTimer->setInterval(kNoteMs);
    connect(m_pNoteTimer, &QTimer::timeout, this, [this] {
        const QString oldText = m_pNote->text();
        m_pNote->clear();
        NotifyDisplayTextChanged(m_pNote, oldText, QString());
    });

    // The worker's results come back to this thread; once the line is gone
    // they are dropped with it.
    m_pWorker = std::make_unique<CheckWorker>(kind, [this](std::uint64_t version, const FindingCounts& counts) {
        QMetaObject::invokeMethod(
            this, [this, version, counts] { ShowCounts(version, counts); }, Qt::QueuedConnection);
    });
}

EditorStatusLine::~EditorStatusLine()
{
    // The worker stops before the widgets its results would reach.
    m_pWorker.reset();
}

void EditorStatusLine::ShowFile(bool bHasTable, const std::string& savePath)
{
    QString text;
    if (bHasTable)
        text = savePath.empty() ? QStringLiteral("New table") : PrintableFileName(QByteArray::fromStdString(savePath));
    m_pFile->SetFullText(text);
}

void EditorStatusLine::ShowList(const QString& text)
{
    const QString oldText = m_pList->text();
    if (oldText == text)
        return;
    m_pList->setText(text);
    NotifyDisplayTextChanged(m_pList, oldText, text);
}

QString EditorStatusLine::ListText() const
{
    return m_pList->text();
}

QString EditorStatusLine::CheckText() const
{
    return m_pCheck->isHidden() ? QString() : m_pCheck->text();
}

QString EditorStatusLine::NoteText() const
{
    return m_pNote->text();
}

void EditorStatusLine::CheckTable(const void* pTable, std::uint64_t changeCount,
                                  const std::function<std::shared_ptr<const std::vector<std::uint8_t>>()>& takeImage)
{
    if (pTable == m_pCheckedTable && changeCount == m_checkedChangeCount && !m_bTunerChanged)
        return;
    m_bTunerChanged = false;
    m_pCheckedTable = pTable;
    m_checkedChangeCount = changeCount;
    ++m_version;
    if (!pTable) {
        m_shownVersion = m_version;
        m_pCheck->hide();
        SetCheckText(QString());
        return;
    }
    // Until the worker answers, the last summary stays: it changes only when
    // the counts do, so that a screen reader is not told of every edit.
    m_pCheck->show();
    if (m_pCheck->text().isEmpty())
        SetCheckText(QStringLiteral("Checking…"));
    m_pWorker->Check(m_version, takeImage(), m_tuner);
}

void EditorStatusLine::JudgeAgainstTuner(std::optional<TunerBands> bands, const std::string& codes)
{
    m_tuner = std::move(bands);
    m_tunerCodes = m_tuner ? codes : std::string();
    m_bTunerChanged = true;
    // A result the worker still owes is for the tuner before: it never shows.
    ++m_version;
}

void EditorStatusLine::ShowCounts(std::uint64_t version, const FindingCounts& counts)
{
    // A result for an older state of the document never shows.
    if (version != m_version)
        return;
    m_shownVersion = version;
    // The version rule keeps the result and the tuner shown together: a
    // change of tuner made every older result stale.
    SetCheckText(QString::fromStdString(m_tuner ? FindingCountsText(counts, m_tunerCodes) : FindingCountsText(counts)));
}

void EditorStatusLine::SetCheckText(const QString& text)
{
    if (m_pCheck->text() == text)
        return;
    m_pCheck->setText(text);
    // A screen reader hears the new summary as the Check control's description.
    m_pCheck->setAccessibleDescription(text);
    emit CheckSummaryChanged(text);
}

void EditorStatusLine::ShowNote(const QString& text)
{
    const QString oldText = m_pNote->text();
    m_pNote->setText(text);
    NotifyDisplayTextChanged(m_pNote, oldText, text);
    m_pNoteTimer->start();
    emit NoteShown(text);
}

EditorStatusLine* AddStatusLine(CDialog& editor, TableKind kind)
{
    auto* pLine = new EditorStatusLine(kind, &editor);
    EditorFrame::Of(editor)->SetStatusLine(pLine);
    pLine->CheckButton()->setObjectName(QString::number(IDM_CHECK_TABLE));
    QObject::connect(pLine, &EditorStatusLine::CheckActivated, &editor,
                     [&editor] { editor.OnCommand(IDM_CHECK_TABLE); });
    return pLine;
}
