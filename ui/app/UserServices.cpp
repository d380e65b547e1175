#include "ui/app/UserServices.h"

#include <algorithm>
#include <functional>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

#include "res/Strings.h"
#include "ui/app/ClipboardService.h"
#include "ui/app/FileDialogIcons.h"
#include "ui/dialog/CDialog.h"
#include "ui/dialog/ScreenFit.h"
#include "ui/editor/RecoveryCopiesDlg.h"
#include "ui/tuner/CTunerChooserDlg.h"

ClipboardService& UserServices::Clipboard()
{
    static DesktopClipboard desktop;
    return desktop;
}

UserServices& DesktopServices()
{
    static QtUserServices desktop;
    return desktop;
}

QString QtFileFilter(const QString& filterText)
{
    const QStringList parts = filterText.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString name = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" in a filter text means every file; Qt's file dialog would
        // match only names with a dot.
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        const qsizetype open = name.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            name = name.left(open).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

QString FilterExtension(const QString& filterText, int iFilter)
{
    const QStringList parts = filterText.split(QLatin1Char('|'));
    const int index = 2 * iFilter + 1;
    if (iFilter < 0 || index >= parts.size() || parts[index - 1].isEmpty())
        return {};
    const QString first = parts[index].split(QLatin1Char(';')).constFirst().trimmed();
    if (!first.startsWith(QStringLiteral("*.")))
        return {};
    const QString extension = first.mid(2);
    return extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?')) ? QString() : extension;
}

std::optional<FileChoice> UserServices::ChooseFileAndFilter(const FileDialogRequest& request)
{
    const std::optional<QString> path = ChooseFile(request);
    if (!path)
        return std::nullopt;
    return FileChoice{*path, 0};
}

namespace {

// The extension a name typed without one is given under the filter at this
// index: the filter's own, or the request's default for "All Files".
QString SuffixUnderFilter(const FileDialogRequest& request, int iFilter)
{
    const QString extension = FilterExtension(request.filter, iFilter);
    return extension.isEmpty() ? request.defaultExt : extension;
}

// Qt's own dialog sizes its size, type and date columns for sample texts
// ("128.88 GB", "10/29/81 02:02PM"), which the header's captions and the
// locale's dates can exceed, and opens too narrow for the four columns at
// larger fonts. Once the folder is listed, every column but the name takes
// the width of what it shows, and the dialog grows, within the screen, until
// the columns fit beside the name.
void FitDetailColumns(QFileDialog& dialog)
{
    auto* pTree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!pTree)
        return;
    QHeaderView* pHeader = pTree->header();
    for (int column = 1; column < pHeader->count(); ++column)
        pTree->resizeColumnToContents(column);
    const int iMissing = pHeader->length() - pTree->viewport()->width();
    if (iMissing > 0 && dialog.isVisible()) {
        dialog.resize(dialog.width() + iMissing, dialog.height());
        KeepInsideAvailableArea(dialog);
    }
}

void FitDetailColumnsOnceListed(QFileDialog& dialog)
{
    if (auto* pModel = dialog.findChild<QFileSystemModel*>()) {
        QObject::connect(pModel, &QFileSystemModel::directoryLoaded, &dialog, [&dialog] { FitDetailColumns(dialog); });
    }
    // A folder listed before the dialog was shown is fitted once it is.
    QTimer::singleShot(0, &dialog, [&dialog] { FitDetailColumns(dialog); });
}

// The chooser as the request asks for it, in the given mode. The icons are
// given before any folder is listed, since the listing asks them of every
// entry, and live longer than the dialog.
void SetUpFileDialog(QFileDialog& dialog, QAbstractFileIconProvider& icons, const FileDialogRequest& request,
                     QFileDialog::FileMode mode)
{
    dialog.setIconProvider(&icons);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(request.bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(mode);
    if (mode == QFileDialog::Directory)
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    else
        dialog.setNameFilters(QtFileFilter(request.filter).split(QStringLiteral(";;")));
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    FitDetailColumnsOnceListed(dialog);
}

// What the person chose of files or folders that exist; nothing for none.
std::optional<QStringList> ChooseExisting(const FileDialogRequest& request, QFileDialog::FileMode mode)
{
    NameOnlyIconProvider icons;
    QFileDialog dialog(nullptr);
    SetUpFileDialog(dialog, icons, request, mode);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}

} // namespace

std::optional<QStringList> UserServices::ChooseFiles(const FileDialogRequest& request)
{
    const std::optional<QString> path = ChooseFile(request);
    if (!path)
        return std::nullopt;
    return QStringList{*path};
}

std::optional<QString> UserServices::ChooseFolder(const FileDialogRequest& request)
{
    return ChooseFile(request);
}

std::optional<QStringList> QtUserServices::ChooseFiles(const FileDialogRequest& request)
{
    return ChooseExisting(request, QFileDialog::ExistingFiles);
}

std::optional<QString> QtUserServices::ChooseFolder(const FileDialogRequest& request)
{
    const std::optional<QStringList> folders = ChooseExisting(request, QFileDialog::Directory);
    if (!folders)
        return std::nullopt;
    return folders->constFirst();
}

std::optional<QString> QtUserServices::ChooseFile(const FileDialogRequest& request)
{
    const std::optional<FileChoice> choice = ChooseFileAndFilter(request);
    if (!choice)
        return std::nullopt;
    return choice->path;
}

std::optional<FileChoice> QtUserServices::ChooseFileAndFilter(const FileDialogRequest& request)
{
    NameOnlyIconProvider icons;
    QFileDialog dialog(nullptr);
    SetUpFileDialog(dialog, icons, request, request.bOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = dialog.nameFilters();
    // The suffix follows the filter shown, so that a plain name takes the
    // extension of the format chosen; Qt's own dialog and the desktop's
    // (GTK) one both report a change of filter through filterSelected.
    dialog.setDefaultSuffix(SuffixUnderFilter(request, 0));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(SuffixUnderFilter(request, static_cast<int>(filters.indexOf(filter))));
    });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & OFN_OVERWRITEPROMPT));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    FileChoice choice;
    choice.path = dialog.selectedFiles().constFirst();
    choice.iFilter = std::max(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())));
    // A desktop dialog that does not add the suffix itself still gets it.
    if (!request.bOpen && QFileInfo(choice.path).suffix().isEmpty() && !choice.path.endsWith(QLatin1Char('.')))
        choice.path += QLatin1Char('.') + SuffixUnderFilter(request, choice.iFilter);
    return choice;
}

