#include "journal/JournalChain.h"

#include "params/Sha256.h"

namespace {

void Field(std::string& encoding, const std::string& text) {
    encoding += std::to_string(text.size());
    encoding += ':';
    encoding += text;
}

}  // namespace

std::string JournalChain::Hash(const std::string& previous, const JournalEntry& entry,
                               const std::string& payloadText) {
    std::string encoding;
    Field(encoding, previous);
    Field(encoding, std::to_string(entry.id));
    Field(encoding, entry.time);
    Field(encoding, entry.program);
    Field(encoding, entry.version);
    Field(encoding, entry.user);
    Field(encoding, entry.host);
    Field(encoding, entry.port);
    // No station ("-") is not the text of any number.
    Field(encoding, entry.station ? std::to_string(*entry.station) : "-");
    Field(encoding, JournalEntry::KindName(entry.kind));
    Field(encoding, std::to_string(entry.session));
    Field(encoding, payloadText);
    return Sha256::Hex(encoding);
}
