// The editors' one-line displays: what assistive technologies read from them,
// and room for the longest text each can come to show.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QGroupBox>
#include <QScrollArea>

#include <vector>

#include "res/resource.h"
#include "tables/catalogue/CountryCatalogue.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/CConvertDlg.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/editor/EditorFrame.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

struct Read
{
    QAccessible::Role role;
    QString name;
    QString value;
    QString text;
};

// What an assistive technology reads from a control: its role, name, value
// and, through the text interface, the characters it shows.
Read ReadAccessible(QWidget* pWidget)
{
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pWidget);
    EXPECT_NE(pInterface, nullptr);
    if (!pInterface)
        return {};
    Read read{pInterface->role(), pInterface->text(QAccessible::Name), pInterface->text(QAccessible::Value), {}};
    QAccessibleTextInterface* pText = pInterface->textInterface();
    EXPECT_NE(pText, nullptr) << pWidget->objectName().toStdString();
    if (pText)
        read.text = pText->text(0, pText->characterCount());
    return read;
}

void ExpectReads(const CDialog& dialog, int id, const QString& name, const QString& shown)
{
    const Read read = ReadAccessible(dialog.GetDlgItem(id));
    EXPECT_EQ(read.role, QAccessible::StaticText) << id;
    EXPECT_EQ(read.name, name) << id;
    EXPECT_EQ(read.value, shown) << id;
    EXPECT_EQ(read.text, shown) << id;
}

std::vector<QString> CountryNames()
{
    std::vector<QString> names;
    for (const CountryEntry& country : CountryCatalogue)
        names.push_back(QString::fromLatin1(country.pszName));
    return names;
}

std::vector<QString> TvSystemNames()
{
    std::vector<QString> names;
    for (const TvSystemEntry& tvSystem : TvSystemTable)
        names.push_back(QString::fromLatin1(tvSystem.pszName));
    return names;
}

// Every text shows whole inside the display's frame.
void ExpectHolds(const CDialog& dialog, int id, const std::vector<QString>& texts)
{
    auto* pLabel = Control<QLabel>(dialog, id);
    ASSERT_NE(pLabel, nullptr);
    for (const QString& text : texts)
        EXPECT_LE(pLabel->fontMetrics().horizontalAdvance(text), pLabel->contentsRect().width())
            << "display " << id << " cuts \"" << text.toStdString() << "\" at " << pLabel->font().pointSize() << " pt";
}

// Controls whose template rectangles lie apart lie apart on the screen, and
// every control lies inside the dialog's area for controls (below its menu
// bar, when it has one), which lies inside the dialog.
void ExpectNoOverlaps(const CDialog& dialog)
{
    const DialogTemplate& tpl = dialog.Template();
    const QWidget* pArea = dialog.ClientArea();
    const EditorFrame* pFrame = EditorFrame::Of(dialog);
    if (const QScrollArea* pScroller = pFrame ? pFrame->ControlsScroller() : nullptr) {
        // An editor's area lies in the scroller of its frame, which scrolls it where the window is smaller.
        EXPECT_EQ(pScroller->widget(), pArea);
        EXPECT_TRUE(dialog.rect().contains(pScroller->geometry()));
    } else {
        EXPECT_TRUE(dialog.rect().contains(QRect(pArea->mapTo(&dialog, QPoint(0, 0)), pArea->size())));
    }
    std::vector<std::pair<QRect, QRect>> placed; // template units, pixels
    for (QWidget* pChild : pArea->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QGroupBox*>(pChild) || pChild->isHidden())
            continue;
        EXPECT_TRUE(pArea->rect().contains(pChild->geometry())) << pChild->objectName().toStdString();
        const QRect pixels = pChild->geometry();
        for (std::size_t i = 0; i < tpl.controlCount; ++i) {
            const ControlTemplate& c = tpl.controls[i];
            const QRect expected = dialog.Layout().ToPixels(c.x, c.y, c.cx, c.cy);
            if (expected.topLeft() == pixels.topLeft() && c.kind != ControlKind::GroupBox) {
                placed.emplace_back(QRect(c.x, c.y, c.cx, c.kind == ControlKind::ComboDropList ? 12 : c.cy), pixels);
                break;
            }
        }
    }
    ASSERT_GE(placed.size(), 4u);
    for (std::size_t i = 0; i < placed.size(); ++i) {
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            if (placed[i].first.intersects(placed[j].first))
                continue;
            EXPECT_FALSE(placed[i].second.intersects(placed[j].second))
                << "controls at units " << placed[i].first.x() << "," << placed[i].first.y() << " and "
                << placed[j].first.x() << "," << placed[j].first.y() << " overlap";
        }
    }
}

