#include "CDialog.h"

#include <limits>
#include <optional>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "DisplayAccessible.h"
#include "ExitWhenShown.h"
#include "ListView.h"
#include "resource.h"

namespace {

const DialogTemplate& TemplateOrEmpty(int id)
{
    static const ControlTemplate kNone[] = {{IDOK, ControlKind::DefPushButton, "OK", 5, 5, 50, 14, StyleNone}};
    static const DialogTemplate kEmpty = MakeDialogTemplate(0, "", 60, 24, DialogStyleNone, kNone);
    const DialogTemplate* pTemplate = FindDialogTemplate(id);
    return pTemplate ? *pTemplate : kEmpty;
}

Qt::Alignment TextAlignment(unsigned styles)
{
    Qt::Alignment alignment = (styles & StyleCenter) ? Qt::AlignHCenter
                              : (styles & StyleRight) ? Qt::AlignRight
                                                      : Qt::AlignLeft;
    return alignment | ((styles & StyleVCenter) ? Qt::AlignVCenter : Qt::AlignTop);
}

// A drop-down list's template height is that of its open list; closed, it is one line.
QRect UnitRect(const ControlTemplate& control)
{
    const int cy = control.kind == ControlKind::ComboDropList ? std::min(control.cy, 12) : control.cy;
    return QRect(control.x, control.y, control.cx, cy);
}

bool TakesAName(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::ComboDropList || kind == ControlKind::DisplayText ||
           kind == ControlKind::ListView;
}

// The smallest frame that holds the rectangle, or nullptr.
const ControlTemplate* EnclosingFrame(const DialogTemplate& tpl, const QRect& rect)
{
    const ControlTemplate* pBest = nullptr;
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& frame = tpl.controls[i];
        if (frame.kind != ControlKind::GroupBox || !UnitRect(frame).contains(rect))
            continue;
        if (!pBest || frame.cx * frame.cy < pBest->cx * pBest->cy)
            pBest = &frame;
    }
    return pBest;
}

// Room a display keeps beside its text: its sunken frame and a little air.
constexpr int kDisplayTextMargin = 6;

bool IsEnterKey(const QKeyEvent* pEvent)
{
    return pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter;
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 letters, rounded as the original platform rounds it.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{static_cast<double>((letters / 26 + 1) / 2), static_cast<double>(metrics.height())};
}

QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy)
{
    const auto px = [&](int v) { return qRound(v * units.cx / 4.0); };
    const auto py = [&](int v) { return qRound(v * units.cy / 8.0); };
    return QRect(px(x), py(y), px(x + cx) - px(x), py(y + cy) - py(y));
}

DialogBaseUnits FitCaptions(const DialogTemplate& tpl, const QFont& font, DialogBaseUnits units)
{
    const QFontMetrics metrics(font);
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& control = tpl.controls[i];
        if (!control.text || !*control.text || control.cx <= 0 || (control.styles & StyleHidden))
            continue;
        int margin = 0;
        switch (control.kind) {
        case ControlKind::Label:
            if (control.cy > 12) // several lines: the text wraps instead
                continue;
            margin = 2;
            break;
        case ControlKind::DisplayText:
            margin = kDisplayTextMargin;
            break;
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            margin = 12;
            break;
        case ControlKind::GroupBox:
            margin = 16;
            break;
        default:
            continue;
        }
        const int need = metrics.horizontalAdvance(QString::fromLatin1(control.text)) + margin;
        units.cx = std::max(units.cx, need * 4.0 / control.cx);
    }
    // A sunken display of one line must hold a line of text inside its frame.
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& control = tpl.controls[i];
        if (control.kind == ControlKind::DisplayText && (control.styles & StyleSunken) && control.cy > 0 &&
            control.cy <= 12)
            units.cy = std::max(units.cy, (metrics.height() + 4) * 8.0 / control.cy);
    }
    return units;
}

std::vector<QString> TextsInEveryDigit(const QString& pattern, const QString& digits)
{
    std::vector<QString> texts;
    for (const QChar digit : digits) {
        QString text = pattern;
        text.replace(QLatin1Char('#'), digit);
        texts.push_back(text);
    }
    return texts;
}

