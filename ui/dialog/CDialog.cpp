#include "ui/dialog/CDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "res/AccessibleTexts.h"
#include "res/resource.h"
#include "ui/dialog/AccessibleNames.h"
#include "ui/dialog/AccessibleTree.h"
#include "ui/dialog/DisplayAccessible.h"
#include "ui/dialog/ListView.h"

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
    Qt::Alignment alignment = (styles & StyleCenter)  ? Qt::AlignHCenter
                              : (styles & StyleRight) ? Qt::AlignRight
                                                      : Qt::AlignLeft;
    return alignment | ((styles & StyleVCenter) ? Qt::AlignVCenter : Qt::AlignTop);
}

bool IsEnterKey(const QKeyEvent* pEvent)
{
    return pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter;
}


} // namespace

CDialog::CDialog(int templateId, UserServices& services, QWidget* pParent, const DisplayTexts& displayTexts)
    : QDialog(pParent), m_services(services), m_template(TemplateOrEmpty(templateId))
{
    setWindowTitle(QString::fromLatin1(m_template.title));
    // Screen readers tell the windows apart by name where their titles are alike.
    if (const char* windowName = AccessibleWindowName(m_template.id))
        setAccessibleName(QString::fromLatin1(windowName));
    LeaveHiddenChildrenOut(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(QApplication::font());
    BuildControls(displayTexts);
}

CDialog::~CDialog()
{
    emit Destroying();
}


void CDialog::BuildControls(const DisplayTexts& displayTexts)
{
    m_layout = FitDisplayTexts(m_template, font(), FitCaptions(m_template, font(), BaseUnitsOf(font())), displayTexts);
    const QRect client = m_layout.ToPixels(0, 0, m_template.cx, m_template.cy);
    setFixedSize(client.size());

    std::vector<QWidget*> frames;
    for (std::size_t i = 0; i < m_template.controlCount; ++i) {
        const ControlTemplate& control = m_template.controls[i];
        QWidget* pWidget = CreateControl(control);
        m_templateControls.push_back(pWidget);
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
    NameControlsByLabels(this, m_template, [this](int id) { return GetDlgItem(id); });
    // Frames are drawn beneath the controls they surround and never take clicks.
    for (QWidget* pFrame : frames) {
        pFrame->lower();
        pFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
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
        // A display's value stands in the middle of its frame, vertically too,
        // whatever room the frame has over one line of text.
        const Qt::Alignment alignment = TextAlignment(control.styles);
        pLabel->setAlignment(control.kind == ControlKind::DisplayText
                                 ? (alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter
                                 : alignment);
        pLabel->setWordWrap(control.kind == ControlKind::Label && control.cy > 12);
        if (control.styles & StyleSunken)
            pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (control.kind == ControlKind::DisplayText)
            MarkAsDisplay(pLabel);
        pWidget = pLabel;
        break;
    }
    case ControlKind::GroupBox: pWidget = new QGroupBox(text, this); break;
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
        NameByLabel(pCombo);
        return pCombo;
    }
    case ControlKind::ListView: pWidget = new ListView(this, control.styles & StyleSingleSel); break;
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

QWidget* CDialog::Item(int id) const
{
    QWidget* pWidget = GetDlgItem(id);
    Q_ASSERT_X(pWidget, "CDialog", qPrintable(QStringLiteral("no control %1 in dialog %2").arg(id).arg(m_template.id)));
    return pWidget;
}

QString CDialog::GetDlgItemText(int id) const
{
    QWidget* pWidget = Item(id);
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
    QWidget* pWidget = Item(id);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
        pEdit->setText(text);
    else if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
        // Displays are shown again after every change of the document; one
        // that already shows the text neither changes nor tells.
        const QString oldText = pLabel->text();
        if (oldText == text)
            return;
        pLabel->setText(text);
        if (IsDisplay(pLabel))
            NotifyDisplayTextChanged(pLabel, oldText, text);
    } else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
        pButton->setText(text);
    else if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget))
        pGroup->setTitle(text);
}

void CDialog::EnableDlgItem(int id, bool bEnable)
{
    if (QWidget* pWidget = Item(id))
        pWidget->setEnabled(bEnable);
}

bool CDialog::IsDlgItemEnabled(int id) const
{
    QWidget* pWidget = Item(id);
    return pWidget && pWidget->isEnabled();
}

void CDialog::GotoDlgCtrl(int id)
{
    if (QWidget* pWidget = Item(id))
        pWidget->setFocus(Qt::OtherFocusReason);
}

QComboBox* CDialog::ComboBox(int id) const
{
    return Control<QComboBox>(id);
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
    emit Initialized();
    if (!m_startupFile.isEmpty())
        OpenFile(m_startupFile);
    if (!bSetFocus)
        return;
    // The focus starts where the Tab order does: the first control in template
    // order that takes the Tab key.
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

QWidget* CDialog::ClientArea() const
{
    return m_pClient ? m_pClient : const_cast<CDialog*>(this);
}


QWidget* CDialog::MoveControlsOntoClientArea()
{
    if (m_pClient)
        return m_pClient;
    // The controls move, in their stacking order, onto an area of the
    // template's size, so that each keeps its template position on it.
    const QList<QWidget*> controls = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    m_pClient = new QWidget(this);
    LeaveHiddenChildrenOut(m_pClient);
    m_pClient->setGeometry(rect());
    for (QWidget* pControl : controls) {
        const bool bHidden = pControl->isHidden();
        const QRect geometry = pControl->geometry();
        pControl->setParent(m_pClient);
        pControl->setGeometry(geometry);
        pControl->setVisible(!bHidden);
    }
    return m_pClient;
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
