#include "journal/JournalEntry.h"

#include <array>
#include <utility>

namespace {

using Kind = JournalEntry::Kind;

constexpr std::array<std::pair<Kind, const char*>, 14> kNames{{
    {Kind::kConnect, "connect"},
    {Kind::kDisconnect, "disconnect"},
    {Kind::kRead, "read"},
    {Kind::kWrite, "write"},
    {Kind::kReadBack, "read-back"},
    {Kind::kInit, "init"},
    {Kind::kSetMode, "setmode"},
    {Kind::kSend, "send"},
    {Kind::kVersion, "version"},
    {Kind::kScan, "scan"},
    {Kind::kMonitor, "monitor"},
    {Kind::kFile, "file"},
    {Kind::kCommission, "commission"},
    {Kind::kFailure, "failure"},
}};

}  // namespace

const char* JournalEntry::KindName(Kind kind) {
    for (const auto& [each, name] : kNames) {
        if (each == kind) return name;
    }
    return "";
}

std::optional<JournalEntry::Kind> JournalEntry::ParseKind(std::string_view name) {
    for (const auto& [kind, each] : kNames) {
        if (name == each) return kind;
    }
    return std::nullopt;
}

std::string JournalEntry::PayloadText() const {
    return payload.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

nlohmann::ordered_json JournalEntry::ToJson() const {
    nlohmann::ordered_json json{
        {"id", id},
        {"time", time},
        {"program", program},
        {"version", version},
        {"user", user},
        {"host", host},
        {"port", port},
        {"station", station ? nlohmann::ordered_json(*station) : nlohmann::ordered_json()},
        {"kind", KindName(kind)},
        {"session", session},
    };
    for (const auto& [key, value] : payload.items()) json[key] = value;
    json["hash"] = hash;
    return json;
}