int DialogLayout::X(int x) const
{
    int px = qRound(x * units.cx / 4.0);
    for (const ColumnStretch& stretch : stretches) {
        if (x >= stretch.at)
            px += stretch.extra;
    }
    return px;
}

QRect DialogLayout::ToPixels(int x, int y, int cx, int cy) const
{
    const QRect vertical = DialogUnitsToPixels(units, 0, y, 0, cy);
    return QRect(X(x), vertical.y(), X(x + cx) - X(x), vertical.height());
}

namespace {

// What it costs that a control grows with a stretched column: nothing for a
// frame or a text, a little for an edit, much for what a person presses or
// reads as a block.
int GrowthCost(ControlKind kind)
{
    switch (kind) {
    case ControlKind::GroupBox:
        return 0;
    case ControlKind::Label:
    case ControlKind::DisplayText:
        return 1;
    case ControlKind::Edit:
        return 3;
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::ComboDropList:
        return 10;
    case ControlKind::ListView:
    case ControlKind::Icon:
        return 20;
    }
    return 20;
}

// The column inside the display whose stretching grows the cheapest controls;
// of equal ones the rightmost, which moves the fewest.
int CheapestColumn(const DialogTemplate& tpl, const ControlTemplate& display)
{
    int best = display.x + display.cx;
    int bestCost = std::numeric_limits<int>::max();
    for (int at = display.x + display.cx; at > display.x; --at) {
        int cost = 0;
        for (std::size_t i = 0; i < tpl.controlCount; ++i) {
            const ControlTemplate& control = tpl.controls[i];
            if (&control == &display || (control.styles & StyleHidden))
                continue;
            if (control.x < at && at <= control.x + control.cx)
                cost += GrowthCost(control.kind);
        }
        if (cost < bestCost) {
            bestCost = cost;
            best = at;
        }
    }
    return best;
}

} // namespace

DialogLayout FitDisplayTexts(const DialogTemplate& tpl, const QFont& font, const DialogBaseUnits& units,
                             const DisplayTexts& texts)
{
    DialogLayout layout{units, {}};
    const QFontMetrics metrics(font);
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& control = tpl.controls[i];
        const auto it = texts.find(control.id);
        if (control.kind != ControlKind::DisplayText || it == texts.end())
            continue;
        int widest = 0;
        for (const QString& text : it->second)
            widest = std::max(widest, metrics.horizontalAdvance(text));
        const int need = widest + kDisplayTextMargin;
        const int have = layout.ToPixels(control.x, 0, control.cx, 0).width();
        if (need > have)
            layout.stretches.push_back(ColumnStretch{CheapestColumn(tpl, control), need - have});
    }
    return layout;
}

namespace {

constexpr int kIconSizes[] = {16, 32, 48, 256};

// The application icon with its images decoded at the first request for a
// picture. Adding an image file to an icon decodes it at once, with the search
// for image plugins on the way: milliseconds at every start, although some
// window systems never ask for the window icon. Until then the icon answers
// only which sizes it has; afterwards everything goes to the icon built from
// the files as usual.
class DeferredIconEngine : public QIconEngine
{
public:
    DeferredIconEngine() = default;
    DeferredIconEngine(const DeferredIconEngine& other) : QIconEngine(other), m_icon(other.m_icon) {}

    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }
    QString key() const override { return QStringLiteral("VornalixDeferredIcon"); }
    bool isNull() override { return false; }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        if (m_icon)
            return m_icon->availableSizes(mode, state);
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off) {
            for (int size : kIconSizes)
                sizes.append(QSize(size, size));
        }
        return sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return Icon().pixmap(size, scale, mode, state);
    }
    void paint(QPainter* pPainter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().paint(pPainter, rect, Qt::AlignCenter, mode, state);
    }

private:
    const QIcon& Icon()
    {
        if (!m_icon) {
            QIcon icon;
            for (int size : kIconSizes)
                icon.addFile(QStringLiteral(":/vornalix/vornalix-%1.png").arg(size), QSize(size, size));
            m_icon = icon;
        }
        return *m_icon;
    }

    std::optional<QIcon> m_icon;
};

} // namespace

QIcon ApplicationIcon()
{
    static const QIcon icon(new DeferredIconEngine);
    return icon;
}