// Runs the check under the usual font and under a large one.
template <class Check> void AtTwoFontSizes(Check check)
{
    const QFont original = QApplication::font();
    check();
    QFont large = original;
    large.setPointSizeF(original.pointSizeF() * 2);
    QApplication::setFont(large);
    check();
    QApplication::setFont(original);
}

} // namespace

TEST(DisplayAccessibility, ChannelEditorDisplaysTellCaptionAndShownTextAsTheyChange)
{
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
    dlg.Create();
    ExpectReads(dlg, IDC_STATIC_COUNTRY, "Country", "Country");
    ExpectReads(dlg, IDC_STATIC_MODE, "Mode", "Unknow");

    Click(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, "44");
    Click(dlg, IDC_BUTTON_ENTER);
    ExpectReads(dlg, IDC_STATIC_COUNTRY_CODE, "Country Code", "44");
    ExpectReads(dlg, IDC_STATIC_COUNTRY, "Country", "United Kingdom");
    ExpectReads(dlg, IDC_STATIC_TV_SYSTEM, "TV System", "PAL_I");
    ExpectReads(dlg, IDC_STATIC_MODE, "Mode", "Antenna");
    ExpectReads(dlg, IDC_STATIC_CHANNEL_NUMBER, "Channel Number", "1");

    TypeInto(dlg, IDC_EDIT_FREQUENCY, "55.25");
    Click(dlg, IDC_BUTTON_ADD);
    ExpectReads(dlg, IDC_STATIC_AIR_MIN, "Antenna Min CH", "1");
    ExpectReads(dlg, IDC_STATIC_AIR_MAX, "Antenna Max CH", "1");
    // An append shows its own list's range alone: the cable list's, never
    // shown since the editor opened, stays empty.
    ExpectReads(dlg, IDC_STATIC_CABLE_MAX, "Cable Max CH", "");
    ExpectReads(dlg, IDC_STATIC_CHANNEL_NUMBER, "Channel Number", "2");

    // The text interface places each character where the display draws it.
    QAccessibleInterface* pCountry = QAccessible::queryAccessibleInterface(dlg.GetDlgItem(IDC_STATIC_COUNTRY));
    QAccessibleTextInterface* pText = pCountry->textInterface();
    ASSERT_NE(pText, nullptr);
    const QRect first = pText->characterRect(0);
    const QRect last = pText->characterRect(pText->characterCount() - 1);
    EXPECT_TRUE(pCountry->rect().contains(first)) << "first character outside the display";
    EXPECT_TRUE(pCountry->rect().contains(last)) << "last character outside the display";
    EXPECT_LT(first.right(), last.left());
    EXPECT_EQ(pText->offsetAtPoint(last.center()), pText->characterCount() - 1);
    EXPECT_EQ(pText->text(0, 6), "United");
}

TEST(DisplayAccessibility, TunerDetailsAndConverterDisplaysTellWhatTheyShow)
{
    FakeUserServices services;
    CDialog tuner(IDD_TUNER_EDIT, services);
    tuner.SetDlgItemText(IDC_STATIC_LOW_RANGE, "48.25 ~ 160.00 MHz");
    tuner.SetDlgItemText(IDC_STATIC_LOW_CODE, "A1");
    ExpectReads(tuner, IDC_STATIC_LOW_RANGE, "Low Band", "48.25 ~ 160.00 MHz");
    ExpectReads(tuner, IDC_STATIC_LOW_CODE, "Low Band", "A1");
    ExpectReads(tuner, IDC_STATIC_TUNER_TYPE, "Tuner Type", "Unknow");
    ExpectReads(tuner, IDC_STATIC_PICTURE_CARRIER, "PC", "0");

    CConvertDlg convert{services};
    convert.SetDlgItemText(IDC_STATIC_PATH, "/plans/fr.cft");
    ExpectReads(convert, IDC_STATIC_PATH, "Load Old Format File", "/plans/fr.cft");
    ExpectReads(convert, IDC_STATIC_STATUS, "Convert Status", "Convert Status");

    // Labels that are no displays still read as Qt reads them.
    for (QLabel* pLabel : tuner.findChildren<QLabel*>()) {
        if (pLabel->text() == "Factory" && pLabel->objectName().isEmpty()) {
            QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pLabel);
            EXPECT_EQ(pInterface->text(QAccessible::Name), "Factory");
            EXPECT_EQ(pInterface->textInterface(), nullptr);
        }
    }
}

