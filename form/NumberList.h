#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// Parameter or station numbers as the texts list them: "1, 7, 42".
inline QString NumberList(const std::vector<int32_t>& numbers) {
    QStringList texts;
    for (int32_t number : numbers) texts << QString::number(number);
    return texts.join(", ");
}