CDialog::CDialog(int templateId, QWidget* pParent, const DisplayTexts& displayTexts)
    : QDialog(pParent), m_template(TemplateOrEmpty(templateId))
{
    setWindowTitle(QString::fromLatin1(m_template.title));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(QApplication::font());
    BuildControls(displayTexts);
}

CDialog::~CDialog() = default;

void CDialog::BuildControls(const DisplayTexts& displayTexts)
{
    m_layout = FitDisplayTexts(m_template, font(), FitCaptions(m_template, font(), BaseUnitsOf(font())), displayTexts);
    const QRect client = m_layout.ToPixels(0, 0, m_template.cx, m_template.cy);
    setFixedSize(client.size());

    std::vector<QWidget*> frames;
    for (std::size_t i = 0; i < m_template.controlCount; ++i) {
        const ControlTemplate& control = m_template.controls[i];
        QWidget* pWidget = CreateControl(control);
        if (control.kind == ControlKind::Label)
            pWidget->setProperty("vornalixTemplateIndex", static_cast<uint>(i));
        if (control.id != IDC_STATIC) {
            pWidget->setObjectName(QString::number(control.id));
            m_controls[control.id] = pWidget;
        }
        if (control.kind == ControlKind::GroupBox)
            frames.push_back(pWidget);
        if (control.styles & StyleHidden)
            pWidget->hide();
        if (control.styles & StyleDisabled)
            pWidget->setEnabled(false);
        pWidget->installEventFilter(this);
    }
    NameControlsByLabels();
    // Frames are drawn beneath the controls they surround and never take clicks.
    for (QWidget* pFrame : frames) {
        pFrame->lower();
        pFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

// Assistive technologies name an edit, combo box, display or list by the label a
// person reads for it: the label on its left in the same row, joined by a column
// heading aligned above it; without either, the frame around it.
void CDialog::NameControlsByLabels()
{
    std::vector<std::pair<const ControlTemplate*, QLabel*>> labels;
    for (QLabel* pLabel : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        const auto index = pLabel->property("vornalixTemplateIndex");
        if (index.isValid())
            labels.emplace_back(&m_template.controls[index.toUInt()], pLabel);
    }
    for (std::size_t i = 0; i < m_template.controlCount; ++i) {
        const ControlTemplate& control = m_template.controls[i];
        QWidget* pWidget = GetDlgItem(control.id);
        if (!pWidget || !TakesAName(control.kind))
            continue;
        const QRect rect = UnitRect(control);
        const ControlTemplate* pFrame = EnclosingFrame(m_template, rect);
        std::pair<const ControlTemplate*, QLabel*> left{nullptr, nullptr}, above{nullptr, nullptr};
        for (const auto& label : labels) {
            const QRect r = UnitRect(*label.first);
            if (EnclosingFrame(m_template, r) != pFrame)
                continue;
            const bool sameRow = r.top() <= rect.bottom() && r.bottom() >= rect.top();
            if (sameRow && r.right() < rect.left() && (!left.first || r.x() > left.first->x))
                left = label;
            const bool column = std::abs(r.x() - rect.x()) <= 4 && r.bottom() < rect.top() && rect.top() - r.bottom() <= 20;
            if (column && (!above.first || r.y() > above.first->y))
                above = label;
        }
        QStringList parts;
        if (left.second)
            parts << left.second->text();
        if (above.second)
            parts << above.second->text();
        if (parts.isEmpty() && pFrame)
            parts << QString::fromLatin1(pFrame->text);
        if (parts.isEmpty())
            continue;
        pWidget->setAccessibleName(parts.join(QLatin1Char(' ')));
        if (QLabel* pBuddy = left.second ? left.second : above.second)
            pBuddy->setBuddy(pWidget);
    }
}

QWidget* CDialog::CreateControl(const ControlTemplate& control)
{
    const QRect rect = m_layout.ToPixels(control.x, control.y, control.cx, control.cy);
    const QString text = control.text ? QString::fromLatin1(control.text) : QString();
    QWidget* pWidget = nullptr;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* pButton = new QPushButton(text, this);
        pButton->setAutoDefault(false);
        if (control.kind == ControlKind::DefPushButton) {
            pButton->setDefault(true);
            m_defaultId = control.id;
        }
        const int id = control.id;
        connect(pButton, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        pWidget = pButton;
        break;
    }
    case ControlKind::Label:
    case ControlKind::DisplayText: {
        auto* pLabel = new QLabel(text, this);
        pLabel->setTextFormat(Qt::PlainText);
        pLabel->setAlignment(TextAlignment(control.styles));
        pLabel->setWordWrap(control.kind == ControlKind::Label && control.cy > 12);
        if (control.styles & StyleSunken)
            pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (control.kind == ControlKind::DisplayText)
            MarkAsDisplay(pLabel);
        pWidget = pLabel;
        break;
    }
    case ControlKind::GroupBox:
        pWidget = new QGroupBox(text, this);
        break;
    case ControlKind::Edit: {
        auto* pEdit = new QLineEdit(text, this);
        pEdit->setFrame(control.styles & StyleBorder);
        if (control.styles & StyleNumber)
            pEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), pEdit));
        pWidget = pEdit;
        break;
    }
    case ControlKind::ComboDropList: {
        auto* pCombo = new QComboBox(this);
        pCombo->setEditable(false);
        for (const char* const* pItem = control.items; pItem && *pItem; ++pItem)
            pCombo->addItem(QString::fromLatin1(*pItem));
        pCombo->setCurrentIndex(-1);
        pCombo->setMaxVisibleItems(std::max(5, rect.height() / std::max(1, pCombo->fontMetrics().height())));
        pCombo->setGeometry(rect.x(), rect.y(), rect.width(), pCombo->sizeHint().height());
        return pCombo;
    }
    case ControlKind::ListView:
        pWidget = new ListView(this, control.styles & StyleSingleSel);
        break;
    case ControlKind::Icon: {
        auto* pLabel = new QLabel(this);
        pLabel->setPixmap(ApplicationIcon().pixmap(32, 32));
        pWidget = pLabel;
        break;
    }
    }
    pWidget->setGeometry(rect);
    return pWidget;
}

