#include "ui/editor/EditorFrame.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "res/AccessibleTexts.h"
#include "ui/dialog/CDialog.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/dialog/FileNames.h"
#include "ui/dialog/ScreenFit.h"
#include "ui/editor/WindowSizes.h"

namespace {

// The controls' area of an editor: as large as its template wants it, and
// willing to be smaller, scrolling, where the screen has less room.
class ControlsScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->minimumSize() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
    QSize minimumSizeHint() const override { return {0, 0}; }

protected:
    bool event(QEvent* pEvent) override
    {
        // A scroll bar only where the area is smaller than the controls need,
        // decided before the scroll area lays out its parts for the new size:
        // its own decision follows a queued call, which leaves a bar standing
        // for a moment where none is needed.
        if (pEvent->type() == QEvent::Resize && widget()) {
            const QSize need = widget()->minimumSize();
            const QSize have = static_cast<QResizeEvent*>(pEvent)->size();
            bool bVertical = have.height() < need.height();
            const bool bHorizontal =
                have.width() < need.width() + (bVertical ? verticalScrollBar()->sizeHint().width() : 0);
            bVertical = have.height() < need.height() + (bHorizontal ? horizontalScrollBar()->sizeHint().height() : 0);
            setHorizontalScrollBarPolicy(bHorizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            setVerticalScrollBarPolicy(bVertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        }
        return QScrollArea::event(pEvent);
    }
};

} // namespace

EditorFrame::EditorFrame(CDialog& dialog, const MenuBarTemplate& bar, std::function<void()> updateStates)
    : QObject(&dialog), m_dialog(dialog), m_updateStates(std::move(updateStates))
{
    TakeControls();
    m_pMenuBar = std::make_unique<DialogMenuBar>(bar, &dialog, [&dialog](int command) { dialog.OnCommand(command); });
    m_pMenuBar->SetBeforeShow([this] { UpdateStates(); });
    Build();
}

EditorFrame::EditorFrame(CDialog& dialog) : QObject(&dialog), m_dialog(dialog)
{
    TakeControls();
    Build();
}

EditorFrame::~EditorFrame() = default;

EditorFrame* EditorFrame::Of(const QWidget& dialog)
{
    return dialog.findChild<EditorFrame*>(QString(), Qt::FindDirectChildrenOnly);
}

void EditorFrame::TakeControls()
{
    // The dialog still has its template size, and its controls their places.
    m_templateSize = m_dialog.size();
    const std::vector<QWidget*>& controls = m_dialog.TemplateControls();
    const std::vector<ControlGrowth> growth = GrowthOfControls(m_dialog.Template());
    for (std::size_t i = 0; i < controls.size(); ++i)
        m_placed.push_back(PlacedControl{controls[i], controls[i]->geometry(), growth[i]});
    m_pClient = m_dialog.MoveControlsOntoClientArea();
}

void EditorFrame::Build()
{
    // The frame lays out the bar, the top bars, the controls' area (at least
    // its template size, in a scroller) and the status line, one below the other.
    m_pFrameLayout = new QVBoxLayout(&m_dialog);
    m_pFrameLayout->setContentsMargins(0, 0, 0, 0);
    m_pFrameLayout->setSpacing(0);
    if (m_pMenuBar)
        m_pFrameLayout->setMenuBar(m_pMenuBar->Bar());
    auto* pTopBars = new QWidget(&m_dialog);
    m_pTopBarLayout = new QVBoxLayout(pTopBars);
    m_pTopBarLayout->setContentsMargins(0, 0, 0, 0);
    m_pTopBarLayout->setSpacing(0);
    m_pFrameLayout->addWidget(pTopBars);
    m_pClient->setMinimumSize(m_templateSize);
    const bool bGrows = GrowingControl(m_dialog.Template()) >= 0;
    if (!bGrows)
        m_pClient->setMaximumSize(m_templateSize);
    m_pScroller = new ControlsScrollArea(&m_dialog);
    m_pScroller->setFrameShape(QFrame::NoFrame);
    // The area only holds the controls: Tab goes to them, not to it.
    m_pScroller->setFocusPolicy(Qt::NoFocus);
    m_pScroller->setWidgetResizable(true);
    m_pScroller->setWidget(m_pClient);
    m_pClient->installEventFilter(this);
    m_pFrameLayout->addWidget(m_pScroller, 1);
    KeepInsideAvailableAreaOnceShown(m_dialog);
    m_dialog.setMinimumSize(0, 0);
    m_dialog.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (bGrows)
        m_dialog.setWindowFlags(m_dialog.windowFlags() | Qt::WindowMaximizeButtonHint);
    TakeNaturalSize();
    // A control that takes the focus, by Tab or by the program, is scrolled into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* pNow) {
        if (!m_bDetached && pNow && m_pClient->isAncestorOf(pNow))
            m_pScroller->ensureWidgetVisible(pNow, 4, 4);
    });
    // Once the dialog has made its controls ready, the window takes the size
    // it opens at, and the menu items their states.
    connect(&m_dialog, &CDialog::Initialized, this, [this] {
        OpenAtRememberedSize();
        UpdateStates();
    });
    WatchControls();
}

