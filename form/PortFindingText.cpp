#include "form/PortFindingText.h"

#include <cstring>

#include "form/Utf8Text.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString PortFindingText::Reason(const PortFinding& f) {
    using Kind = PortFinding::Kind;
    switch (f.kind) {
        case Kind::kReady:
            return Text(
                "열 수 있습니다: 읽기·쓰기 권한이 있고, 이 포트를 쓰는 프로그램이 없습니다");
        case Kind::kNoSuchDevice:
            return Text("장치가 없습니다: %1").arg(Q(f.path));
        case Kind::kNotADevice:
            return Text("직렬 장치가 아닙니다: %1").arg(Q(f.path));
        case Kind::kNoUart:
            return Text("%1 뒤에 UART가 없습니다").arg(Q(f.path));
        case Kind::kJoinGroup:
            return Text("권한 없음: %1 그룹에 가입해야 합니다").arg(Q(f.group));
        case Kind::kLogInAgain:
            return Text("권한 없음: %1 그룹은 다시 로그인해야 적용됩니다").arg(Q(f.group));
        case Kind::kNoAccess:
            return Text("권한 없음: 소유자만 쓸 수 있는 장치입니다");
        case Kind::kHeldBy:
            if (f.self) return Text("이 프로그램이 이미 사용 중입니다 (PID %1)").arg(f.pid);
            return Text("\"%1\" (PID %2)이(가) 사용 중입니다").arg(Q(f.process)).arg(f.pid);
        case Kind::kHolderHidden:
            return Text("다른 사용자의 프로그램이 사용 중입니다");
        case Kind::kBrltty:
            return Text("brltty (PID %1)가 이 어댑터(USB %2)를 가져갑니다")
                .arg(f.pid)
                .arg(Q(f.usbId));
        case Kind::kModemManager:
            return Text("ModemManager (PID %1)가 새 ACM 장치를 몇 초 동안 검사합니다").arg(f.pid);
        case Kind::kOpenFailed:
            return Text("열 수 없습니다: %1").arg(QString::fromLocal8Bit(std::strerror(f.error)));
    }
    return QString();
}

QString PortFindingText::Remedy(const PortFinding& f) {
    using Kind = PortFinding::Kind;
    switch (f.kind) {
        case Kind::kNoSuchDevice:
            return Text(
                "어댑터가 꽂혀 있는지 확인하고 포트 목록을 다시 펼쳐 고르십시오.\n"
                "COM 이름은 --port-map COMn=장치경로 로 장치에 이어집니다.");
        case Kind::kNotADevice:
            return Text("포트 목록에서 직렬 장치(/dev/ttyUSB0 등)를 고르십시오.");
        case Kind::kNoUart:
            return Text(
                "USB 어댑터의 포트를 고르거나, COM 이름을 장치에 이으십시오:\n"
                "VELD_Host_Para --port-map COM1=/dev/ttyUSB0");
        case Kind::kJoinGroup:
            return Text("sudo usermod -aG %1 %2\n그다음 로그아웃했다가 다시 로그인하십시오.")
                .arg(Q(f.group), Q(f.user));
        case Kind::kLogInAgain:
            return Text("로그아웃했다가 다시 로그인하십시오 (또는 재부팅).");
        case Kind::kNoAccess:
            return Text(
                       "관리자에게 이 장치를 %1 그룹이 읽고 쓸 수 있게 해 달라고 하십시오 "
                       "(udev 규칙의 MODE=\"0660\").")
                .arg(Q(f.group));
        case Kind::kHeldBy:
            if (f.self) return Text("\"통신종료\"를 누른 뒤 다시 연결하십시오.");
            return Text("그 프로그램을 끝내십시오:\nkill %1").arg(f.pid);
        case Kind::kHolderHidden:
            return Text("어느 프로그램인지 보려면:\nsudo fuser -v %1").arg(Q(f.path));
        case Kind::kBrltty:
            return Text(
                "점자 단말기를 쓰지 않는다면 brltty를 지우고 어댑터를 다시 꽂으십시오:\n"
                "sudo apt remove brltty\n"
                "지우지 않으려면:\n"
                "sudo systemctl mask brltty-udev.service brltty.service");
        case Kind::kModemManager:
            return Text(
                "몇 초 뒤 다시 연결하십시오. 늘 그렇다면 이 장치를 ModemManager에서 빼십시오 "
                "(udev 규칙의 ENV{ID_MM_DEVICE_IGNORE}=\"1\"), 또는:\n"
                "sudo systemctl stop ModemManager");
        case Kind::kReady:
        case Kind::kOpenFailed:
            break;
    }
    return QString();
}

QString PortFindingText::OpenFailure(const PortDoctor::Report& report) {
    return Text("포트를 열 수 없습니다: %1 (도구 > 포트 진단)").arg(Reason(report.Verdict()));
}