QWidget* CDialog::GetDlgItem(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QString CDialog::GetDlgItemText(int id) const
{
    QWidget* pWidget = GetDlgItem(id);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
        return pEdit->text();
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget))
        return pLabel->text();
    if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
        return pButton->text();
    if (auto* pCombo = qobject_cast<QComboBox*>(pWidget))
        return pCombo->currentText();
    if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget))
        return pGroup->title();
    return {};
}

void CDialog::SetDlgItemText(int id, const QString& text)
{
    QWidget* pWidget = GetDlgItem(id);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
        pEdit->setText(text);
    else if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
        const QString oldText = pLabel->text();
        pLabel->setText(text);
        if (IsDisplay(pLabel))
            NotifyDisplayTextChanged(pLabel, oldText, text);
    }
    else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
        pButton->setText(text);
    else if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget))
        pGroup->setTitle(text);
}

void CDialog::EnableDlgItem(int id, bool bEnable)
{
    if (QWidget* pWidget = GetDlgItem(id))
        pWidget->setEnabled(bEnable);
}

bool CDialog::IsDlgItemEnabled(int id) const
{
    QWidget* pWidget = GetDlgItem(id);
    return pWidget && pWidget->isEnabled();
}

void CDialog::GotoDlgCtrl(int id)
{
    if (QWidget* pWidget = GetDlgItem(id))
        pWidget->setFocus(Qt::OtherFocusReason);
}

QComboBox* CDialog::ComboBox(int id) const
{
    return qobject_cast<QComboBox*>(GetDlgItem(id));
}

int CDialog::ComboGetCurSel(int id) const
{
    QComboBox* pCombo = ComboBox(id);
    return pCombo ? pCombo->currentIndex() : -1;
}

void CDialog::ComboSetCurSel(int id, int index)
{
    if (QComboBox* pCombo = ComboBox(id))
        pCombo->setCurrentIndex(index < pCombo->count() ? index : -1);
}

int CDialog::ComboAddString(int id, const QString& text)
{
    QComboBox* pCombo = ComboBox(id);
    if (!pCombo)
        return -1;
    // Adding must not select: a drop-down list starts without a selection.
    const int selected = pCombo->currentIndex();
    pCombo->addItem(text);
    pCombo->setCurrentIndex(selected);
    return pCombo->count() - 1;
}

