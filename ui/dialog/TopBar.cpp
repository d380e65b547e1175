#include "ui/dialog/TopBar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QLabel* MakeTopBar(QFrame& bar, const QString& objectName, const QString& accessibleName)
{
    bar.setObjectName(objectName);
    bar.setAccessibleName(accessibleName);
    bar.setFrameShape(QFrame::StyledPanel);
    bar.setAutoFillBackground(true);
    bar.setBackgroundRole(QPalette::ToolTipBase);
    auto* pText = new QLabel(&bar);
    pText->setForegroundRole(QPalette::ToolTipText);
    pText->setWordWrap(true);
    pText->setTextFormat(Qt::PlainText);
    auto* pLayout = new QHBoxLayout(&bar);
    pLayout->setContentsMargins(6, 3, 6, 3);
    pLayout->addWidget(pText, 1);
    bar.hide();
    return pText;
}

QPushButton* AddTopBarButton(QFrame& bar, const QString& text)
{
    auto* pButton = new QPushButton(text, &bar);
    // Reached with Tab, but a click or the bar appearing never takes the
    // focus from where the person types; nor is it ever the dialog's default.
    pButton->setFocusPolicy(Qt::TabFocus);
    pButton->setAutoDefault(false);
    pButton->setDefault(false);
    bar.layout()->addWidget(pButton);
    return pButton;
}
