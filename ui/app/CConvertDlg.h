#pragma once
// The converter of old channel tables: loads one .cft file, converts it and
// writes the result beside it as a .ccf file.

#include <memory>
#include <string>

#include "ui/dialog/CDialog.h"

class ChannelTable;
class LegacyChannelTable;

class CConvertDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CConvertDlg(UserServices& services, QWidget* pParent = nullptr);
    ~CConvertDlg() override;

    bool DestroyWindow() override;
    // "Load File" with its file already chosen.
    bool OpenFile(const QString& path) override;

    const std::string& OutputPath() const { return m_strOutputPath; }

protected:
    // "Convert Now": converts and saves; the dialog stays open.
    void OnOK() override;
    bool PreTranslateMessage(QWidget* pTarget, QKeyEvent* pEvent) override;

private:
    void OnLoadFile();
    void HandFocusOn(int fromId, int toId);

    std::unique_ptr<LegacyChannelTable> m_pLegacyTable;
    std::unique_ptr<ChannelTable> m_pChannelTable;
    std::string m_strInputPath;
    std::string m_strOutputPath;
};
