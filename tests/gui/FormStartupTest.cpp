// What the operator finds right after start: every control at its place with
// its caption, items and default, and the grid of the listed parameters.
#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "FormFixture.h"
#include "form/DialogUnits.h"
#include "params/ParamTable.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QStringList Items(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
    return items;
}

}  // namespace

class FormStartupTest : public QObject {
    Q_OBJECT
  private slots:
    void connectionAreaDefaults() {
        FormFixture f;
        QCOMPARE(f.Edit(1025)->text(), "0");
        QCOMPARE(f.Edit(1025)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        QComboBox* port = f.Combo(1021);
        QVERIFY(port->count() >= 30);
        for (int n = 1; n <= 30; ++n)
            QCOMPARE(port->itemText(n - 1), QStringLiteral("COM%1").arg(n));
        QCOMPARE(port->currentIndex(), 14);
        QCOMPARE(port->currentText(), "COM15");
        QCOMPARE(Items(f.Combo(1022)),
                 QStringList({"9600", "19200", "38400", "57600", "115200", ""}));
        QCOMPARE(f.Combo(1022)->currentText(), "115200");
        QVERIFY(f.Button(1024)->isCheckable());
        QVERIFY(!f.Button(1024)->isChecked());
        QCOMPARE(f.Button(1024)->text(), U("통신연결"));
        QCOMPARE(f.Button(1033)->text(), U("SET로\n모드변경"));
        QVERIFY(f.Button(1033)->isCheckable());
        for (int id : {1026, 1030, 1034, 1037}) QVERIFY(f.Edit(id)->text().isEmpty());
        QVERIFY(f.List(1039)->count() == 0 && f.List(1041)->count() == 0);
    }

    void setupAreaShowsModeOneAndItsPreset() {
        FormFixture f;
        QCOMPARE(Items(f.Combo(1004)),
                 QStringList({U("0 : 통신운전"), U("1 : RUN/STOP운전"), U("2 : CW/CCW운전"),
                              U("3 : SPEED INDEX운전")}));
        QCOMPARE(f.Combo(1004)->currentText(), U("1 : RUN/STOP운전"));
        for (int id = 1005; id <= 1008; ++id) {
            QCOMPARE(f.Combo(id)->count(), 11);
            QCOMPARE(f.Combo(id)->itemText(10), U("10 : RUN/STOP & RESET"));
        }
        for (int id = 1009; id <= 1011; ++id) {
            QCOMPARE(Items(f.Combo(id)), QStringList({"0 : USER", "1 : ALARM", "2 : SPEED OUT",
                                                      "3 : DIR", "4 : UPTO SPD", "5 : ZERO SPD"}));
        }
        const int kSelected[] = {1, 2, 5, 6, 1, 2, 3};
        const char* kCaptions[] = {"1 : RUN/STOP극성", "2 : DIR극성",   "5 : RESET극성",
                                   "6 : EMG극성",      "1 : ALARM극성", "2 : SPEED OUT극성",
                                   "3 : DIR극성"};
        const bool kTicked[] = {true, true, true, false, true, true, true};
        for (int t = 0; t < 7; ++t) {
            QCOMPARE(f.Combo(1005 + t)->currentIndex(), kSelected[t]);
            QCOMPARE(f.Check(1012 + t)->text(), U(kCaptions[t]));
            QCOMPARE(f.Check(1012 + t)->isChecked(), kTicked[t]);
        }
        const ParamTable& table = ParamTable::Instance();
        const int kValues[] = {7, 7, 1, 1, 2, 5, 6, 1, 2, 3};
        for (int n = 40; n <= 49; ++n) QCOMPARE(table.GetParamValue(n), kValues[n - 40]);
        for (int id : {1032, 1042, 1040, 1028, 1036, 1027, 1031, 1035, 1038}) {
            QVERIFY(f.Button(id)->isVisible());
            QVERIFY(f.Button(id)->isEnabled());
        }
        QCOMPARE(f.Button(1032)->text(), U("전송 및 저장하기"));
        QCOMPARE(f.Button(1036)->text(), U("전체전송하기"));
    }

    void gridListsTheTwentyNineParameters() {
        FormFixture f;
        CMSFlexGrid* grid = f.Grid();
        QCOMPARE(grid->rowCount(), 30);
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->TextMatrix(0, 0), "PNo");
        QCOMPARE(grid->TextMatrix(0, 1), U("기능"));
        QCOMPARE(grid->TextMatrix(0, 2), U("설정값"));
        std::vector<int32_t> listed = ParamTable::Instance().ListedNumbers();
        QCOMPARE(listed.size(), size_t(29));
        for (int row = 1; row < 30; ++row) {
            int32_t number = listed[row - 1];
            QCOMPARE(grid->TextMatrix(row, 0), QStringLiteral("%1  ").arg(number));
            QCOMPARE(grid->TextMatrix(row, 1), U(ParamTable::Instance().Entry(number).name));
            QCOMPARE(grid->TextMatrix(row, 2),
                     QStringLiteral("%1  ").arg(ParamTable::Instance().GetParamValue(number)));
        }
        QCOMPARE(grid->TextMatrix(1, 0), "10  ");
        QCOMPARE(grid->TextMatrix(29, 0), "61  ");
        QCOMPARE(grid->FixedRows(), 1);
        QCOMPARE(grid->FixedCols(), 2);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        int dpi = grid->logicalDpiY();
        QCOMPARE(grid->columnWidth(0), (600 * dpi + 720) / 1440);
        QCOMPARE(grid->columnWidth(1), (1800 * dpi + 720) / 1440);
        QCOMPARE(grid->rowHeight(0), (300 * dpi + 720) / 1440);
    }

