// The backup list with real widgets: what each row says, and the choice.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <vector>

#include "Legibility.h"
#include "toolbox/BackupListDialog.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

class BackupListDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void listsTheBackupsAndHandsOutTheChosenOne() {
        std::vector<BackupListDialog::Item> items = {
            {"/b/20261207-143016-id0.par", "2026-12-07 14:30:16", 0, "2"},
            {"/b/20261207-143015-id3.par", "2026-12-07 14:30:15", 3, U("다른 국번")},
        };
        BackupListDialog dialog(items, "/b");
        dialog.show();
        QTableWidget* table = dialog.Table();
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, BackupListDialog::kWhen)->text(), "2026-12-07 14:30:16");
        QCOMPARE(table->item(0, BackupListDialog::kStation)->text(), "0");
        QCOMPARE(table->item(0, BackupListDialog::kDiffer)->text(), "2");
        QCOMPARE(table->item(1, BackupListDialog::kDiffer)->text(), U("다른 국번"));
        // The newest is chosen unless the operator picks another.
        auto* choose = dialog.findChild<QPushButton*>("backupChoose");
        QVERIFY(choose->isEnabled());
        QCOMPARE(table->currentRow(), 0);

        QStringList chosen;
        connect(&dialog, &BackupListDialog::Chosen, this,
                [&chosen](const QString& path) { chosen << path; });
        QRect second = table->visualItemRect(table->item(1, BackupListDialog::kWhen));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second.center());
        QVERIFY(choose->isEnabled());
        QTest::mouseClick(choose, Qt::LeftButton);
        QCOMPARE(chosen, QStringList({"/b/20261207-143015-id3.par"}));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void saysSoWhenThereIsNone() {
        BackupListDialog dialog({}, "/b");
        dialog.show();
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());
        QCOMPARE(dialog.Table()->rowCount(), 0);
        bool told = false;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            told = told || label->text().startsWith(U("백업이 없습니다."));
        }
        QVERIFY(told);
        QVERIFY(!dialog.findChild<QPushButton*>("backupChoose")->isEnabled());
    }
};

QTEST_MAIN(BackupListDialogTest)
#include "BackupListDialogTest.moc"
