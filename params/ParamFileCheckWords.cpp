#include "params/ParamFileCheckWords.h"

namespace {

using Fault = ParamFileCheck::Fault;
using Words = ParamFileCheckWords::Words;

Words What(const ParamFileCheck::Problem& p) {
    const std::string number = std::to_string(p.number);
    switch (p.fault) {
        case Fault::kNotText:
            return {"NUL 바이트가 있습니다: CP949 텍스트가 아닌 이진 파일이나 UTF-16 파일",
                    "a NUL byte: a binary or UTF-16 file, not CP949 text"};
        case Fault::kFieldCount:
            return {
                "필드가 " + std::to_string(p.fields) + "개입니다 (레코드는 번호, 이름, 값의 3개)",
                std::to_string(p.fields) + " fields where a record has 3 (number, name, value)"};
        case Fault::kBlankLine:
            return {"마지막 줄이 아닌 빈 줄 (뒤의 필드를 밀어냅니다)",
                    "a blank line before the last line (it shifts the fields of the lines after "
                    "it)"};
        case Fault::kTruncated:
            return {"레코드 도중에 파일이 끝납니다", "the file ends inside this record"};
        case Fault::kBadNumber:
            return {"파라미터 번호가 10진수가 아닙니다",
                    "the parameter number is not a decimal number"};
        case Fault::kBadValue:
            return {"파라미터 " + number + "의 값이 32비트 범위의 10진수가 아닙니다",
                    "the value of parameter " + number + " is not a decimal number within 32 bits"};
        case Fault::kNoSuchParameter:
            return {"파라미터 " + number + "은(는) 없습니다 (0~109)",
                    "parameter " + number + " does not exist (0 to 109)"};
        case Fault::kDuplicate:
            break;
    }
    const std::string first = std::to_string(p.firstLine);
    return {"파라미터 " + number + "이(가) 다시 나옵니다 (처음은 " + first + "번째 줄)",
            "parameter " + number + " again (first on line " + first + ")"};
}

Words Missing(const std::vector<int32_t>& numbers) {
    Words words{"파일에 없는 파라미터: ", "not set by any record:"};
    for (size_t i = 0; i < numbers.size(); ++i) {
        words.korean += (i == 0 ? "" : ", ") + std::to_string(numbers[i]);
        words.english += " " + std::to_string(numbers[i]);
    }
    return words;
}

Words Problem(const ParamFileCheck::Problem& problem) {
    const std::string line = std::to_string(problem.line);
    Words what = What(problem);
    return {line + "번째 줄: " + what.korean, "line " + line + ": " + what.english};
}

}  // namespace

std::vector<Words> ParamFileCheckWords::Lines(const ParamFileCheck& check, size_t shown,
                                              bool missing) {
    std::vector<Words> lines;
    const std::vector<ParamFileCheck::Problem>& problems = check.Problems();
    for (size_t i = 0; i < problems.size() && i < shown; ++i) lines.push_back(Problem(problems[i]));
    if (problems.size() > shown) {
        std::string more = std::to_string(problems.size() - shown);
        lines.push_back({"그 밖의 문제 " + more + "개", "... and " + more + " more"});
    }
    if (missing && !check.Missing().empty()) lines.push_back(Missing(check.Missing()));
    return lines;
}
