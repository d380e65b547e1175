#include "ui/app/ApplicationIcon.h"

#include <optional>

#include <QIconEngine>
#include <QPainter>

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
