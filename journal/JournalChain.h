#pragma once

#include <string>

#include "journal/JournalEntry.h"

// The link that makes the journal tamper-evident: an entry's hash is the
// SHA-256 of the previous entry's hash and of every field of its own, each
// preceded by its length, so that no two different entries encode alike.
class JournalChain {
  public:
    // `payloadText`: the document as stored.
    static std::string Hash(const std::string& previous, const JournalEntry& entry,
                            const std::string& payloadText);
};
