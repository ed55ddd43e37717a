#include "ParaContext.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "FileProblemText.h"
#include "PortReportText.h"
#include "SentLinesText.h"
#include "params/DecimalText.h"
#include "params/ParamFileCheck.h"
#include "protocol/ReplyWaits.h"
#include "serial/NetAddress.h"
#include "serial/PortDoctor.h"

ParaContext::ParaContext(const ParaArgs& args)
    : m_args(args),
      m_table(ParamTable::Instance()),
      m_session(m_table, args.quiet),
      m_nStationId(DecimalText::Parse(args.id)) {}

int ParaContext::OpenPort() {
    // The port text puts ':' after the device name, so no name may hold one,
    // but for the colons of a network port's own.
    if (m_args.port.find(':') != std::string::npos && !NetAddress::IsNetworkName(m_args.port)) {
        std::fprintf(stderr,
                     "veld-para: a port name cannot contain ':': %s\n"
                     "  map the device to a COM name instead: --port-map COM1=PATH -p COM1\n",
                     m_args.port.c_str());
        return kUsage;
    }
    ParaSession::StopOnSignals();
    // A slow line may want a longer silence before a read gives up.
    std::chrono::milliseconds wait(m_args.waitMs);
    if (wait > ReplyWaits::kReadSilence) m_session.Session().SetReadSilence(wait);
    if (m_session.Open(m_args.port, m_args.baud)) return kDone;
    PortDoctor::Report report = PortDoctor().Examine(m_args.port, m_session.LastOpenError());
    std::fprintf(stderr, "포트를 열수가 없습니다.\n%s%s", PortReportText::Header(report).c_str(),
                 PortReportText::Findings(report).c_str());
    return kNoPort;
}

int ParaContext::ExitCode(ParaSession::Outcome outcome) const {
    // Lines that did not go out are told one by one, whatever stopped them.
    SentLinesText lines(m_session.Lines());
    if (outcome != ParaSession::Outcome::kDone && lines.Incomplete()) lines.Print();
    switch (outcome) {
        case ParaSession::Outcome::kDone:
            return kDone;
        case ParaSession::Outcome::kLost:
            std::fprintf(stderr,
                         "veld-para: the port was lost (device gone, or connection closed)\n");
            return kNoReply;
        case ParaSession::Outcome::kWriteFailed:
            std::fprintf(stderr,
                         "veld-para: a line could not be written to the port (TTY Error!); "
                         "nothing more was sent\n");
            return kWriteFailed;
        case ParaSession::Outcome::kInterrupted:
            std::fprintf(stderr, "veld-para: stopped by signal %d\n", ParaSession::StopSignal());
            return kSignalBase + ParaSession::StopSignal();
        case ParaSession::Outcome::kSilent:
            break;
    }
    std::fprintf(stderr, "veld-para: no reply from the drive\n");
    return kNoReply;
}

int ParaContext::ReadDrive(const std::vector<int32_t>& wanted) {
    if (int opened = OpenPort(); opened != kDone) return opened;
    return ReadOpenDrive(wanted);
}

int ParaContext::ReadOpenDrive(const std::vector<int32_t>& wanted) {
    ParaSession::Outcome outcome = m_session.Read(m_nStationId, wanted);
    return outcome == ParaSession::Outcome::kDone ? CheckReadComplete(wanted) : ExitCode(outcome);
}

int ParaContext::CheckReadComplete(const std::vector<int32_t>& wanted) const {
    const PraReplyTracker& replies = m_session.ReadReplies();
    if (replies.BadNumberSeen()) {
        std::fprintf(stderr,
                     "veld-para: the drive's reply named a parameter outside 0 to 109 "
                     "(통신처리에러); the read is incomplete\n");
        return kReplyError;
    }
    std::vector<int32_t> missing = replies.Missing(wanted);
    if (missing.empty()) return kDone;
    std::string numbers;
    for (int32_t number : missing) numbers += " " + std::to_string(number);
    std::fprintf(stderr,
                 "veld-para: the drive's reply lacks %zu of the %zu parameters asked for:%s\n",
                 missing.size(), wanted.size(), numbers.c_str());
    return kNoReply;
}

bool ParaContext::LoadFile(const std::string& path, ParamSet& values, const char* consequence) {
    std::optional<ParamFileCheck> check = ParamFileCheck::Read(path);
    if (!check) {
        std::fprintf(stderr, "File Error\n%s\nveld-para: %s\n", path.c_str(), consequence);
        return false;
    }
    if (!check->Sendable()) {
        std::fprintf(stderr, "veld-para: %s is not a complete parameter file; %s:\n%s",
                     path.c_str(), consequence, FileProblemText::Lines(*check, true).c_str());
        return false;
    }
    values = check->Values();
    return true;
}
