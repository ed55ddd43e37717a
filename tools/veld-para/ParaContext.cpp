#include "ParaContext.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "PortReportText.h"
#include "SentLinesText.h"
#include "journal/JournalPath.h"
#include "params/DecimalText.h"
#include "params/ParamFileCheckWords.h"
#include "protocol/ReplyWaits.h"
#include "serial/NetAddress.h"
#include "serial/PortDoctor.h"

namespace {

// Enough to find the fault; a binary file would otherwise fill the terminal.
constexpr size_t kProblemsShown = 10;

// An indented line per problem, the first few, then how many more; with
// `missing`, one naming the listed parameters the file does not set.
std::string ProblemLines(const ParamFileCheck& check, bool missing) {
    std::string text;
    for (const auto& words : ParamFileCheckWords::Lines(check, kProblemsShown, missing)) {
        text += "  " + words.english + "\n";
    }
    return text;
}

}  // namespace

ParaContext::ParaContext(const ParaArgs& args)
    : m_args(args),
      m_table(ParamTable::Instance()),
      m_session(m_table, args.quiet),
      m_nStationId(DecimalText::Parse(args.id)) {}

ParaContext::~ParaContext() {
    SessionJournal& journal = m_session.Session().Journal();
    if (!journal.WaitRecorded()) {
        std::fprintf(stderr, "veld-para: the journal could not record everything: %s\n",
                     journal.Reason().c_str());
    }
}

void ParaContext::OpenJournal() {
    if (m_args.noJournal) return;
    std::string path = m_args.journalPath.empty() ? JournalPath::Default() : m_args.journalPath;
    SessionJournal& journal = m_session.Session().Journal();
    if (!journal.Open("veld-para", path)) {
        std::fprintf(stderr,
                     "veld-para: the journal cannot be opened: %s\n"
                     "  nothing is recorded, and no write is sent (--no-journal writes "
                     "without it)\n",
                     journal.Reason().c_str());
    } else if (std::optional<Journal::Notice> notice = journal.TakeNotice()) {
        std::fprintf(stderr, "veld-para: %s\n", notice->english.c_str());
    }
}

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
    OpenJournal();
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
        case ParaSession::Outcome::kJournalRefused:
            std::fprintf(stderr,
                         "veld-para: the journal could not record what came before the write "
                         "(%s); nothing was sent (--no-journal writes without it)\n",
                         m_session.JournalReason().c_str());
            return kFileError;
        case ParaSession::Outcome::kIncomplete:
            return ExplainIncomplete();
        case ParaSession::Outcome::kSilent:
            break;
    }
    std::fprintf(stderr, "veld-para: no reply from the drive\n");
    return kNoReply;
}

int ParaContext::ReadDrive(const std::vector<int32_t>& wanted) {
    if (int opened = OpenPort(); opened != kDone) return opened;
    return ExitCode(m_session.Read(m_nStationId, wanted));
}

int ParaContext::ExplainIncomplete() const {
    const PraReplyTracker& replies = m_session.ReadReplies();
    if (replies.BadNumberSeen()) {
        std::fprintf(stderr,
                     "veld-para: the drive's reply named a parameter outside 0 to 109 "
                     "(통신처리에러); the read is incomplete\n");
        return kReplyError;
    }
    const std::vector<int32_t>& wanted = m_session.Reads().Wanted();
    std::vector<int32_t> missing = replies.Missing(wanted);
    std::fprintf(stderr,
                 "veld-para: the drive's reply lacks %zu of the %zu parameters asked for:%s\n",
                 missing.size(), wanted.size(), NumberList(missing).c_str());
    return kNoReply;
}

bool ParaContext::LoadFile(const std::string& path, ParamSet& values, const char* consequence) {
    std::optional<ParamFileCheck> check = ParamFileCheck::Read(path);
    if (!Sendable(path, check ? &*check : nullptr, consequence)) return false;
    values = check->Values();
    return true;
}

bool ParaContext::Sendable(const std::string& path, const ParamFileCheck* check,
                           const char* consequence) {
    if (!check) {
        FileError(path, consequence);
        return false;
    }
    if (check->Sendable()) return true;
    std::fprintf(stderr, "veld-para: %s is not a complete parameter file; %s:\n%s", path.c_str(),
                 consequence, ProblemLines(*check, true).c_str());
    return false;
}

bool ParaContext::ReportSkipped(const std::string& path, const ParamFileCheck& file) {
    if (file.Problems().empty()) return false;
    std::fprintf(stderr, "veld-para: %s: records left out of the comparison:\n%s", path.c_str(),
                 ProblemLines(file, false).c_str());
    return true;
}

std::string ParaContext::NumberList(const std::vector<int32_t>& numbers) {
    std::string text;
    for (int32_t number : numbers) text += " " + std::to_string(number);
    return text;
}

int ParaContext::FileError(const std::string& path, const char* consequence) {
    std::fprintf(stderr, "File Error\n%s\n", path.c_str());
    if (consequence) std::fprintf(stderr, "veld-para: %s\n", consequence);
    return kFileError;
}
