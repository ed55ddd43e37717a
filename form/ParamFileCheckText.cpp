#include "form/ParamFileCheckText.h"

#include <QStringList>
#include <vector>

#include "form/NumberList.h"
#include "form/Utf8Text.h"
#include "params/ParamFile.h"
#include "params/ParamFileCheckWords.h"
#include "params/ParamTable.h"

namespace {

// Enough to find the fault; a binary file would otherwise fill the screen.
constexpr size_t kShown = 8;
constexpr size_t kShownInStatus = 8;

}  // namespace

QString ParamFileCheckText::Refusal(const QString& path,
                                    const std::optional<ParamFileCheck>& check) {
    QString text =
        Text("이 파일의 값은 보낼 수 없습니다. 아무것도 전송하지 않았습니다.\n%1\n").arg(path);
    if (!check) return text + Text("\n파일을 읽을 수 없습니다.");
    QStringList lines;
    for (const ParamFileCheckWords::Words& words :
         ParamFileCheckWords::Lines(*check, kShown, true)) {
        lines << QString::fromStdString(words.korean);
    }
    return text + "\n" + lines.join('\n');
}

QString ParamFileCheckText::NotSetByOpen(const QString& path) {
    ParamSet opened;
    if (!ParamFile::Read(path.toStdString(), opened)) return QString();
    std::vector<int32_t> notSet;
    for (int32_t number : ParamTable::Instance().ListedNumbers()) {
        if (!opened.Has(number)) notSet.push_back(number);
    }
    if (notSet.empty()) return QString();
    // The status bar holds one short line: the count, and the first numbers.
    size_t count = notSet.size();
    bool cut = count > kShownInStatus;
    if (cut) notSet.resize(kShownInStatus);
    return Text("열기: 파일에 없어 값이 그대로인 파라미터 %1개: ").arg(count) + NumberList(notSet) +
           (cut ? Text(" …") : QString());
}
