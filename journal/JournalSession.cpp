#include "journal/JournalSession.h"

#include <random>
#include <utility>

#include "journal/JournalTime.h"

namespace {

int64_t RandomId() {
    std::random_device device;
    std::uniform_int_distribution<int64_t> ids(1, INT64_MAX);
    return ids(device);
}

}  // namespace

JournalSession::JournalSession(JournalOrigin origin, std::string port)
    : m_origin(std::move(origin)), m_port(std::move(port)), m_id(RandomId()) {}

JournalEntry JournalSession::Entry(JournalRecord record) const {
    JournalEntry entry;
    entry.time = JournalTime::Now();
    entry.program = m_origin.program;
    entry.version = m_origin.version;
    entry.user = m_origin.user;
    entry.host = m_origin.host;
    entry.port = m_port;
    entry.station = record.station;
    entry.kind = record.kind;
    entry.session = m_id;
    entry.payload = std::move(record.payload);
    return entry;
}
