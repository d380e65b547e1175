// The list's cells are painted by a delegate of its own; every pixel must be
// the one Qt's own delegate paints, whatever state the list and its rows are in.
#include <gtest/gtest.h>

#include <QImage>
#include <QStyledItemDelegate>

#include "ui/dialog/ListView.h"

namespace {

QImage Painted(ListView& list)
{
    return list.grab().toImage();
}

} // namespace

TEST(ListViewPaint, CellsPaintAsQtsOwnDelegatePaintsThem)
{
    ListView list(nullptr, false);
    list.InsertColumn(0, QStringLiteral("Channel"), LVCFMT_LEFT, 60);
    list.InsertColumn(1, QStringLiteral("Frequency (MHz)"), LVCFMT_RIGHT, 90);
    list.InsertColumn(2, QStringLiteral("Label"), LVCFMT_CENTER, 70);
    list.SetRows(
        40,
        [](int row, int column) {
            if (column == 0)
                return QString::number(row + 1);
            if (column == 1)
                return row % 7 == 3 ? QStringLiteral("--") : QString::number(45.25 + row * 7.0, 'f', 2);
            return row % 3 == 0 ? QStringLiteral("A label far too long for its column")
                                : QStringLiteral("S%1").arg(row);
        },
        [](int row) {
            return row % 5 == 1 ? RowMark{RowMark::Kind::Warning, QStringLiteral("shared")} : RowMark{};
        });
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    list.resize(260, 300);
    list.show();
    list.SetSelectedRows({2, 3, 6});
    list.SetCurrentRow(3);

    const auto expectQtsPixels = [&list](const char* state) {
        const QImage ours = Painted(list);
        QAbstractItemDelegate* pOurs = list.itemDelegate();
        QStyledItemDelegate qts;
        list.setItemDelegate(&qts);
        const QImage theirs = Painted(list);
        list.setItemDelegate(pOurs);
        EXPECT_EQ(ours, theirs) << state;
    };
    expectQtsPixels("shown");
    list.setFocus();
    expectQtsPixels("focused");
    list.setEnabled(false);
    expectQtsPixels("disabled");
    list.SetExtendedStyle(0);
    expectQtsPixels("disabled without grid");
    list.setEnabled(true);
    expectQtsPixels("focused without grid");
}
