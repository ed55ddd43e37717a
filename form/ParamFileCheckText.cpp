#include "form/ParamFileCheckText.h"

#include <QStringList>
#include <vector>

#include "form/Utf8Text.h"
#include "params/ParamFile.h"
#include "params/ParamTable.h"

namespace {

// Enough to find the fault; a binary file would otherwise fill the screen.
constexpr qsizetype kShown = 8;
constexpr size_t kShownInStatus = 8;

QString What(const ParamFileCheck::Problem& p) {
    using Fault = ParamFileCheck::Fault;
    switch (p.fault) {
        case Fault::kNotText:
            return Text("NUL 바이트가 있습니다: CP949 텍스트가 아닌 이진 파일이나 UTF-16 파일");
        case Fault::kFieldCount:
            return Text("필드가 %1개입니다 (레코드는 번호, 이름, 값의 3개)").arg(p.fields);
        case Fault::kBlankLine:
            return Text("마지막 줄이 아닌 빈 줄 (뒤의 필드를 밀어냅니다)");
        case Fault::kTruncated:
            return Text("레코드 도중에 파일이 끝납니다");
        case Fault::kBadNumber:
            return Text("파라미터 번호가 10진수가 아닙니다");
        case Fault::kBadValue:
            return Text("파라미터 %1의 값이 32비트 범위의 10진수가 아닙니다").arg(p.number);
        case Fault::kNoSuchParameter:
            return Text("파라미터 %1은(는) 없습니다 (0~109)").arg(p.number);
        case Fault::kDuplicate:
            break;
    }
    return Text("파라미터 %1이(가) 다시 나옵니다 (처음은 %2번째 줄)")
        .arg(p.number)
        .arg(p.firstLine);
}

QString NumberList(const std::vector<int32_t>& numbers) {
    QStringList texts;
    for (int32_t number : numbers) texts << QString::number(number);
    return texts.join(", ");
}

}  // namespace

QString ParamFileCheckText::Refusal(const QString& path,
                                    const std::optional<ParamFileCheck>& check) {
    QString text =
        Text("이 파일의 값은 보낼 수 없습니다. 아무것도 전송하지 않았습니다.\n%1\n").arg(path);
    if (!check) return text + Text("\n파일을 읽을 수 없습니다.");
    QStringList lines;
    const std::vector<ParamFileCheck::Problem>& problems = check->Problems();
    for (const ParamFileCheck::Problem& problem : problems) {
        if (lines.size() == kShown) {
            lines
                << Text("그 밖의 문제 %1개").arg(static_cast<qsizetype>(problems.size()) - kShown);
            break;
        }
        lines << Text("%1번째 줄: ").arg(problem.line) + What(problem);
    }
    if (!check->Missing().empty()) {
        lines << Text("파일에 없는 파라미터: ") + NumberList(check->Missing());
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
