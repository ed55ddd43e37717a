#include "form/CValueDecDlg.h"

#include <string>
#include <string_view>

#include "params/DecimalText.h"

namespace {

// The dialog skips only blanks and tabs before the number, while DecimalText skips every
// white space character: a line break pasted in front of the digits leaves no leading
// digits here, so the text reads as 0.
int32_t ReadTypedNumber(std::string_view text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return 0;
    char first = text[start];
    if (first >= '\n' && first <= '\r') return 0;
    return DecimalText::Parse(text.substr(start));
}

}  // namespace

CValueDecDlg::CValueDecDlg() : CValueDlgBase(QStringLiteral("설정값변경(DEC)"), 53, 18, kLabelId) {}

CValueDecDlg& CValueDecDlg::Instance() { return RunObject<CValueDecDlg>(); }

int32_t CValueDecDlg::TakeResult() { return ReadTypedNumber(m_strValue.toStdString()); }
