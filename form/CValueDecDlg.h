#pragma once

#include "form/CValueDlgBase.h"

// Dialog 131: changes a parameter value typed in decimal.
class CValueDecDlg : public CValueDlgBase {
    Q_OBJECT

  public:
    static constexpr int kLabelId = 1031;

    // The one decimal dialog of the run.
    static CValueDecDlg& Instance();

  private:
    friend class CValueDlgBase;

    CValueDecDlg();
    int32_t TakeResult() override;
};
