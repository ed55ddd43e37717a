#include "journal/JournalWriter.h"

#include <algorithm>

JournalWriter::JournalWriter(std::unique_ptr<Journal> journal)
    : m_journal(std::move(journal)), m_thread(&JournalWriter::Run, this) {}

JournalWriter::~JournalWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_posted.notify_one();
    m_thread.join();
}

uint64_t JournalWriter::Post(JournalEntry entry) {
    uint64_t ticket = 0;
    {
        std::lock_guard lock(m_mutex);
        ticket = m_nextTicket++;
        m_queue.emplace_back(ticket, std::move(entry));
    }
    m_posted.notify_one();
    return ticket;
}

std::vector<JournalWriter::Outcome> JournalWriter::TakeOutcomes() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_outcomes, {});
}

JournalWriter::Outcome JournalWriter::Wait(uint64_t ticket) {
    std::unique_lock lock(m_mutex);
    auto mine = [ticket](const Outcome& outcome) { return outcome.ticket == ticket; };
    m_done.wait(lock, [&] { return std::any_of(m_outcomes.begin(), m_outcomes.end(), mine); });
    auto found = std::find_if(m_outcomes.begin(), m_outcomes.end(), mine);
    Outcome outcome = std::move(*found);
    m_outcomes.erase(found);
    return outcome;
}

void JournalWriter::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_posted.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty()) return;  // stopped, and everything posted is written
        auto [ticket, entry] = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        Outcome outcome;
        outcome.ticket = ticket;
        outcome.recorded = m_journal->Append(entry);
        outcome.id = entry.id;
        if (!outcome.recorded) outcome.reason = m_journal->Error();
        lock.lock();
        m_outcomes.push_back(std::move(outcome));
        m_done.notify_all();
    }
}
