#include "ui/editor/EditorCommands.h"

#include <QKeyEvent>

#include "res/Strings.h"
#include "ui/app/CAboutDlg.h"

QString CommandText(const char* caption, const std::string& stepName)
{
    QString text = QString::fromLatin1(caption);
    if (!stepName.empty())
        text += QLatin1Char(' ') + QString::fromStdString(stepName);
    return text;
}

std::string MenuText(const char* name, char letter, bool bAsks)
{
    std::string text = name;
    const std::size_t at = text.find(letter);
    if (at != std::string::npos)
        text.insert(at, 1, '&');
    return bAsks ? text + "..." : text;
}

QString RowMenuText(const QString& text, const CommandKey& key)
{
    if (!key.keys || key.standard != StandardShortcut::None)
        return text;
    return text + QLatin1Char('\t') + QString::fromLatin1(key.keys);
}

bool IsKeyOf(const QKeyEvent* pEvent, const QList<QKeySequence>& keys)
{
    const Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
    return keys.contains(QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(pEvent->key()))));
}

const char* SharedEditorCommands::AboutText()
{
    return LoadResourceString(IDS_ABOUTBOX);
}

void SharedEditorCommands::ShowAbout(CDialog& dialog)
{
    CAboutDlg about(dialog.Services());
    dialog.Services().RunModal(about);
}
