#pragma once

#include <QDialog>
#include <QString>

#include "serial/PortDoctor.h"

class QLabel;
class QTextEdit;

// "포트 진단": what the port doctor finds about a port (the one chosen in the
// form), each finding with its remedy, as text the operator can select and
// copy; "다시 진단" looks again after the operator has acted.
class CPortDoctorDlg : public QDialog {
    Q_OBJECT
  public:
    CPortDoctorDlg(const QString& port, PortDoctor doctor, QWidget* parent = nullptr);

    void OnExamine();
    // Every finding and remedy to the clipboard, as plain text.
    void OnCopy();
    QString FindingsText() const;

  private:
    void CreateControls();

    QString m_strPort;
    PortDoctor m_doctor;
    QLabel* m_lblPort = nullptr;
    QTextEdit* m_text = nullptr;
};
