// What the operator finds right after start: the defaults, a name for every
// control, the grid of the listed parameters.
#include <QAccessible>

#include "FormFixture.h"

class FormStartupTest : public QObject {
    Q_OBJECT
  private slots:
    void formStartsAtItsDefaults() {
        FormFixture f;
        // COM1 to COM30, then the devices found. The chosen port, speed, station
        // and mode are File New's test, which runs the same start.
        QCOMPARE(f.Combo(FormId::kPortCombo)->itemText(29), "COM30");
        // Mode 1's preset.
        const int kValues[] = {7, 7, 1, 1, 2, 5, 6, 1, 2, 3};
        for (int n = 40; n <= 49; ++n)
            QCOMPARE(ParamTable::Instance().GetParamValue(n), kValues[n - 40]);

        for (QWidget* control : f.View().findChildren<QWidget*>(QRegularExpression("^ctl"))) {
            QString name = control->objectName();
            if (auto* combo = qobject_cast<QComboBox*>(control)) control = combo->lineEdit();
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                     qPrintable(name));
        }
        QCOMPARE(f.View().findChildren<QWidget*>(QRegularExpression("^ctl")).size(), 36);

        CMSFlexGrid* grid = f.Grid();
        std::vector<int32_t> listed = ParamTable::Instance().ListedNumbers();
        QCOMPARE(grid->rowCount(), 30);
        for (int row = 1; row < 30; ++row) {
            int32_t number = listed[row - 1];
            QCOMPARE(grid->TextMatrix(row, 0), QStringLiteral("%1  ").arg(number));
            QCOMPARE(grid->TextMatrix(row, 1), ParamTable::NameOf(number));
        }
    }
};

QTEST_MAIN(FormStartupTest)
#include "FormStartupTest.moc"
