#pragma once
// Table files dragged onto a window from a file manager (text/uri-list with
// file:// URLs). The launcher and both editors take them; each file goes the
// way a file named by a later start of the program goes (the launcher's
// OpenFilesFromAnotherStart): into the open editor of its kind, else into the
// editor the launcher opens for it, an old table into the converter.

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

class QDropEvent;
class QMimeData;
class QWidget;
class UserServices;

// The files of a drag, sorted without opening any of them: a FIFO or a
// device is never read, so that a drag over a window cannot block it.
struct DraggedFiles
{
    QStringList tables;  // local paths of table files the program opens, in their order
    QStringList refused; // for each of the others, why: "Cannot open "x": it is a folder."
};
// A URL is taken when it names a local regular file with a table's
// extension (.ccf, .tsf, .cft in any case); anything else is refused with its
// reason.
DraggedFiles SortDraggedFiles(const QList<QUrl>& urls);

// Makes a window and its controls that take drops of their own (the text
// fields) a target for table files. While files are dragged over it the
// window shows acceptance only when the drag holds a file it will take; on
// the drop those files are opened after the drop has ended, and the files
// refused are named in one message. Drags without URLs (text between fields)
// are left to the controls as before.
class FileDropTarget : public QObject
{
public:
    FileDropTarget(QWidget& window, UserServices& services);

    // The message names this many refused files, and counts the rest.
    static constexpr int kMaxRefusalsNamed = 10;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    bool ReadDraggedUrls(const QMimeData& mimeData);
    void OnDragEnter(QDropEvent& event);
    void OnDragMove(QDropEvent& event);
    void OnDrop(QDropEvent& event);
    void ForgetDrag();
    void Refuse(const QStringList& reasons);

    QWidget& m_window;
    UserServices& m_services;
    // The answer to the drag now over the window, given once its URLs were read.
    bool m_bTakingDrag = false;
    // The drag's URLs as last read from it: empty until a read came through.
    QList<QUrl> m_draggedUrls;
};