void EditorFrame::WatchControls()
{
    m_dialog.installEventFilter(this);
    for (QWidget* pControl : m_dialog.TemplateControls())
        pControl->installEventFilter(this);
    // What a dialog's destruction hides is no window closing: nothing is
    // remembered of it, and nothing of the dialog is asked any more.
    connect(&m_dialog, &CDialog::Destroying, this, [this] { m_bDetached = true; });
}

void EditorFrame::UpdateStates() const
{
    if (m_updateStates)
        m_updateStates();
}

void EditorFrame::TakeNaturalSize()
{
    // Until it opens the window has its natural size, the controls' area its
    // template size, unscrolled.
    m_pFrameLayout->activate();
    m_dialog.resize(m_pFrameLayout->totalSizeHint());
}

void EditorFrame::FollowClientSize()
{
    const QSize extra = m_pClient->size() - m_templateSize;
    for (const PlacedControl& control : m_placed)
        control.pWidget->setGeometry(GrownRect(control.placed, control.growth, extra));
}

QSize EditorFrame::ExpectedFrame() const
{
    // Known for certain only once the window is shown, and then reported
    // short at some scale factors: the style's title bar and borders are
    // reckoned instead. Only a desktop's window manager frames windows, not
    // the platforms that draw into memory.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return QSize(0, 0);
    const QStyle* pStyle = m_dialog.style();
    const int border = pStyle->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &m_dialog);
    return {2 * border, pStyle->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &m_dialog) + 2 * border};
}

void EditorFrame::OpenAtRememberedSize()
{
    m_pFrameLayout->activate();
    QSize natural = m_pFrameLayout->totalSizeHint();
    const QSize available = m_dialog.screen()->availableGeometry().size() - ExpectedFrame();
    // Lower than its controls need, the area scrolls up and down: room for
    // that scroll bar too, so that it needs none across.
    if (natural.height() > available.height())
        natural.rwidth() += m_pScroller->verticalScrollBar()->sizeHint().width();
    const QSize minimum = natural.boundedTo(available);
    m_dialog.setMinimumSize(minimum);
    const std::optional<WindowSize> remembered = RememberedWindowSize(m_dialog.Template().id);
    m_dialog.resize(
        OpeningSize(minimum, remembered ? std::optional<QSize>(remembered->size) : std::nullopt, available));
    if (remembered && remembered->bMaximized && GrowingControl(m_dialog.Template()) >= 0)
        m_dialog.setWindowState(m_dialog.windowState() | Qt::WindowMaximized);
}

