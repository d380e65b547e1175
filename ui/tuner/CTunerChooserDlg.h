#pragma once
// The small dialog of "Check Against Tuner...": the tuners of the chosen
// tuner table, one row each (factory and tuner type codes, the catalogue's
// name, the band edges), the previous choice selected. OK (or Enter, or a
// double click on a row) chooses the selected tuner; Cancel and Escape choose
// nothing. The desktop's services run it; tests answer through their own.

#include <cstddef>
#include <optional>

#include <QDialog>
#include <QFontMetrics>

#include "ui/tuner/TunerChooser.h"

class QPushButton;
class QTreeView;
class TunerRowsModel;

class CTunerChooserDlg : public QDialog
{
    Q_OBJECT

public:
    CTunerChooserDlg(const TunerChooserRequest& request, QWidget* pParent);
    ~CTunerChooserDlg() override;

    // The row selected now; after OK, the tuner chosen.
    std::optional<std::size_t> SelectedIndex() const;
    QTreeView* TunersView() const { return m_pView; }
    QPushButton* OkButton() const { return m_pOk; }

private:
    void SelectRow(std::size_t row);
    // The width of the longest tuner name the list shows.
    int LongestNameWidth(const QFontMetrics& metrics) const;

    TunerRowsModel* m_pModel;
    QTreeView* m_pView;
    QPushButton* m_pOk = nullptr;
};