void CDialog::ComboSetItemData(int id, int index, std::int32_t value)
{
    if (QComboBox* pCombo = ComboBox(id))
        pCombo->setItemData(index, value);
}

std::int32_t CDialog::ComboGetItemData(int id, int index) const
{
    QComboBox* pCombo = ComboBox(id);
    return pCombo ? pCombo->itemData(index).toInt() : 0;
}

void CDialog::ComboResetContent(int id)
{
    if (QComboBox* pCombo = ComboBox(id))
        pCombo->clear();
}

int CDialog::ComboGetCount(int id) const
{
    QComboBox* pCombo = ComboBox(id);
    return pCombo ? pCombo->count() : 0;
}

QString CDialog::ComboGetLBText(int id, int index) const
{
    QComboBox* pCombo = ComboBox(id);
    return pCombo ? pCombo->itemText(index) : QString();
}

ListView* CDialog::GetListView(int id) const
{
    return qobject_cast<ListView*>(GetDlgItem(id));
}

void CDialog::OnClicked(int id, std::function<void()> handler)
{
    m_handlers[id] = std::move(handler);
}

bool CDialog::OnCommand(int id)
{
    const auto it = m_handlers.find(id);
    if (it != m_handlers.end()) {
        it->second();
        return true;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::OnInitDialog()
{
    return true;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::PreTranslateMessage(QWidget*, QKeyEvent*)
{
    return false;
}

bool CDialog::OpenFile(const QString&)
{
    return false;
}

void CDialog::InitDialog()
{
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    const bool bSetFocus = OnInitDialog();
    if (!m_startupFile.isEmpty())
        OpenFile(m_startupFile);
    if (!bSetFocus)
        return;
    // The framework's initial focus: the first control in template order that takes the Tab key.
    for (std::size_t i = 0; i < m_template.controlCount; ++i) {
        QWidget* pWidget = GetDlgItem(m_template.controls[i].id);
        if (pWidget && pWidget->isEnabled() && !pWidget->isHidden() && (pWidget->focusPolicy() & Qt::TabFocus)) {
            pWidget->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void CDialog::Create()
{
    InitDialog();
    show();
}

int CDialog::DoModal()
{
    InitDialog();
    m_bInModalLoop = true;
    if (ExitWhenShownRequested())
        new ExitWhenShown(this, [this] { EndDialog(IDCANCEL); });
    const int result = exec();
    m_bInModalLoop = false;
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    if (m_bInModalLoop) {
        done(result);
        return;
    }
    hide();
    DestroyWindow();
}

bool CDialog::DestroyWindow()
{
    if (!m_bDestroyed) {
        m_bDestroyed = true;
        OnDestroy();
    }
    hide();
    return true;
}

bool CDialog::HandleDialogKey(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Escape) {
        OnCommand(IDCANCEL);
        return true;
    }
    if (!IsEnterKey(pEvent))
        return false;
    // Enter presses a focused push button, else the default button when it is enabled.
    if (auto* pButton = qobject_cast<QPushButton*>(focusWidget())) {
        if (pButton->isEnabled() && !pButton->objectName().isEmpty()) {
            OnCommand(pButton->objectName().toInt());
            return true;
        }
    }
    if (m_defaultId == 0)
        OnCommand(IDOK);
    else if (IsDlgItemEnabled(m_defaultId))
        OnCommand(m_defaultId);
    return true;
}

bool CDialog::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() == QEvent::KeyPress && pWatched->isWidgetType()) {
        auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if (PreTranslateMessage(static_cast<QWidget*>(pWatched), pKey))
            return true;
        if (HandleDialogKey(pKey))
            return true;
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

void CDialog::keyPressEvent(QKeyEvent* pEvent)
{
    if (PreTranslateMessage(this, pEvent) || HandleDialogKey(pEvent))
        return;
    QDialog::keyPressEvent(pEvent);
}

void CDialog::closeEvent(QCloseEvent* pEvent)
{
    // The close box is the cancel command.
    pEvent->ignore();
    OnCommand(IDCANCEL);
}
