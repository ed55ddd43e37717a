// What the operator finds right after start: every control with its caption,
// items and default, the grid of the listed parameters, the dialog units.
#include <QAccessible>
#include <QFontInfo>
#include <QSignalSpy>
#include <QTest>

#include "FormFixture.h"
#include "params/ParamTable.h"

namespace {

QStringList Items(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
    return items;
}

}  // namespace

class FormStartupTest : public QObject {
    Q_OBJECT
  private slots:
    void controlsShowTheirTextsAndDefaults() {
        FormFixture f;
        const std::pair<int, const char*> kCaptions[] = {
            {1024, "통신연결"},     {1033, "SET로\n모드변경"},  {1028, "읽어오기"},
            {1036, "전체전송하기"}, {1032, "전송 및 저장하기"}, {1042, "파라미터 초기화"},
            {1040, "버전읽기"}};
        for (const auto& [id, caption] : kCaptions) QCOMPARE(f.Button(id)->text(), caption);
        QCOMPARE(Items(f.Combo(1004)), QStringList({"0 : 통신운전", "1 : RUN/STOP운전",
                                                    "2 : CW/CCW운전", "3 : SPEED INDEX운전"}));
        for (int id = 1005; id <= 1008; ++id) {
            QCOMPARE(f.Combo(id)->count(), 11);
            QCOMPARE(f.Combo(id)->itemText(10), "10 : RUN/STOP & RESET");
        }
        for (int id = 1009; id <= 1011; ++id) {
            QCOMPARE(Items(f.Combo(id)), QStringList({"0 : USER", "1 : ALARM", "2 : SPEED OUT",
                                                      "3 : DIR", "4 : UPTO SPD", "5 : ZERO SPD"}));
        }
        QCOMPARE(Items(f.Combo(1022)),
                 QStringList({"9600", "19200", "38400", "57600", "115200", ""}));

        // COM1 to COM30, then the devices found; COM15 at 115200 to station 0.
        for (int n = 1; n <= 30; ++n)
            QCOMPARE(f.Combo(1021)->itemText(n - 1), QStringLiteral("COM%1").arg(n));
        QCOMPARE(f.Combo(1021)->currentText(), "COM15");
        QCOMPARE(f.Combo(1022)->currentText(), "115200");
        QCOMPARE(f.Edit(1025)->text(), "0");
        QVERIFY(f.Button(1024)->isCheckable() && !f.Button(1024)->isChecked());
        QVERIFY(f.Button(1033)->isCheckable());
        for (int id : {1026, 1030, 1034, 1037}) QVERIFY(f.Edit(id)->text().isEmpty());
        QVERIFY(f.List(1039)->count() == 0 && f.List(1041)->count() == 0);
        // Mode 1 with its preset.
        QCOMPARE(f.Combo(1004)->currentIndex(), 1);
        const int kValues[] = {7, 7, 1, 1, 2, 5, 6, 1, 2, 3};
        for (int n = 40; n <= 49; ++n)
            QCOMPARE(ParamTable::Instance().GetParamValue(n), kValues[n - 40]);
    }

    void everyControlHasANameForScreenReaders() {
        FormFixture f;
        for (QWidget* control : f.View().findChildren<QWidget*>(QRegularExpression("^ctl"))) {
            QString name = control->objectName();
            if (auto* combo = qobject_cast<QComboBox*>(control)) control = combo->lineEdit();
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                     qPrintable(name));
        }
        QCOMPARE(f.View().findChildren<QWidget*>(QRegularExpression("^ctl")).size(), 36);
    }

    void gridListsTheTwentyNineParameters() {
        FormFixture f;
        CMSFlexGrid* grid = f.Grid();
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->TextMatrix(0, 0), "PNo");
        QCOMPARE(grid->TextMatrix(0, 1), "기능");
        QCOMPARE(grid->TextMatrix(0, 2), "설정값");
        std::vector<int32_t> listed = ParamTable::Instance().ListedNumbers();
        QCOMPARE(grid->rowCount(), 30);
        QCOMPARE(listed.size(), size_t(29));
        for (int row = 1; row < 30; ++row) {
            int32_t number = listed[row - 1];
            QCOMPARE(grid->TextMatrix(row, 0), QStringLiteral("%1  ").arg(number));
            QCOMPARE(grid->TextMatrix(row, 1), ParamTable::NameOf(number));
            QCOMPARE(grid->TextMatrix(row, 2),
                     QStringLiteral("%1  ").arg(ParamTable::Instance().GetParamValue(number)));
        }
        QCOMPARE(grid->FixedRows(), 1);
        QCOMPARE(grid->FixedCols(), 2);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        // 1800 twips at the screen's resolution.
        QCOMPARE(grid->columnWidth(1), (1800 * grid->logicalDpiY() + 720) / 1440);
    }

    void formIsLaidOutInDialogUnitsOfItsFont() {
        FormFixture f;
        QCOMPARE(QFontInfo(f.View().font()).family(), "NanumGothic");
        QCOMPARE(f.View().font().pointSize(), 9);
        // NanumGothic 9 pt: 6 px average width, 12 px em; a vertical unit is an
        // eighth of the em, not of the 14 px line.
        QCOMPARE(f.View().minimumSize(), QSize(389 * 6 / 4, 443 * 12 / 8));
        // The grid at 243, 46, 134 x 335 units; it may have grown into free space.
        QVERIFY(f.Grid()->geometry().contains(
            QRect(243 * 6 / 4, 46 * 12 / 8, 134 * 6 / 4, 335 * 12 / 8)));
    }

    void gridControlMakesThePressedCellCurrentBeforeMouseDown() {
        CMSFlexGrid grid;
        grid.SetRows(5);
        grid.SetCol(2);
        grid.SetRow(3);
        grid.resize(400, 300);
        grid.show();
        int seenRow = -1;
        int seenCol = -1;
        connect(&grid, &CMSFlexGrid::MouseDown, &grid, [&](short, short, int, int) {
            seenRow = grid.GetRow();
            seenCol = grid.GetCol();
        });
        QSignalSpy doubleClicks(&grid, &CMSFlexGrid::DblClick);
        QPoint cell = grid.visualItemRect(grid.item(1, 0)).center();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(seenRow, 1);
        QCOMPARE(seenCol, 0);
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(doubleClicks.count(), 1);
        QVERIFY(!grid.isPersistentEditorOpen(grid.item(1, 0)));
        QCOMPARE(grid.TextMatrix(1, 0), "");
    }
};

QTEST_MAIN(FormStartupTest)
#include "FormStartupTest.moc"
