#pragma once
// The window of File > Compare With...: the table being edited and another
// table side by side, row by row, with the differences marked. Not modal: the
// person keeps editing, and the window follows each edit. F8 and Shift+F8 go
// to the next and previous difference; Copy to This Table hands the chosen
// rows to the editor, which takes them as one step; activating a channel's row
// selects that channel in the editor.

#include <functional>
#include <memory>
#include <vector>

#include <QWidget>

#include "edit/ChannelTableDocument.h"

class ChannelCompareModel;
class QLabel;
class QPushButton;
class QTreeView;

class ChannelCompareWindow : public QWidget
{
    Q_OBJECT

public:
    // A window of its own over pParent (the editor).
    explicit ChannelCompareWindow(QWidget* pParent = nullptr);
    ~ChannelCompareWindow() override;

    // The other table and how the person named its file.
    void SetOther(std::unique_ptr<ChannelTable> pOther, const QString& name);
    // The editor's table as it stands.
    void Follow(const ChannelTableDocument& document);

    // Selects the next difference after the current row, or the one before it.
    void GoToDifference(bool bForward);
    // The channels of the rows chosen, and whether the country code's row is
    // among them, for Copy to This Table.
    std::vector<ChannelTableDocument::ChannelPlace> ChosenPlaces(bool& bCountryCode) const;

    std::function<void(std::int32_t iList, std::int32_t iChannel)> onActivate;
    std::function<void()> onCopy;

    const ChannelTable& Other() const { return *m_pOther; }
    ChannelCompareModel& Model() const { return *m_pModel; }
    QTreeView* View() const { return m_pView; }
    QString SummaryText() const;

private:
    void ShowSummary();
    void Activate(int row);

    std::unique_ptr<ChannelTable> m_pOther;
    QString m_otherName;
    ChannelCompareModel* m_pModel;
    QLabel* m_pSummary;
    QTreeView* m_pView;
    QPushButton* m_pCopy;
};
