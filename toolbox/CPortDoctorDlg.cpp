#include "toolbox/CPortDoctorDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <utility>

#include "form/Named.h"
#include "form/PortDescriptionText.h"
#include "form/Utf8Text.h"
#include "serial/PortFindingWords.h"

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 380;

}  // namespace

CPortDoctorDlg::CPortDoctorDlg(const QString& port, PortDoctor doctor, QWidget* parent)
    : QDialog(parent), m_strPort(port), m_doctor(std::move(doctor)) {
    setObjectName(QStringLiteral("portDoctorDlg"));
    setWindowTitle(Text("포트 진단"));
    CreateControls();
    connect(&m_examination, &PortExamination::Examined, this, &CPortDoctorDlg::ShowReport);
    resize(kWidth, kHeight);
    OnExamine();
}

void CPortDoctorDlg::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    m_lblPort = Named(new QLabel(this), "doctorPort");
    m_lblPort->setWordWrap(true);
    m_lblPort->setTextFormat(Qt::PlainText);
    m_lblPort->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_lblPort);
    m_text = Named(new QTextEdit(this), "doctorFindings");
    m_text->setReadOnly(true);
    m_text->setAccessibleName(Text("진단 결과"));
    layout->addWidget(m_text, 1);
    auto* box = new QDialogButtonBox(this);
    m_btnAgain =
        Named(box->addButton(Text("다시 진단(&A)"), QDialogButtonBox::ActionRole), "doctorAgain");
    QPushButton* copy =
        Named(box->addButton(Text("모두 복사(&C)"), QDialogButtonBox::ActionRole), "doctorCopy");
    QPushButton* close = box->addButton(Text("닫기"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(m_btnAgain, &QPushButton::clicked, this, &CPortDoctorDlg::OnExamine);
    connect(copy, &QPushButton::clicked, this, &CPortDoctorDlg::OnCopy);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(box);
}

void CPortDoctorDlg::OnExamine() {
    // A device's report is shown before Start returns; a network port's once
    // its connect was tried, which may take seconds.
    if (!m_examination.Start(m_doctor, m_strPort) || !m_examination.IsRunning()) return;
    m_btnAgain->setEnabled(false);
    m_lblPort->setText(Text("포트: ") + m_strPort);
    m_text->setPlainText(Text("진단 중..."));
}

void CPortDoctorDlg::ShowReport(const PortDoctor::Report& report) {
    m_btnAgain->setEnabled(true);
    QString port = Text("포트: ") + m_strPort;
    if (!report.path.empty() && report.path != report.name) {
        port += QStringLiteral(" → ") + QString::fromStdString(report.path);
    }
    if (report.port && !report.port->Description().empty()) {
        port += "\n" + PortDescriptionText::Parts(*report.port).join(", ");
    }
    m_lblPort->setText(port);

    QString html;
    QString mono = QFontDatabase::systemFont(QFontDatabase::FixedFont).family().toHtmlEscaped();
    for (const PortFinding& finding : report.findings) {
        PortFindingWords words = PortFindingWords::Of(finding);
        html += QStringLiteral("<p><b>%1</b></p>")
                    .arg(QString::fromStdString(words.reason.korean).toHtmlEscaped());
        QString remedy = QString::fromStdString(words.remedy.korean);
        if (remedy.isEmpty()) continue;
        html +=
            QStringLiteral(
                "<pre style=\"font-family:'%1'; margin-left:16px; white-space:pre-wrap\">%2</pre>")
                .arg(mono, remedy.toHtmlEscaped());
    }
    m_text->setHtml(html);
}

QString CPortDoctorDlg::FindingsText() const {
    return m_lblPort->text() + "\n\n" + m_text->toPlainText();
}

void CPortDoctorDlg::OnCopy() { QApplication::clipboard()->setText(FindingsText()); }
