#pragma once
// The icons and type names of the program's file dialogs, told by the kind of
// entry and its name alone. Qt's own provider asks the MIME database, which
// reads a file's first bytes where its name says too little: a link to a file
// whose reads wait (a tracefs trace_pipe, /proc/kmsg) froze the Save As
// dialog in a folder that held one.

#include <QAbstractFileIconProvider>

class NameOnlyIconProvider : public QAbstractFileIconProvider
{
public:
    using QAbstractFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};