void QtUserServices::ShowMessage(QWidget* pOwner, const QString& text, MessageIcon)
{
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kProductName), text, QMessageBox::Ok, pOwner);
    box.exec();
}

void QtUserServices::ShowNote(QWidget* pOwner, const QString& text)
{
    auto* pBox =
        new QMessageBox(QMessageBox::Warning, QString::fromLatin1(kProductName), text, QMessageBox::Ok, pOwner);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    pBox->setWindowModality(Qt::NonModal);
    pBox->show();
}

int QtUserServices::TrackPopupMenu(QWidget*, const std::vector<MenuItem>& items, const QPoint& globalPos)
{
    // A menu of no window: the screen reader finds it among the application's
    // children while it is open (see AccessibleTree.h), where a menu of the
    // list would name a parent that does not list it.
    QMenu menu;
    for (const MenuItem& item : items) {
        if (item.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(item.text);
        action->setData(item.command);
        action->setEnabled(item.bEnabled);
    }
    QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}

int QtUserServices::RunModal(CDialog& dialog)
{
    return dialog.DoModal();
}

std::optional<std::vector<QString>> QtUserServices::AskValues(QWidget* pOwner, const ValuesRequest& request)
{
    QDialog form(pOwner);
    form.setWindowTitle(request.title);
    auto* pLayout = new QFormLayout(&form);
    std::vector<std::function<QString()>> readers;
    for (const ValueField& field : request.fields) {
        auto* pLabel = new QLabel(field.label, &form);
        if (field.choices.isEmpty()) {
            auto* pEdit = new QLineEdit(field.initial, &form);
            pEdit->selectAll();
            pLabel->setBuddy(pEdit);
            pLayout->addRow(pLabel, pEdit);
            readers.push_back([pEdit] { return pEdit->text(); });
        } else {
            auto* pChoice = new QComboBox(&form);
            pChoice->addItems(field.choices);
            pChoice->setCurrentText(field.initial);
            pLabel->setBuddy(pChoice);
            pLayout->addRow(pLabel, pChoice);
            readers.push_back([pChoice] { return pChoice->currentText(); });
        }
    }
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &form);
    QObject::connect(pButtons, &QDialogButtonBox::accepted, &form, &QDialog::accept);
    QObject::connect(pButtons, &QDialogButtonBox::rejected, &form, &QDialog::reject);
    pLayout->addRow(pButtons);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    std::vector<QString> values;
    for (const auto& read : readers)
        values.push_back(read());
    return values;
}

void QtUserServices::ShowRecoveryCopies(QWidget* pOwner, RecoveryCopiesList& list)
{
    RecoveryCopiesDlg dialog(list, pOwner);
    dialog.exec();
}

std::optional<std::size_t> QtUserServices::ChooseTuner(QWidget* pOwner, const TunerChooserRequest& request)
{
    CTunerChooserDlg dialog(request, pOwner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.SelectedIndex();
}
