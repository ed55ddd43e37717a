#include "form/PortFindingText.h"

#include <cstring>

#include "form/Utf8Text.h"
#include "serial/NetAddress.h"
#include "serial/NetDevice.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// How a holder holds the port, short for the status bar.
QString HoldText(PortFinding::Hold hold) {
    switch (hold) {
        case PortFinding::Hold::kOpen:
            return Text("열었습니다");
        case PortFinding::Hold::kLock:
            return Text("잠갔습니다");
        case PortFinding::Hold::kExclusive:
            return Text("독점했습니다");
    }
    return QString();
}

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
            if (f.user.empty()) {
                return Text("\"%1\" (PID %2)이(가) %3")
                    .arg(Q(f.process))
                    .arg(f.pid)
                    .arg(HoldText(f.hold));
            }
            return Text("\"%1\" (PID %2, %3)이(가) %4")
                .arg(Q(f.process))
                .arg(f.pid)
                .arg(Q(f.user), HoldText(f.hold));
        case Kind::kHolderHidden:
            return Text("사용 중이지만 쓰는 프로그램이 보이지 않습니다");
        case Kind::kBrltty:
            return Text("brltty (PID %1)가 이 어댑터(USB %2)를 가져갑니다")
                .arg(f.pid)
                .arg(Q(f.usbId));
        case Kind::kModemManager:
            return Text("ModemManager (PID %1)가 새 ACM 장치를 몇 초 동안 검사합니다").arg(f.pid);
        case Kind::kOpenFailed:
            return Text("열 수 없습니다: %1").arg(QString::fromLocal8Bit(std::strerror(f.error)));
        case Kind::kBadAddress:
            return Text("네트워크 포트 이름이 아닙니다: %1").arg(Q(f.path));
        case Kind::kNameUnresolved:
            return Text("호스트 이름 %1을(를) 찾을 수 없습니다").arg(Q(f.host));
        case Kind::kRefused:
            return Text("연결이 거부되었습니다: %1에서 기다리는 서버가 없습니다").arg(Q(f.path));
        case Kind::kNoAnswer:
            return Text("%1이(가) %2초 안에 응답하지 않습니다")
                .arg(Q(f.host))
                .arg(NetDevice::kOpenTimeout.count() / 1000);
        case Kind::kClosedAtOnce:
            if (f.said.empty()) return Text("서버가 연결을 바로 끊었습니다");
            return Text("서버가 연결을 바로 끊었습니다: \"%1\"").arg(Q(f.said));
        case Kind::kNoTelnet:
            return Text("서버가 RFC 2217로 응답하지 않습니다 (raw TCP 포트?)");
        case Kind::kTelnetRefused:
            return Text("서버가 RFC 2217을 거부했습니다");
        case Kind::kLineRefused:
            return Text("서버가 통신 설정을 받아들이지 않았습니다");
        case Kind::kServerAnswers:
            if (NetAddress::Parse(f.path)->kind == NetAddress::Kind::kRfc2217) {
                return Text("열 수 있습니다: 서버가 연결을 받고 RFC 2217로 응답합니다");
            }
            return Text("열 수 있습니다: 서버가 연결을 받습니다 (통신 설정은 서버의 것입니다)");
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
        case Kind::kHeldBy: {
            if (f.self) return Text("\"통신종료\"를 누른 뒤 다시 연결하십시오.");
            QString what =
                f.hold == PortFinding::Hold::kOpen
                    ? Text("열기는 막지 않지만, 두 프로그램이 서로의 데이터를 가져갑니다.\n")
                    : Text("그 프로그램이 있는 동안은 열 수 없습니다.\n");
            if (f.otherUser || f.user.empty()) {
                return what +
                       Text("%1에게 그 프로그램을 끝내 달라고 하거나, 관리자가:\nsudo kill %2")
                           .arg(f.user.empty() ? Text("그 사용자") : Q(f.user))
                           .arg(f.pid);
            }
            return what + Text("그 프로그램을 끝내십시오:\nkill %1").arg(f.pid);
        }
        case Kind::kHolderHidden:
            return Text(
                       "열기가 거부되었지만, 볼 수 있는 프로그램 중에는 쓰는 것이 없습니다: "
                       "다른 사용자의 프로그램이 독점하고 있거나, 강제로 끝난 프로그램이 "
                       "독점 표시를 남겼습니다 (가상 터미널에는 남습니다).\n"
                       "누가 쓰는지 보려면:\nsudo fuser -v %1\n"
                       "아무도 없다면 남은 표시입니다: veld-drive-sim은 곧 스스로 지웁니다.\n"
                       "다른 프로그램이 만든 가상 터미널이면 그 프로그램을 다시 시작하고, "
                       "USB 어댑터면 뽑았다가 다시 꽂으십시오.")
                .arg(Q(f.path));
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
        case Kind::kBadAddress:
            return Text(
                "tcp://호스트:포트 또는 rfc2217://호스트:포트 로 적으십시오 "
                "(IPv6 주소는 대괄호 안에: rfc2217://[::1]:4001).");
        case Kind::kNameUnresolved:
            return Text("이름을 확인하거나 서버의 주소를 적으십시오: tcp://192.0.2.7:4001");
        case Kind::kRefused:
            return Text("서버(ser2net)를 시작하고 설정의 포트 번호를 확인하십시오.");
        case Kind::kNoAnswer:
            return Text("주소와 서버의 네트워크 연결, 연결을 막는 방화벽이 없는지 확인하십시오.");
        case Kind::kClosedAtOnce:
            return Text(
                "다른 클라이언트가 이 포트를 쓰고 있거나 서버가 클라이언트를 하나만 받습니다: "
                "다른 연결을 끝낸 뒤 다시 연결하십시오 (ser2net: max-connections).");
        case Kind::kNoTelnet:
            return Text(
                "raw TCP 포트는 tcp://호스트:포트 로 여십시오. RFC 2217을 쓰려면 서버의 "
                "accepter가 telnet(rfc2217)이어야 합니다.");
        case Kind::kTelnetRefused:
            return Text(
                "tcp://호스트:포트 로 여시거나 서버에서 RFC 2217을 켜십시오:\n"
                "accepter: telnet(rfc2217),tcp,포트");
        case Kind::kLineRefused:
            return Text("서버의 직렬 포트가 지원하는 속도와 형식을 고르십시오.");
        case Kind::kReady:
        case Kind::kOpenFailed:
        case Kind::kServerAnswers:
            break;
    }
    return QString();
}

QString PortFindingText::OpenFailure(const PortDoctor::Report& report) {
    return Text("포트를 열 수 없습니다: %1 (도구 > 포트 진단)").arg(Reason(report.Verdict()));
}
