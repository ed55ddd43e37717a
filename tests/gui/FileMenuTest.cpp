// Saving and loading parameter files through the File menu, with the file
// dialogs and the replace question answered by the test.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FileDialogAnswerer.h"
#include "FormFixture.h"

class FileMenuTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
        for (int32_t n : ParamTable::Instance().ListedNumbers())
            ParamTable::Instance().SetParamValue(n, 0);
    }

    void saveThenOpenRoundTrip() {
        FormFixture f;
        ParamTable::Instance().SetParamValue(21, 300);
        // ".par" is added; a box on success would fail the test as unexpected.
        AnswerFileDialogs({"set1"}, [&] { f.Frame().Command(57603)->trigger(); });
        QString path = m_dir.filePath("set1.par");

        ParamTable::Instance().SetParamValue(21, 1);
        AnswerFileDialogs({path}, [&] { f.Frame().Command(57601)->trigger(); });
        QCOMPARE(ParamTable::Instance().GetParamValue(21), 300);
        // Shown at the next tick; nothing is sent; not listed as a recent file.
        f.Tick();
        QCOMPARE(f.Grid()->TextMatrix(8, 2), "300  ");
        QCOMPARE(f.List(FormId::kSentList)->count(), 0);
        QVERIFY(f.Frame().findChild<QAction*>("recentFile1") == nullptr);
        QCOMPARE(f.Frame().StatusText(), "준비");
    }

    // The load stays as it is; the status bar names what the file left alone.
    void openingNamesTheListedParametersTheFileDidNotSet() {
        FormFixture f;
        QString path = m_dir.filePath("part.par");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("   20,   x,   300 \r\n   21,   y,   400 \r\n\r\n");
        file.close();
        ParamTable::Instance().SetParamValue(22, 55);
        AnswerFileDialogs({path}, [&] { f.Frame().Command(57601)->trigger(); });
        QCOMPARE(ParamTable::Instance().GetParamValue(20), 300);
        QCOMPARE(ParamTable::Instance().GetParamValue(22), 55);
        QCOMPARE(f.Frame().StatusText(),
                 "열기: 파일에 없어 값이 그대로인 파라미터 27개: 10, 11, 13, 14, 15, 16, 22, 23 …");
    }

    void savingOverAFileAsksFirst_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("answer");
        QTest::newRow("save as, yes") << 57604 << "예";
        // No goes back to the file dialog, where another name is chosen.
        QTest::newRow("save, no") << 57603 << "아니오";
    }
    void savingOverAFileAsksFirst() {
        QFETCH(int, command);
        QFETCH(QString, answer);
        FormFixture f;
        QString old = m_dir.filePath("old.par");
        QFile file(old);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
        file.close();
        MessageBoxAnswerer boxes(answer);
        FileDialogsSeen seen =
            AnswerFileDialogs({old, "other"}, [&] { f.Frame().Command(command)->trigger(); });
        // Save as accepts only an existing file.
        if (command == 57604) QCOMPARE(seen.fileMode, QFileDialog::ExistingFile);
        QCOMPARE(boxes.Texts(), QStringList({"old.par이(가) 이미 있습니다.\n바꾸시겠습니까?"}));
        bool replaced = answer == "예";
        QCOMPARE(seen.count, replaced ? 1 : 2);
        QCOMPARE(FileContents(m_dir.filePath(replaced ? "old.par" : "other.par")).size(), 1220);
        if (!replaced) QCOMPARE(FileContents(old), QByteArray("kept"));
    }

    void failedSaveIsReportedAndWritesNothing() {
        FormFixture f;
        QString path = m_dir.filePath("missing-dir/x.par");
        MessageBoxAnswerer boxes;
        AnswerFileDialogs({path}, [&] { f.Frame().Command(57603)->trigger(); });
        QTRY_COMPARE(boxes.Texts(), QStringList({"File Error"}));
        QVERIFY(!QFile::exists(path));
    }

  private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(FileMenuTest)
#include "FileMenuTest.moc"
