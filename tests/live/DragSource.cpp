// Not a test: a stand-in for a file manager in the live test. Its window,
// titled "vornalix drag source", starts a drag of the files named on its
// command line (text/uri-list with file:// URLs, offered as copy, move or
// link, as a file manager offers them) when the mouse button goes down on it;
// the drag then follows the X pointer, which xdotool moves, to the window it
// is dropped on. After each drag it prints the action the target took
// ("copy", or "ignore" when it refused the files) on its own line.
#include <cstdio>

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace {

class DragSource : public QLabel
{
public:
    explicit DragSource(const QStringList& paths) : QLabel(QStringLiteral("Drag from here")), m_paths(paths)
    {
        setWindowTitle(QStringLiteral("vornalix drag source"));
        setAlignment(Qt::AlignCenter);
        resize(200, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* pEvent) override
    {
        if (pEvent->button() != Qt::LeftButton)
            return;
        auto* pData = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : m_paths)
            urls << QUrl::fromLocalFile(path);
        pData->setUrls(urls);
        auto* pDrag = new QDrag(this);
        pDrag->setMimeData(pData);
        const Qt::DropAction action = pDrag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("%s\n", action == Qt::CopyAction   ? "copy"
                            : action == Qt::MoveAction ? "move"
                            : action == Qt::LinkAction ? "link"
                                                       : "ignore");
        std::fflush(stdout);
    }

private:
    QStringList m_paths;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    DragSource source(QApplication::arguments().mid(1));
    source.show();
    return QApplication::exec();
}