    void controlsStandWhereTheDialogUnitsPutThem() {
        FormFixture f;
        DialogUnits du(f.View().font());
        struct Place {
            int id;
            int x, y, w, h;
        };
        const Place kPlaces[] = {
            {1025, 25, 13, 17, 12},   {1024, 143, 13, 43, 15},   {1033, 197, 12, 34, 20},
            {1012, 14, 218, 101, 10}, {1018, 124, 244, 101, 10}, {1032, 16, 283, 65, 20},
            {1042, 89, 283, 65, 20},  {1040, 162, 283, 65, 20},  {1026, 12, 324, 67, 14},
            {1038, 195, 341, 33, 14}, {1039, 13, 365, 102, 55},  {1041, 126, 366, 102, 55},
            {1028, 244, 9, 60, 27},   {1036, 312, 9, 60, 27},    {1029, 243, 46, 134, 335}};
        // A control may have grown beyond its rectangle, into free space.
        for (const Place& p : kPlaces) {
            QWidget* control = f.Ctl<QWidget>(p.id);
            QVERIFY2(control, qPrintable(QString::number(p.id)));
            QVERIFY2(control->geometry().contains(du.Rect(p.x, p.y, p.w, p.h)),
                     qPrintable(QString::number(p.id)));
        }
        QVERIFY(f.View().font().families().contains(U("NanumGothic")));
        QCOMPARE(f.View().font().pointSize(), 9);
        // A vertical unit is an eighth of the em (12 px), not of the 14 px line.
        QCOMPARE(f.View().minimumSize(), QSize(389 * 6 / 4, 443 * 12 / 8));
    }

    void everyControlHasItsObjectAndAccessibleName() {
        FormFixture f;
        struct Name {
            int id;
            const char* name;
        };
        const Name kNames[] = {
            {1025, "ID"},           {1021, "COM 포트"},         {1022, "통신속도"},
            {1004, "운전모드"},     {1005, "IN1 기능"},         {1008, "IN4 기능"},
            {1009, "OUT1 기능"},    {1011, "OUT3 기능"},        {1026, "수동명령어 1"},
            {1030, "수동명령어 2"}, {1034, "수동명령어 3"},     {1037, "수동명령어 4"},
            {1039, "송신 명령"},    {1041, "수신 응답"},        {1029, "파라미터"},
            {1024, "통신연결"},     {1032, "전송 및 저장하기"}, {1012, "1 : RUN/STOP극성"},
            {1028, "읽어오기"}};
        for (const Name& n : kNames) {
            QWidget* control = f.Ctl<QWidget>(n.id);
            QVERIFY2(control, qPrintable(QString::number(n.id)));
            if (auto* combo = qobject_cast<QComboBox*>(control)) control = combo->lineEdit();
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY(accessible);
            QCOMPARE(accessible->text(QAccessible::Name), U(n.name));
        }
        const int kIds[] = {1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015,
                            1016, 1017, 1018, 1021, 1022, 1024, 1025, 1026, 1027, 1028, 1029, 1030,
                            1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042};
        for (int id : kIds) QVERIFY2(f.Ctl<QWidget>(id), qPrintable(QString::number(id)));
    }

    void gridControlMakesThePressedCellCurrentBeforeMouseDown() {
        CMSFlexGrid grid;
        QCOMPARE(grid.rowCount(), 2);
        QCOMPARE(grid.columnCount(), 3);
        grid.SetRows(5);
        grid.SetCol(2);
        grid.SetRow(3);
        grid.SetText("x");
        QCOMPARE(grid.TextMatrix(3, 2), "x");
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
