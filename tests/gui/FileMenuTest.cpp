// Saving and loading parameter files through the File menu, with the file
// dialogs and the replace question answered by the test.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FileDialogAnswerer.h"
#include "FormFixture.h"
#include "Legibility.h"
#include "MessageBoxAnswerer.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

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
        QString caption = f.Frame().windowTitle();
        ParamTable::Instance().SetParamValue(21, 300);
        ParamTable::Instance().SetParamValue(37, -5);
        {
            FileDialogAnswerer answerer("set1");  // ".par" is added
            MessageBoxAnswerer boxes;
            f.Frame().Command(57603)->trigger();
            QVERIFY(answerer.Seen());
            QCOMPARE(answerer.NameFilters(), QStringList({U("VELD 파라미터 파일(*.par)")}));
            QCOMPARE(answerer.Directory(), QDir::currentPath());
            QCOMPARE(answerer.InitialName(), "*.par");
            QCOMPARE(answerer.Mode(), QFileDialog::AcceptSave);
            QCOMPARE(boxes.Count(), 0);  // nothing reported on success
        }
        QString path = m_dir.filePath("set1.par");
        QByteArray saved = FileContents(path);
        QCOMPARE(saved.size(), 1220);
        QVERIFY(saved.contains("   21, "));
        QVERIFY(saved.contains("        300 \r\n"));

        ParamTable::Instance().SetParamValue(21, 1);
        ParamTable::Instance().SetParamValue(37, 1);
        {
            FileDialogAnswerer answerer(path);
            f.Frame().Command(57601)->trigger();
            QCOMPARE(answerer.Mode(), QFileDialog::AcceptOpen);
            QCOMPARE(answerer.FileMode(), QFileDialog::ExistingFile);
        }
        QCOMPARE(ParamTable::Instance().GetParamValue(21), 300);
        QCOMPARE(ParamTable::Instance().GetParamValue(37), -5);
        // Shown at the next tick; nothing is sent; the caption stays.
        f.Tick();
        QCOMPARE(f.Grid()->TextMatrix(8, 2), "300  ");
        QCOMPARE(f.Grid()->TextMatrix(18, 2), "-5  ");
        QCOMPARE(f.List(1039)->count(), 0);
        QCOMPARE(f.Frame().windowTitle(), caption);
        QVERIFY(f.Frame().findChild<QAction*>("recentFile1") == nullptr);
    }

    void loadedSetupValuesReachTheSetupControls() {
        FormFixture f;
        QString path = m_dir.filePath("setup.par");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("42,x,3,43,y,10");
        file.close();
        FileDialogAnswerer answerer(path);
        f.Frame().Command(57601)->trigger();
        f.Tick();
        QCOMPARE(f.Combo(1004)->currentIndex(), 3);
        QCOMPARE(f.Combo(1005)->currentIndex(), 10);
        QCOMPARE(Legibility::Shown(f.Check(1012)->text()), U("10 : RUN/STOP & RESET극성"));
    }

    void savingOverAFileAsksFirst() {
        FormFixture f;
        QString path = m_dir.filePath("old.par");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'x'));
        file.close();
        {
            // Save as accepts only an existing file, and asks before replacing it.
            FileDialogAnswerer answerer(path);
            MessageBoxAnswerer boxes;  // answers the first button, "예"
            f.Frame().Command(57604)->trigger();
            QCOMPARE(answerer.FileMode(), QFileDialog::ExistingFile);
            QCOMPARE(answerer.Mode(), QFileDialog::AcceptSave);
            QCOMPARE(boxes.Count(), 1);
            QVERIFY(boxes.Texts().first().contains(U("old.par이(가) 이미 있습니다.")));
            QCOMPARE(boxes.ButtonTexts().first(), U("예|아니오"));
        }
        QCOMPARE(FileContents(path).size(), 1220);
    }

    void noToTheReplaceQuestionGoesBackToTheFileDialog() {
        FormFixture f;
        QString old = WriteFile("keep.par", "kept");
        FileDialogAnswerer answerer(QStringList{old, "other"});
        MessageBoxAnswerer boxes(U("아니오"));
        f.Frame().Command(57603)->trigger();
        QCOMPARE(answerer.Count(), 2);
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(FileContents(old), QByteArray("kept"));
        QCOMPARE(FileContents(m_dir.filePath("other.par")).size(), 1220);
    }

    void cancelledDialogChangesNothing() {
        FormFixture f;
        QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        ParamTable::Instance().SetParamValue(20, 9);
        FileDialogAnswerer answerer("");
        f.Frame().Command(57603)->trigger();
        QVERIFY(answerer.Seen());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
        FileDialogAnswerer openAnswerer("");
        f.Frame().Command(57601)->trigger();
        QVERIFY(openAnswerer.Seen());
        QCOMPARE(ParamTable::Instance().GetParamValue(20), 9);
    }

    void unwritableTargetReportsFileError() {
        FormFixture f;
        QString path = m_dir.filePath("missing-dir/x.par");
        FileDialogAnswerer answerer(path);
        MessageBoxAnswerer boxes;
        f.Frame().Command(57603)->trigger();
        QVERIFY(answerer.Seen());
        QTRY_VERIFY(boxes.Count() >= 1);
        QCOMPARE(boxes.Texts().last(), "File Error");
        QCOMPARE(boxes.Captions().last(), "VELD_Host_Para");
        QVERIFY(!QFile::exists(path));
    }

  private:
    QString WriteFile(const char* name, const QByteArray& bytes) {
        QString path = m_dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(FileMenuTest)
#include "FileMenuTest.moc"
