#include "ClipboardService.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void DesktopClipboard::PutRows(const QString& plainText, const QByteArray& csv)
{
    auto* pData = new QMimeData;
    pData->setText(plainText);
    pData->setData(QString::fromLatin1(kCsvMimeType), csv);
    // The clipboard takes the data over.
    QGuiApplication::clipboard()->setMimeData(pData);
}

QString DesktopClipboard::Text() const
{
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    if (!pData)
        return {};
    if (pData->hasText())
        return pData->text();
    return QString::fromUtf8(pData->data(QString::fromLatin1(kCsvMimeType)));
}
