#pragma once

#include <QDialog>
#include <QString>

#include "form/PortExamination.h"
#include "serial/PortDoctor.h"

class QLabel;
class QPushButton;
class QTextEdit;

// "포트 진단": what the port doctor finds about a port (the one chosen in the
// form), each finding with its remedy, as text the operator can select and
// copy; "다시 진단" looks again after the operator has acted. A network port's
// examination tries a connect off the GUI thread; the window goes on meanwhile.
class CPortDoctorDlg : public QDialog {
    Q_OBJECT
  public:
    CPortDoctorDlg(const QString& port, PortDoctor doctor, QWidget* parent = nullptr);

    void OnExamine();
    bool IsExamining() const { return m_examination.IsRunning(); }
    // Every finding and remedy to the clipboard, as plain text.
    void OnCopy();
    QString FindingsText() const;

  private:
    void CreateControls();
    void ShowReport(const PortDoctor::Report& report);

    QString m_strPort;
    PortDoctor m_doctor;
    PortExamination m_examination;
    QLabel* m_lblPort = nullptr;
    QTextEdit* m_text = nullptr;
    QPushButton* m_btnAgain = nullptr;
};
