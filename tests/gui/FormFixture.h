#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>

#include "MessageBoxAnswerer.h"
#include "app/CMainFrame.h"
#include "app/RecentFileList.h"
#include "form/CVELD_Host_ParaView.h"
#include "form/FormId.h"
#include "grid/CMSFlexGrid.h"
#include "support/Eventually.h"
#include "support/PtyPair.h"

// A main window with its form after the initial update, as the operator
// finds it at start, and the ways a test reaches its controls.
class FormFixture {
  public:
    FormFixture();
    ~FormFixture();

    CMainFrame& Frame() { return *m_frame; }
    CVELD_Host_ParaView& View() { return *m_frame->View(); }

    template <class Widget>
    Widget* Ctl(int id) {
        return m_frame->View()->findChild<Widget*>(QStringLiteral("ctl%1").arg(id));
    }
    QPushButton* Button(int id) { return Ctl<QPushButton>(id); }
    QComboBox* Combo(int id) { return Ctl<QComboBox>(id); }
    QCheckBox* Check(int id) { return Ctl<QCheckBox>(id); }
    QLineEdit* Edit(int id) { return Ctl<QLineEdit>(id); }
    QListWidget* List(int id) { return Ctl<QListWidget>(id); }
    CMSFlexGrid* Grid() { return Ctl<CMSFlexGrid>(FormId::kParamGrid); }
    QStringList ListLines(int id);

    void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton); }
    void ClickCheck(int id) { QTest::mouseClick(Check(id), Qt::LeftButton, {}, QPoint(5, 5)); }
    // Chooses an item as the operator does, through the combo's list.
    void Choose(int comboId, int index);
    void Type(int editId, const QString& text);

    void Tick() { View().OnTimer(); }
    // Clicks a cell of the grid, then double-clicks it as the operator does to edit,
    // and answers the value dialog: types `text` into edit 1030 (unless it is null),
    // ticks the listed bit boxes, then presses OK or cancels. Returns the dialog's
    // caption; empty when none came up.
    QString EditCell(int row, int col, const QString& text, QList<int> bitIds = {}, bool ok = true);
    // Chooses the menu item `action` names and returns the object name of the
    // modal dialog it opens, which is then closed; empty when none opened.
    QString DialogOpenedBy(const char* action);

  private:
    // Answers, after 5 s, a box the test did not expect.
    MessageBoxAnswerer m_boxGuard{QString(), 5000};
    RecentFileList m_recentFiles;
    std::unique_ptr<CMainFrame> m_frame;
};

// The bytes of a file; empty when it cannot be read.
QByteArray FileContents(const QString& path);

// The form with port "COM15" (its default) mapped to the pseudo-terminal, on
// whose master side the test plays the drive.
class FormOnPty : public PtyPair, public FormFixture {
  public:
    FormOnPty();
    ~FormOnPty();

    // Ticks until the drive has received `count` lines (10 s at most) and
    // returns them without their CRs.
    QStringList TickAndReceive(int count);
};
