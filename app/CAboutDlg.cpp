#include "app/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QtGlobal>

#include "app/DialogUnits.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    // The images live in the static GUI library, which must register them.
    Q_INIT_RESOURCE(res);
    setWindowTitle(QString::fromUtf8("VELD_Host_Para 정보"));
    setFont(DialogUnits::GulimFont());
    DialogUnits du(font());
    setFixedSize(du.X(235), du.Y(55));

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/res/VELD_Host_Para.png")));
    icon->setAccessibleName(QStringLiteral("VELD_Host_Para"));
    icon->setGeometry(du.X(11), du.Y(17), 32, 32);

    auto* name = new QLabel(QString::fromUtf8("VELD_Host_Para 버전 1.0"), this);
    name->setGeometry(du.Rect(40, 10, 119, 8));
    auto* platform = new QLabel(QString::fromUtf8("Linux 판 Qt ") + qVersion(), this);
    platform->setGeometry(du.Rect(40, 25, 119, 8));

    auto* ok = new QPushButton(QString::fromUtf8("확인"), this);
    ok->setObjectName(QStringLiteral("ctl1"));
    ok->setGeometry(du.Rect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
