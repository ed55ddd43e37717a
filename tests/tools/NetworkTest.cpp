// veld-para and veld-drive-sim over the network: through a real ser2net on
// 127.0.0.1 (raw TCP and RFC 2217), against servers that fail, and with the
// simulator serving TCP itself.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "HostileTelnetServer.h"
#include "Ser2netBench.h"
#include "SilentServer.h"
#include "ToolsFixture.h"
#include "serial/PortDoctor.h"
#include "support/Eventually.h"

namespace {

using namespace std::chrono_literals;
using Json = nlohmann::json;

// The rate the terminal side is set to; 0 when it cannot be read.
speed_t TerminalSpeed(const std::string& pty) {
    int fd = ::open(pty.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    bool read = fd >= 0 && ::tcgetattr(fd, &t) == 0;
    if (fd >= 0) ::close(fd);
    return read ? ::cfgetospeed(&t) : 0;
}

// A connected socket to 127.0.0.1:`port`, or -1.
int ConnectTo(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

// The resident memory of process `pid`, in KiB.
long RssKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

class NetworkTest : public ToolsTest {
  protected:
    void TearDown() override {
        bench.reset();
        ToolsTest::TearDown();
    }
    // The simulator on a pseudo-terminal, ser2net in front of it.
    void StartBench(std::vector<std::string> simArgs = {}) {
        StartSim(std::move(simArgs));
        pty = port;
        bench = std::make_unique<Ser2netBench>(dir, pty);
        ASSERT_TRUE(bench->Listening()) << ReadBytes((dir / "ser2net.err").string());
    }
    // veld-para in the background on `name`.
    std::unique_ptr<ToolProcess> Background(const std::string& name,
                                            const std::vector<std::string>& args) {
        std::vector<std::string> argv = {VELD_PARA_PATH, "-p", name};
        argv.insert(argv.end(), args.begin(), args.end());
        return std::make_unique<ToolProcess>(argv,
                                             (dir / ("bg" + std::to_string(runs++))).string());
    }

    std::string pty;
    std::unique_ptr<Ser2netBench> bench;
};

struct Accepter {
    const char* what;
    std::string (Ser2netBench::*name)() const;
};
const Accepter kAccepters[] = {{"raw TCP", &Ser2netBench::Raw},
                               {"RFC 2217", &Ser2netBench::Rfc2217}};

TEST_F(NetworkTest, ReadSetScanAndWatchThroughSer2net) {
    for (const Accepter& accepter : kAccepters) {
        SCOPED_TRACE(accepter.what);
        StartBench({"--ids", "0,3"});
        port = (*bench.*accepter.name)();
        // ser2net lets go of the line a moment after each client.
        auto run = [&](const std::vector<std::string>& args) {
            EXPECT_TRUE(bench->Idle());
            return Para(args);
        };

        ParaRun read = run({"-q", "read"});
        ASSERT_EQ(read.code, 0) << read.err;
        EXPECT_EQ(Lines(read.out).size(), 29u);
        EXPECT_NE(read.out.find("20\t가속시간\t500\n"), std::string::npos);
        ParaRun set = run({"-q", "set", "20", "300"});
        EXPECT_EQ(set.code, 0) << set.err;
        EXPECT_NE(run({"-q", "read"}).out.find("20\t가속시간\t300\n"), std::string::npos);
        ParaRun scan = run({"-q", "scan", "--ids", "0-4", "-w", "300"});
        EXPECT_EQ(scan.code, 0) << scan.err;
        EXPECT_EQ(scan.out, "0\t0105\n3\t0105\n");
        ParaRun watch = run({"-q", "watch", "STA", "--interval", "100", "--count", "3"});
        EXPECT_EQ(watch.code, 0) << watch.err;
        EXPECT_EQ(Lines(watch.out).size(), 3u) << watch.out;
    }
}

// RFC 2217 carries the rate to the server, which sets its line; raw TCP
// leaves the line as the server keeps it.
TEST_F(NetworkTest, TheRateAskedForOverRfc2217ReachesTheLine) {
    StartBench();
    for (const auto& [name, rate, expected] :
         {std::tuple{bench->Rfc2217(), "9600", speed_t{B9600}},
          std::tuple{bench->Rfc2217(), "57600", speed_t{B57600}},
          std::tuple{bench->Raw(), "9600", speed_t{B115200}}}) {
        SCOPED_TRACE(name + " at " + rate);
        ASSERT_TRUE(bench->Idle());
        std::unique_ptr<ToolProcess> monitor = Background(name, {"-q", "-b", rate, "monitor"});
        // Connected once the line answers through it.
        ASSERT_TRUE(Eventually([&] { return !PortDoctor().Examine(pty).Ready(); }));
        EXPECT_TRUE(Eventually([&] { return TerminalSpeed(pty) == expected; }))
            << TerminalSpeed(pty);
        monitor->Signal(SIGINT);
        EXPECT_EQ(monitor->Wait(kRunLimit), 0) << monitor->Stderr();
    }
}

// Each fault is a clear error within its wait: nothing hangs, nothing is
// reported as a result.
TEST_F(NetworkTest, NetworkFaultsEndWithTheirReason) {
    StartBench();
    SilentServer silent;
    struct Case {
        const char* what;
        std::string name;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {"refused", "tcp://127.0.0.1:" + std::to_string(Ser2netBench::FreePort()), 1,
         "connection refused"},
        {"a name that does not resolve", "tcp://nosuch.invalid:4001", 1, "does not resolve"},
        {"raw TCP, a server that never answers", silent.Name("tcp"), 3, "no reply"},
        {"RFC 2217, a server that never answers", silent.Name("rfc2217"), 1, "no Telnet answer"},
        {"RFC 2217 against a raw port", bench->Raw().replace(0, 3, "rfc2217"), 1,
         "no Telnet answer"},
        {"Telnet without RFC 2217", bench->PlainTelnet(), 1,
         "refused binary mode or the COM-PORT-OPTION"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(bench->Idle());
        port = c.name;
        ParaRun run = Para({"-q", "-w", "500", "read"});
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

// A reply hidden in a Telnet subnegotiation longer than libtelnet's buffer is
// never taken as the drive's: the connection ends, and says why.
TEST_F(NetworkTest, AnOverlongSubnegotiationEndsTheConnectionAndIsNeverData) {
    std::string lines;
    for (int i = 0; i < 2500; ++i) lines += "xxxxxxx\r";
    HostileTelnetServer server("\xff\xfa\x18" + lines + "#0.PRA 14 FFFF\r" + "\xff\xf0");
    port = server.Name();
    ParaRun run = Para({"-q", "-w", "500", "read"});
    EXPECT_EQ(run.code, 3) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("subnegotiation buffer size limit reached"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("the port was lost"), std::string::npos) << run.err;
}

TEST_F(NetworkTest, AServerKilledMidReadOrMidWatchIsALostPort) {
    for (const Accepter& accepter : kAccepters) {
        for (bool midWatch : {false, true}) {
            SCOPED_TRACE(std::string(accepter.what) + (midWatch ? ", mid-watch" : ", mid-read"));
            // The drive answers late, so that the read is waiting when the server goes.
            StartBench({"--reply-delay", midWatch ? "0" : "2000"});
            std::string name = (*bench.*accepter.name)();
            std::unique_ptr<ToolProcess> para =
                midWatch ? Background(name, {"-q", "watch", "STA", "--interval", "100"})
                         : Background(name, {"-q", "-w", "5000", "read"});
            if (midWatch) {
                ASSERT_TRUE(para->WaitForStdout(" STA 1\n", 10s)) << para->Stderr();
            } else {
                ASSERT_TRUE(Eventually([&] { return !WireTexts().empty(); }));
            }
            bench->Kill();
            EXPECT_EQ(para->Wait(kRunLimit), 3);
            EXPECT_NE(para->Stderr().find("the port was lost"), std::string::npos)
                << para->Stderr();
            if (!midWatch) {
                EXPECT_EQ(para->Stdout(), "");
            }
        }
    }
}

// The doctor connects to a network port (and lets go) to tell what keeps it closed.
TEST_F(NetworkTest, TheDoctorTriesANetworkPort) {
    StartBench();
    struct Case {
        std::string name;
        const char* kind;
        const char* said;
    };
    const Case cases[] = {
        {bench->Raw(), "server-answers", ""},
        {bench->Rfc2217(), "server-answers", ""},
        {bench->PlainTelnet(), "telnet-refused", ""},
        {"tcp://127.0.0.1:" + std::to_string(Ser2netBench::FreePort()), "connection-refused", ""},
        {"rfc2217://nosuch.invalid:4001", "name-unresolved", ""},
        {"tcp://[::1", "bad-address", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(bench->Idle());
        Json findings = Json::parse(Para({"doctor", c.name, "--json"}).out)["findings"];
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(findings[0]["kind"], c.kind);
        EXPECT_EQ(findings[0]["blocks"], std::string(c.kind) != "server-answers");
    }
    // While a client holds the line, ser2net turns others away with a word.
    ASSERT_TRUE(bench->Idle());
    std::unique_ptr<ToolProcess> monitor = Background(bench->Rfc2217(), {"-q", "monitor"});
    ASSERT_TRUE(Eventually([&] { return !PortDoctor().Examine(pty).Ready(); }));
    ParaRun busy = Para({"doctor", bench->Raw(), "--json"});
    EXPECT_EQ(busy.code, 1);
    Json finding = Json::parse(busy.out)["findings"][0];
    EXPECT_EQ(finding["kind"], "closed-at-once");
    EXPECT_EQ(finding["said"], "Port's device already in use");
    port = bench->Raw();
    ParaRun turnedAway = Para({"-q", "read"});
    EXPECT_NE(turnedAway.code, 0);
    EXPECT_EQ(turnedAway.out, "");
}

// --listen serves raw TCP without a server in between, one client at a time,
// and a line without an end costs it no more than a drive's buffer.
TEST_F(NetworkTest, TheSimulatorServesTcpItself) {
    StartSim({"--listen", "127.0.0.1:0"});
    ASSERT_EQ(port.rfind("tcp://127.0.0.1:", 0), 0u) << port;
    ParaRun read = Para({"-q", "read"});
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(Lines(read.out).size(), 29u);

    uint16_t tcpPort = static_cast<uint16_t>(std::stoi(port.substr(port.rfind(':') + 1)));
    int first = ConnectTo(tcpPort);
    ASSERT_GE(first, 0);
    ParaRun second = Para({"doctor", port, "--json"});
    EXPECT_EQ(second.code, 1);
    EXPECT_EQ(Json::parse(second.out)["findings"][0]["kind"], "closed-at-once");
    ::close(first);

    // 16 MiB without a line end, then a command.
    long before = RssKb(sim->Pid());
    std::string flood(16 << 20, 'x');
    flood += "\r#0.FRD 0\r";
    int fd = ConnectTo(tcpPort);
    ASSERT_GE(fd, 0);
    for (size_t done = 0; done < flood.size();) {
        ssize_t n = ::write(fd, flood.data() + done, flood.size() - done);
        ASSERT_GT(n, 0);
        done += static_cast<size_t>(n);
    }
    char reply[64] = {};
    ssize_t got = ::read(fd, reply, sizeof reply - 1);
    ::close(fd);
    EXPECT_EQ(std::string(reply, got > 0 ? static_cast<size_t>(got) : 0), "#0.FRD 0 0105\r");
    std::vector<std::string> wire = WireTexts();
    ASSERT_GE(wire.size(), 2u);
    EXPECT_NE(wire[wire.size() - 2].find("dropped; not answered"), std::string::npos);
    // The simulator kept far less of the flood than the flood.
    EXPECT_LT(RssKb(sim->Pid()) - before, 8 * 1024);
}

}  // namespace
