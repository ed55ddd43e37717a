#pragma once

#include <array>

#include "form/CValueDlgBase.h"

class QCheckBox;

// Dialog 132: changes bits 0 to 7 of a parameter value with eight check boxes; the
// edit only shows the value in decimal. Bits 8 to 31 keep what they had.
class CValueHexDlg : public CValueDlgBase {
    Q_OBJECT

  public:
    static constexpr int kLabelId = 1032;
    static constexpr int kFirstBitId = 1033;  // the box of bit k is kFirstBitId + k
    static constexpr int kBits = 8;

    // The one bit dialog of the run.
    static CValueHexDlg& Instance();

  private:
    friend class CValueDlgBase;

    CValueHexDlg();
    void CreateControls() override;
    void OnInitDialog(int32_t paramNumber) override;
    int32_t TakeResult() override;
    void OnBitClicked(int bit);
    // Bit `bit` of m_nValue takes the state of its box.
    void CopyBox(int bit);

    std::array<QCheckBox*, kBits> m_chkBit{};
};
