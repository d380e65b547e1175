#pragma once
// The channel table editor: makes or loads one channel table, edits its air and
// cable lists one at a time and its country code, and saves it.

#include <cstdint>
#include <memory>
#include <vector>

#include <QIcon>

#include "CDialog.h"
#include "UserServices.h"

class ChannelTable;
class QContextMenuEvent;

// How the table on screen came to be.
enum TableOrigin : std::int32_t
{
    TableOriginNone = 7,        // no table made since the dialog opened
    TableOriginCreated = 11,    // made by "Create New"
    TableOriginLoaded = 13,     // made by "LoadFromFile"
};

class CFrequencyTableDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CFrequencyTableDlg(QWidget* pParent = nullptr);
    ~CFrequencyTableDlg() override;

    bool OnCommand(int id) override;
    // The load command with its file already chosen.
    bool OpenFile(const QString& path) override;
    // The About item stands where the title-bar menu would hold it; commands 16
    // to 31 open the About box.
    void OnSysCommand(unsigned nID);

    // State as the handlers leave it, for whoever drives the dialog.
    const ChannelTable* Table() const { return m_pTable.get(); }
    std::int32_t Mode() const { return m_iMode; }
    std::int32_t Origin() const { return m_iTableOrigin; }
    std::int32_t SelIndex() const { return m_iSelIndex; }
    std::int32_t EditIndex() const { return m_iEditIndex; }

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;
    bool PreTranslateMessage(QWidget* pTarget, QKeyEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private slots:
    void OnConvert();

private:
    void InitColumns();
    void EnableTableControls(bool bEnable);
    void EnableChannelControls(bool bEnable);
    void SetMode(std::int32_t i);
    void RefreshList();
    void ShowChannelNumber(std::int32_t n);
    void ShowRange(std::int32_t iMode, std::int32_t* piMin = nullptr, std::int32_t* piMax = nullptr);
    void ShowChannel(std::int32_t iChannel);
    void ShowCountry(std::int32_t iCode);
    QString TakeFrequencyText();
    FileDialogRequest TableFileRequest(bool bOpen) const;

    // Message map.
    void OnSelEndOkMode();
    void OnCountryCodeEnter();
    void OnSaveToFile();
    void OnCreateNew();
    void OnAddToEnd();
    void OnLoadFromFile();
    void OnReset();
    void OnSaveValue();
    void OnClickList();
    void OnRightClickList();

    int InsertBlankItem(std::int32_t k);
    int DeleteItem(std::int32_t k);
    int DeleteItems(const std::vector<std::int32_t>& indices);

    QIcon m_hIcon;
    std::unique_ptr<ChannelTable> m_pTable;
    std::int32_t m_iMode = -1;
    std::int32_t m_iTableOrigin = TableOriginNone;
    std::int32_t m_iSelIndex = 0;
    std::int32_t m_iEditIndex = 0;
    std::vector<MenuItem> m_systemMenu;
};
