#include "toolbox/ParamNameText.h"

#include <string_view>

#include "params/ParamTable.h"

QString ParamNameText::Of(int32_t number) {
    std::string_view name = ParamTable::NameOf(number);
    return name == "RESERVED" ? QString::fromUtf8("예약") : QString::fromUtf8(name);
}
