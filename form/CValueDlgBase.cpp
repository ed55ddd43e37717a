#include "form/CValueDlgBase.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "form/ControlFit.h"
#include "form/DialogUnits.h"
#include "form/FormFont.h"
#include "params/ParamTable.h"

namespace {

constexpr int kWidth = 187;
constexpr int kOkId = 1;
constexpr int kCancelId = 2;

}  // namespace

CValueDlgBase::CValueDlgBase(const QString& caption, int height, int row, int labelId)
    : m_nHeight(height), m_nRow(row), m_nLabelId(labelId) {
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // The dialogs' font is "System" of size 10; the Korean family list stands in for it.
    setFont(FormFont::Gulim(10));
}

void CValueDlgBase::CreateControls() {
    setFixedSize(DialogUnits(font()).Size(kWidth, m_nHeight));

    // Created in tab order: the edit is the first tab stop and takes the focus.
    m_edtValue = new QLineEdit(this);
    m_edtValue->setAlignment(Qt::AlignCenter);
    m_edtValue->setAccessibleName(QStringLiteral("설정값"));
    Place(m_edtValue, kEditId, 79, m_nRow, 37, 12);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    Place(ok, kOkId, 131, 7, 50, 14);
    connect(ok, &QPushButton::clicked, this, &CValueDlgBase::OnOK);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Place(cancel, kCancelId, 131, 24, 50, 14);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_stcName = new QLabel(QStringLiteral("Static"), this);
    m_stcName->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Place(m_stcName, m_nLabelId, 8, m_nRow, 65, 8);
}

int CValueDlgBase::DoModal(QWidget* parent, int32_t paramNumber, int32_t& value) {
    if (!m_edtValue) {
        CreateControls();
        FitControls();
    }
    // Owned by the form only while shown, so that it stands over the form.
    setParent(parent, windowFlags());
    OnInitDialog(paramNumber);
    int result = exec();
    setParent(nullptr, windowFlags());
    if (result == QDialog::Accepted) value = m_nEditValue;
    return result;
}

void CValueDlgBase::Place(QWidget* control, int id, int x, int y, int width, int height) {
    control->setObjectName(QStringLiteral("ctl%1").arg(id));
    control->setGeometry(DialogUnits(font()).Rect(x, y, width, height));
}

void CValueDlgBase::FitControls() {
    // The name label is sized for the longest name it can show.
    const ParamTable& table = ParamTable::Instance();
    QStringList names;
    for (int32_t number : table.ListedNumbers()) names.append(NameLabel(number));
    std::vector<ControlFit::Need> needs;
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QStringList texts = control == m_stcName ? names : QStringList();
        needs.push_back({control, ControlFit::Needed(control, texts)});
    }
    ControlFit(this, rect()).Grow(std::move(needs));
}

QString CValueDlgBase::NameLabel(int32_t paramNumber) {
    return QString::fromUtf8(ParamTable::Instance().Entry(paramNumber).name) +
           QStringLiteral(" : ");
}

void CValueDlgBase::OnInitDialog(int32_t paramNumber) {
    const ParamTable& table = ParamTable::Instance();
    m_nValue = table.GetParamValue(paramNumber);
    m_strValue = QString::number(m_nValue);
    UpdateData(false);
    m_stcName->setText(NameLabel(paramNumber));
    // As a dialog gives the focus to an edit: all selected, so typing replaces the value.
    m_edtValue->setFocus();
    m_edtValue->selectAll();
}

void CValueDlgBase::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_strValue = m_edtValue->text();
    } else {
        m_edtValue->setText(m_strValue);
    }
}

void CValueDlgBase::OnOK() {
    UpdateData(true);
    m_nEditValue = TakeResult();
    accept();
}