TEST(DisplayRoom, CountryAndTvSystemHoldEveryCatalogueName)
{
    AtTwoFontSizes([] {
        FakeUserServices services;
        CFrequencyTableDlg dlg{services};
        dlg.Create();
        ExpectHolds(dlg, IDC_STATIC_COUNTRY, CountryNames());
        ExpectHolds(dlg, IDC_STATIC_TV_SYSTEM, TvSystemNames());
        ExpectHolds(dlg, IDC_STATIC_MODE, {"Antenna", "Cable", "Unknow"});
        ExpectHolds(dlg, IDC_STATIC_COUNTRY_CODE, {"-2147483648", "2147483647"});
        for (int id : {IDC_STATIC_CHANNEL_NUMBER, IDC_STATIC_AIR_MIN, IDC_STATIC_AIR_MAX, IDC_STATIC_CABLE_MIN,
                       IDC_STATIC_CABLE_MAX})
            ExpectHolds(dlg, id, {"65535", "65536"});
        ExpectNoOverlaps(dlg);

        // Typed codes with the longest names show them whole.
        Click(dlg, IDC_BUTTON_CREATE_NEW);
        for (const char* code : {"389", "1852"}) {
            TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, code);
            Click(dlg, IDC_BUTTON_ENTER);
            const QString shown = TextOf(dlg, IDC_STATIC_COUNTRY);
            EXPECT_GT(shown.size(), 25) << code;
            ExpectHolds(dlg, IDC_STATIC_COUNTRY, {shown});
        }
        // The dialog grew no more than the longest name asks for.
        auto* pCountry = Control<QLabel>(dlg, IDC_STATIC_COUNTRY);
        int widest = 0;
        for (const QString& name : CountryNames())
            widest = std::max(widest, pCountry->fontMetrics().horizontalAdvance(name));
        EXPECT_LE(pCountry->width(), widest + 8);
    });
}

TEST(DisplayRoom, TunerDetailsAndConverterStatusHoldTheirWidestValues)
{
    AtTwoFontSizes([] {
        FakeUserServices services;
        CTunerEditDlg tuner{services};
        for (int id : {IDC_STATIC_LOW_RANGE, IDC_STATIC_MID_RANGE, IDC_STATIC_HIGH_RANGE})
            ExpectHolds(tuner, id, {"8888.88 ~ 8888.88 MHz", "999.99 ~ 9999.99 MHz"});
        for (int id : {IDC_STATIC_LOW_CODE, IDC_STATIC_MID_CODE, IDC_STATIC_HIGH_CODE})
            ExpectHolds(tuner, id, {"FFFF", "DDDD", "8888"});
        for (int id : {IDC_STATIC_PICTURE_CARRIER, IDC_STATIC_PICTURE_CARRIER2})
            ExpectHolds(tuner, id, {"8888.88 MHz"});
        ExpectNoOverlaps(tuner);

        CConvertDlg convert{services};
        ExpectHolds(convert, IDC_STATIC_STATUS, {"Convert OK, Save to File", "Convert OK, Save Failed"});
        ExpectNoOverlaps(convert);
    });
}

// A display that needs more room widens its own columns evenly: the displays
// of one row under it keep their relative widths (Max CH and Min CH stay
// equal, where the old rule made one 216 px beside 48 px), what lies right of
// it moves right, and the list left of it stays.
TEST(DisplayRoom, StretchedColumnsKeepEveryEdgeInOrder)
{
    const DialogTemplate* pTemplate = FindDialogTemplate(IDD_FREQUENCY_TABLE);
    const QFont font = QApplication::font();
    const DialogBaseUnits units = FitCaptions(*pTemplate, font, BaseUnitsOf(font));
    const DialogLayout plain = FitDisplayTexts(*pTemplate, font, units, {});
    EXPECT_TRUE(plain.stretches.empty());
    EXPECT_EQ(plain.ToPixels(8, 22, 130, 207), DialogUnitsToPixels(units, 8, 22, 130, 207));

    const DialogLayout wide =
        FitDisplayTexts(*pTemplate, font, units, {{IDC_STATIC_COUNTRY, {QString(80, QLatin1Char('W'))}}});
    ASSERT_EQ(wide.stretches.size(), 1u);
    // The country display's own columns, 188 to 260.
    EXPECT_EQ(wide.stretches[0].at, 188);
    EXPECT_EQ(wide.stretches[0].span, 72);
    const auto width = [&wide](int x, int cx) { return wide.ToPixels(x, 0, cx, 0).width(); };
    EXPECT_GE(width(188, 72), QFontMetrics(font).horizontalAdvance(QString(80, QLatin1Char('W'))));
    EXPECT_NEAR(width(192, 24), width(225, 24), 1); // Max CH and Min CH of one row
    EXPECT_LE(width(192, 24), width(188, 72) / 2);
    EXPECT_EQ(wide.X(188), plain.X(188)); // nothing left of the display moves
    for (int x = 0; x < pTemplate->cx; ++x)
        EXPECT_LE(wide.X(x), wide.X(x + 1));
    EXPECT_EQ(wide.X(pTemplate->cx) - plain.X(pTemplate->cx), wide.stretches[0].extra);
    EXPECT_EQ(wide.ToPixels(8, 22, 130, 207), plain.ToPixels(8, 22, 130, 207)); // the list stays as it was
}