void EditorFrame::RememberSize() const
{
    RememberWindowGeometry(m_dialog.Template().id, m_dialog.saveGeometry());
}

void EditorFrame::AddTopBar(QWidget* pBar)
{
    m_pTopBarLayout->addWidget(pBar);
    pBar->installEventFilter(this);
    TakeNaturalSize();
}

void EditorFrame::FollowTopBar(QWidget* pBar, bool bShown)
{
    // A bar that comes while the window is open makes it taller by the bar,
    // where the screen has room, rather than scrolling the controls; the
    // window gives that height back when the bar goes.
    if (!m_dialog.isVisible() || m_dialog.isMaximized() || m_dialog.isFullScreen())
        return;
    if (bShown) {
        // As tall as the controls and the bars need, if it is not so already;
        // as tall as the available area at most, and moved in where it would
        // reach past it.
        m_pFrameLayout->invalidate();
        const int needed = m_pFrameLayout->totalSizeHint().height() - m_dialog.height();
        const int room = m_dialog.screen()->availableGeometry().height() - m_dialog.frameGeometry().height();
        const int grown = std::min(needed, room);
        if (grown <= 0)
            return;
        m_topBarGrowth[pBar] = grown;
        m_dialog.resize(m_dialog.width(), m_dialog.height() + grown);
        KeepInsideAvailableArea(m_dialog);
    } else if (const auto it = m_topBarGrowth.find(pBar); it != m_topBarGrowth.end()) {
        m_dialog.resize(m_dialog.width(), std::max(m_dialog.minimumHeight(), m_dialog.height() - it->second));
        m_topBarGrowth.erase(it);
    }
}

void EditorFrame::SetStatusLine(QWidget* pStatusLine)
{
    m_pStatusLine = pStatusLine;
    m_pFrameLayout->addWidget(pStatusLine);
    TakeNaturalSize();
}

void EditorFrame::ShowTableFileInTitle(const std::string& savePath, bool bModified)
{
    const QString modifiedMark = bModified ? QStringLiteral("*") : QString();
    // A newline or an escape in the name would break the title.
    const QString name =
        savePath.empty()
            ? QString()
            : PrintableFileName(QByteArray::fromStdString(savePath.substr(savePath.find_last_of('/') + 1)));
    const auto titled = [&](const QString& windowName) {
        return name.isEmpty() ? windowName + modifiedMark
                              : name + modifiedMark + QStringLiteral(" \u2013 ") + windowName;
    };
    const QString title = titled(QString::fromLatin1(m_dialog.Template().title));
    if (title != m_dialog.windowTitle())
        m_dialog.setWindowTitle(title);
    // What a screen reader hears says the same of the file under the window's own name.
    if (const char* windowName = AccessibleWindowName(m_dialog.Template().id)) {
        const QString accessibleTitle = titled(QString::fromLatin1(windowName));
        if (accessibleTitle != m_dialog.accessibleName())
            m_dialog.setAccessibleName(accessibleTitle);
    }
}

bool EditorFrame::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (m_bDetached)
        return false;
    const QEvent::Type type = pEvent->type();
    if (pWatched == m_pClient && type == QEvent::Resize)
        FollowClientSize();
    if (pWatched == &m_dialog && type == QEvent::Show)
        m_bShown = true;
    // Every way a window closes hides it: its size is taken then.
    if (pWatched == &m_dialog && type == QEvent::Hide && m_bShown && !pEvent->spontaneous())
        RememberSize();
    if ((type == QEvent::Show || type == QEvent::Hide) && pWatched->isWidgetType() &&
        static_cast<QWidget*>(pWatched)->parentWidget() == m_pTopBarLayout->parentWidget())
        FollowTopBar(static_cast<QWidget*>(pWatched), type == QEvent::Show);
    // A key is offered to the focus widget before it is tried as a shortcut:
    // the items' states are made current first.
    if (type == QEvent::ShortcutOverride)
        UpdateStates();
    return false;
}
