#include "form/CValueHexDlg.h"

#include <QCheckBox>

namespace {

struct BoxPlace {
    int x;
    int y;
};

// Two rows of four, bits 7 to 4 above and 3 to 0 below, the higher bit on the left.
constexpr BoxPlace kBoxPlaces[CValueHexDlg::kBits] = {
    {138, 66}, {96, 66}, {54, 66}, {12, 66}, {138, 52}, {96, 52}, {54, 52}, {12, 52},
};

int32_t Mask(int bit) { return int32_t{1} << bit; }

}  // namespace

CValueHexDlg::CValueHexDlg() : CValueDlgBase(QStringLiteral("설정값변경(HEX)"), 94, 13, kLabelId) {}

void CValueHexDlg::CreateControls() {
    CValueDlgBase::CreateControls();
    for (int bit = 0; bit < kBits; ++bit) {
        auto* box = new QCheckBox(QStringLiteral("Bit<%1>").arg(bit), this);
        Place(box, kFirstBitId + bit, kBoxPlaces[bit].x, kBoxPlaces[bit].y, 37, 10);
        connect(box, &QCheckBox::clicked, this, [this, bit] { OnBitClicked(bit); });
        m_chkBit[bit] = box;
    }
}

CValueHexDlg& CValueHexDlg::Instance() { return RunObject<CValueHexDlg>(); }

void CValueHexDlg::OnInitDialog(int32_t paramNumber) {
    CValueDlgBase::OnInitDialog(paramNumber);
    for (int bit = 0; bit < kBits; ++bit) m_chkBit[bit]->setChecked((m_nValue & Mask(bit)) != 0);
}

int32_t CValueHexDlg::TakeResult() {
    for (int bit = 0; bit < kBits; ++bit) CopyBox(bit);
    return m_nValue;
}

void CValueHexDlg::OnBitClicked(int bit) {
    CopyBox(bit);
    m_strValue = QString::number(m_nValue);
    UpdateData(false);
}

void CValueHexDlg::CopyBox(int bit) {
    m_nValue = m_chkBit[bit]->isChecked() ? m_nValue | Mask(bit) : m_nValue & ~Mask(bit);
}
