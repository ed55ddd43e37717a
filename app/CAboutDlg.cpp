#include "app/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QtGlobal>

#include "VeldVersion.h"
#include "form/ControlFit.h"
#include "form/DialogUnits.h"
#include "form/FormFont.h"
#include "form/Named.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    // The images live in the static GUI library, which must register them.
    Q_INIT_RESOURCE(res);
    setWindowTitle(QString::fromUtf8("VELD_Host_Para 정보"));
    setFont(FormFont::Gulim());
    DialogUnits du(font());
    setFixedSize(du.Size(235, 55));

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/res/VELD_Host_Para.png")));
    icon->setAccessibleName(QStringLiteral("VELD_Host_Para"));
    icon->setGeometry(QRect(du.Rect(11, 17, 0, 0).topLeft(), QSize(32, 32)));

    auto* name = new QLabel(QString::fromUtf8("VELD_Host_Para 버전 ") + VeldVersion::kShort, this);
    name->setGeometry(du.Rect(40, 10, 119, 8));
    auto* platform = new QLabel(QString::fromUtf8("Linux 판 Qt ") + qVersion(), this);
    platform->setGeometry(du.Rect(40, 25, 119, 8));

    auto* ok = Named(new QPushButton(QString::fromUtf8("확인"), this), "ctl1");
    ok->setGeometry(du.Rect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ControlFit(this, rect()).GrowAll();
}
