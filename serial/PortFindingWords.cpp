#include "serial/PortFindingWords.h"

#include <cstring>

#include "serial/NetAddress.h"
#include "serial/NetDevice.h"

namespace {

using Kind = PortFinding::Kind;
using Hold = PortFinding::Hold;
using Words = PortFindingWords::Words;

std::string Pid(int pid) { return "(PID " + std::to_string(pid) + ")"; }

// How a holder holds the port: short in Korean for the status bar; in English
// with what it does to an open, which the Korean remedy says instead.
Words HoldWords(Hold hold) {
    switch (hold) {
        case Hold::kOpen:
            return {"열었습니다",
                    "it has the port open: the open is not refused, but both programs would take "
                    "each other's bytes"};
        case Hold::kLock:
            return {"잠갔습니다", "it holds a lock on the port, so the open is refused"};
        case Hold::kExclusive:
            return {"독점했습니다", "it holds the port exclusively, so the open is refused"};
    }
    return {};
}

PortFindingWords HeldWords(const PortFinding& f) {
    const std::string pid = std::to_string(f.pid);
    if (f.self) {
        return {"held-by",
                {"이 프로그램이 이미 사용 중입니다 " + Pid(f.pid),
                 "in use by this program " + Pid(f.pid)},
                {"\"통신종료\"를 누른 뒤 다시 연결하십시오.", ""}};
    }
    Words hold = HoldWords(f.hold);
    Words reason =
        f.user.empty()
            ? Words{"\"" + f.process + "\" (PID " + pid + ")이(가) " + hold.korean,
                    "in use by \"" + f.process + "\" (PID " + pid + "): " + hold.english}
            : Words{"\"" + f.process + "\" (PID " + pid + ", " + f.user + ")이(가) " + hold.korean,
                    "in use by \"" + f.process + "\" (PID " + pid + ", user " + f.user +
                        "): " + hold.english};
    std::string effect = f.hold == Hold::kOpen
                             ? "열기는 막지 않지만, 두 프로그램이 서로의 데이터를 가져갑니다.\n"
                             : "그 프로그램이 있는 동안은 열 수 없습니다.\n";
    if (f.otherUser || f.user.empty()) {
        Words who = f.user.empty() ? Words{"그 사용자", "its user"} : Words{f.user, f.user};
        return {"held-by",
                reason,
                {effect + who.korean +
                     "에게 그 프로그램을 끝내 달라고 하거나, 관리자가:\nsudo kill " + pid,
                 "ask " + who.english + " to end that program, or an administrator:\nsudo kill " +
                     pid}};
    }
    return {"held-by",
            reason,
            {effect + "그 프로그램을 끝내십시오:\nkill " + pid, "end that program:\nkill " + pid}};
}

// Why the open is refused for want of a device or of the right to use it.
PortFindingWords DeviceWords(const PortFinding& f) {
    switch (f.kind) {
        case Kind::kNoSuchDevice:
            return {"no-such-device",
                    {"장치가 없습니다: " + f.path, "no such device: " + f.path},
                    {"어댑터가 꽂혀 있는지 확인하고 포트 목록을 다시 펼쳐 고르십시오.\n"
                     "COM 이름은 --port-map COMn=장치경로 로 장치에 이어집니다.",
                     "plug the adapter in and see veld-para ports;\n"
                     "a COM name opens the device given with --port-map COMn=PATH"}};
        case Kind::kNotADevice:
            return {"not-a-device",
                    {"직렬 장치가 아닙니다: " + f.path, "not a serial device: " + f.path},
                    {"포트 목록에서 직렬 장치(/dev/ttyUSB0 등)를 고르십시오.",
                     "name a serial device (see veld-para ports)"}};
        case Kind::kNoUart:
            return {"no-uart",
                    {f.path + " 뒤에 UART가 없습니다",
                     "no UART behind " + f.path + " (a port in name only)"},
                    {"USB 어댑터의 포트를 고르거나, COM 이름을 장치에 이으십시오:\n"
                     "VELD_Host_Para --port-map COM1=/dev/ttyUSB0",
                     "name the adapter's port (see veld-para ports), or map the COM name:\n"
                     "--port-map COM1=/dev/ttyUSB0"}};
        case Kind::kJoinGroup:
            return {"join-group",
                    {"권한 없음: " + f.group + " 그룹에 가입해야 합니다",
                     "permission denied: group " + f.group + " may use it, user " + f.user +
                         " is not in it"},
                    {"sudo usermod -aG " + f.group + " " + f.user +
                         "\n그다음 로그아웃했다가 다시 로그인하십시오.",
                     "sudo usermod -aG " + f.group + " " + f.user + "\nthen log out and in again"}};
        case Kind::kLogInAgain:
            return {"log-in-again",
                    {"권한 없음: " + f.group + " 그룹은 다시 로그인해야 적용됩니다",
                     "permission denied: user " + f.user + " is in group " + f.group +
                         " from the next login on"},
                    {"로그아웃했다가 다시 로그인하십시오 (또는 재부팅).",
                     "log out and in again (or reboot)"}};
        case Kind::kNoAccess:
            return {"no-access",
                    {"권한 없음: 소유자만 쓸 수 있는 장치입니다",
                     "permission denied: only its owner may use it"},
                    {"관리자에게 이 장치를 " + f.group +
                         " 그룹이 읽고 쓸 수 있게 해 달라고 하십시오 (udev 규칙의 MODE=\"0660\").",
                     "ask the administrator for a udev rule that lets a group read and write it "
                     "(MODE=\"0660\")"}};
        case Kind::kOpenFailed:
            return {"open-failed",
                    {std::string("열 수 없습니다: ") + std::strerror(f.error),
                     std::string("cannot open: ") + std::strerror(f.error)},
                    {}};
        default:
            return {};  // Of() sends each kind to its group
    }
}

// Who else has the port or will soon take it.
PortFindingWords HolderWords(const PortFinding& f) {
    switch (f.kind) {
        case Kind::kHeldBy:
            return HeldWords(f);
        case Kind::kHolderHidden:
            return {"holder-hidden",
                    {"사용 중이지만 쓰는 프로그램이 보이지 않습니다",
                     "busy: the open was refused, and no program you may see holds the port: "
                     "another user's program holds it exclusively, or a program that was killed "
                     "left its exclusive flag on (a pseudo-terminal keeps it)"},
                    {"열기가 거부되었지만, 볼 수 있는 프로그램 중에는 쓰는 것이 없습니다: "
                     "다른 사용자의 프로그램이 독점하고 있거나, 강제로 끝난 프로그램이 "
                     "독점 표시를 남겼습니다 (가상 터미널에는 남습니다).\n"
                     "누가 쓰는지 보려면:\nsudo fuser -v " +
                         f.path +
                         "\n아무도 없다면 남은 표시입니다: veld-drive-sim은 곧 스스로 지웁니다.\n"
                         "다른 프로그램이 만든 가상 터미널이면 그 프로그램을 다시 시작하고, "
                         "USB 어댑터면 뽑았다가 다시 꽂으십시오.",
                     "see who holds it:\nsudo fuser -v " + f.path +
                         "\nwhen nobody does, the flag was left behind: veld-drive-sim clears it "
                         "by itself within a moment;\nrestart any other program that serves the "
                         "pseudo-terminal, or unplug the adapter and plug it in again"}};
        case Kind::kBrltty:
            return {"brltty",
                    {"brltty " + Pid(f.pid) + "가 이 어댑터(USB " + f.usbId + ")를 가져갑니다",
                     "brltty " + Pid(f.pid) + " takes adapters of this kind (USB " + f.usbId + ")"},
                    {"점자 단말기를 쓰지 않는다면 brltty를 지우고 어댑터를 다시 꽂으십시오:\n"
                     "sudo apt remove brltty\n"
                     "지우지 않으려면:\n"
                     "sudo systemctl mask brltty-udev.service brltty.service",
                     "without a braille display, remove brltty and plug the adapter in again:\n"
                     "sudo apt remove brltty\n"
                     "or keep it and stop it from taking adapters:\n"
                     "sudo systemctl mask brltty-udev.service brltty.service"}};
        case Kind::kModemManager:
            return {"modem-manager",
                    {"ModemManager " + Pid(f.pid) + "가 새 ACM 장치를 몇 초 동안 검사합니다",
                     "ModemManager " + Pid(f.pid) + " probes new ACM devices for a few seconds"},
                    {"몇 초 뒤 다시 연결하십시오. 늘 그렇다면 이 장치를 ModemManager에서 빼십시오 "
                     "(udev 규칙의 ENV{ID_MM_DEVICE_IGNORE}=\"1\"), 또는:\n"
                     "sudo systemctl stop ModemManager",
                     "try again in a few seconds; to keep ModemManager off this device, a udev "
                     "rule with ENV{ID_MM_DEVICE_IGNORE}=\"1\", or:\n"
                     "sudo systemctl stop ModemManager"}};
        default:
            return {};
    }
}

PortFindingWords ServerAnswersWords(const PortFinding& f) {
    if (NetAddress::Parse(f.path)->kind == NetAddress::Kind::kRfc2217) {
        return {"server-answers",
                {"열 수 있습니다: 서버가 연결을 받고 RFC 2217로 응답합니다",
                 "ready: the server accepts the connection and RFC 2217"},
                {}};
    }
    return {"server-answers",
            {"열 수 있습니다: 서버가 연결을 받습니다 (통신 설정은 서버의 것입니다)",
             "ready: the server accepts the connection (it owns the line settings)"},
            {}};
}

// What a network port's server did or did not do.
PortFindingWords NetworkWords(const PortFinding& f) {
    switch (f.kind) {
        case Kind::kBadAddress:
            return {"bad-address",
                    {"네트워크 포트 이름이 아닙니다: " + f.path, "not a network port: " + f.path},
                    {"tcp://호스트:포트 또는 rfc2217://호스트:포트 로 적으십시오 "
                     "(IPv6 주소는 대괄호 안에: rfc2217://[::1]:4001).",
                     "name it tcp://HOST:PORT or rfc2217://HOST:PORT (an IPv6 address in "
                     "brackets: rfc2217://[::1]:4001)"}};
        case Kind::kNameUnresolved:
            return {"name-unresolved",
                    {"호스트 이름 " + f.host + "을(를) 찾을 수 없습니다",
                     "the name " + f.host + " does not resolve"},
                    {"이름을 확인하거나 서버의 주소를 적으십시오: tcp://192.0.2.7:4001",
                     "check the name, or give the server's address: tcp://192.0.2.7:4001"}};
        case Kind::kRefused:
            return {"connection-refused",
                    {"연결이 거부되었습니다: " + f.path + "에서 기다리는 서버가 없습니다",
                     "connection refused: nothing listens at " + f.path},
                    {"서버(ser2net)를 시작하고 설정의 포트 번호를 확인하십시오.",
                     "start the server (ser2net) and check the port number in its "
                     "configuration"}};
        case Kind::kNoAnswer: {
            std::string seconds = std::to_string(NetDevice::kOpenTimeout.count() / 1000);
            return {"no-answer",
                    {f.host + "이(가) " + seconds + "초 안에 응답하지 않습니다",
                     "no answer from " + f.host + " within " + seconds + " s"},
                    {"주소와 서버의 네트워크 연결, 연결을 막는 방화벽이 없는지 확인하십시오.",
                     "check the address, that the server is on the network, and that no "
                     "firewall drops the connection"}};
        }
        case Kind::kClosedAtOnce:
            return {"closed-at-once",
                    f.said.empty() ? Words{"서버가 연결을 바로 끊었습니다",
                                           "the server closed the connection at once"}
                                   : Words{"서버가 연결을 바로 끊었습니다: \"" + f.said + "\"",
                                           "the server closed the connection at once (it said: \"" +
                                               f.said + "\")"},
                    {"다른 클라이언트가 이 포트를 쓰고 있거나 서버가 클라이언트를 하나만 받습니다: "
                     "다른 연결을 끝낸 뒤 다시 연결하십시오 (ser2net: max-connections).",
                     "another client holds the port, or the server takes one client at a time: "
                     "end the other connection, then try again (ser2net: max-connections)"}};
        case Kind::kNoTelnet:
            return {"no-telnet",
                    {"서버가 RFC 2217로 응답하지 않습니다 (raw TCP 포트?)",
                     "no Telnet answer: the server does not offer RFC 2217 (a raw TCP port?)"},
                    {"raw TCP 포트는 tcp://호스트:포트 로 여십시오. RFC 2217을 쓰려면 서버의 "
                     "accepter가 telnet(rfc2217)이어야 합니다.",
                     "a raw TCP port is named tcp://HOST:PORT; for RFC 2217 the server's "
                     "accepter must be telnet(rfc2217)"}};
        case Kind::kTelnetRefused:
            return {"telnet-refused",
                    {"서버가 RFC 2217을 거부했습니다",
                     "the server speaks Telnet but refused binary mode or the COM-PORT-OPTION "
                     "(RFC 2217)"},
                    {"tcp://호스트:포트 로 여시거나 서버에서 RFC 2217을 켜십시오:\n"
                     "accepter: telnet(rfc2217),tcp,포트",
                     "name it tcp://HOST:PORT, or let the server offer RFC 2217:\n"
                     "accepter: telnet(rfc2217),tcp,PORT"}};
        case Kind::kLineRefused:
            return {"line-refused",
                    {"서버가 통신 설정을 받아들이지 않았습니다",
                     "the server did not take the line settings (rate, data bits, parity, stop "
                     "bits)"},
                    {"서버의 직렬 포트가 지원하는 속도와 형식을 고르십시오.",
                     "choose a rate and format that the server's serial port supports"}};
        case Kind::kServerAnswers:
            return ServerAnswersWords(f);
        default:
            return {};
    }
}

}  // namespace

PortFindingWords PortFindingWords::Of(const PortFinding& finding) {
    switch (finding.kind) {
        case Kind::kReady:
            return {"ready",
                    {"열 수 있습니다: 읽기·쓰기 권한이 있고, 이 포트를 쓰는 프로그램이 없습니다",
                     "ready: may be read and written, no program has it open"},
                    {}};
        case Kind::kNoSuchDevice:
        case Kind::kNotADevice:
        case Kind::kNoUart:
        case Kind::kJoinGroup:
        case Kind::kLogInAgain:
        case Kind::kNoAccess:
        case Kind::kOpenFailed:
            return DeviceWords(finding);
        case Kind::kHeldBy:
        case Kind::kHolderHidden:
        case Kind::kBrltty:
        case Kind::kModemManager:
            return HolderWords(finding);
        case Kind::kBadAddress:
        case Kind::kNameUnresolved:
        case Kind::kRefused:
        case Kind::kNoAnswer:
        case Kind::kClosedAtOnce:
        case Kind::kNoTelnet:
        case Kind::kTelnetRefused:
        case Kind::kLineRefused:
        case Kind::kServerAnswers:
            return NetworkWords(finding);
    }
    return {};
}
