#include "session/CommissionReport.h"

#include <filesystem>
#include <string_view>
#include <utility>

#include "journal/JournalOrigin.h"
#include "params/BackupStore.h"
#include "params/DataFolder.h"
#include "params/SafeFile.h"
#include "session/CommissionHtml.h"

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

constexpr int kMaxSequence = 1000;
constexpr const char* kDevicePrefix = "\\\\.\\";

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string Stamp(std::time_t when) {
    std::tm local{};
    char stamp[16] = {};
    if (!::localtime_r(&when, &local)) return "00000000-000000";
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return stamp;
}

// A byte that is no UTF-8 (a CP949 file name, a garbled reply) becomes U+FFFD
// instead of ending the program.
std::string Dump(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string CommissionReport::DefaultFolder() { return DataFolder::Path() + "/reports"; }

CommissionReport::CommissionReport(std::string folder, const CommissionTarget& target,
                                   const std::string& portText, std::time_t start)
    : m_folder(std::move(folder)),
      m_file(AbsolutePath(target.Path())),
      m_sha256(target.Sha256()),
      m_user(JournalOrigin::UserName()),
      m_host(JournalOrigin::HostName()),
      m_start(start) {
    // "\\.\COM15:115200,N,8,0": the port as it was named, and its line settings.
    std::string_view text = portText;
    if (text.starts_with(kDevicePrefix)) text.remove_prefix(std::string_view(kDevicePrefix).size());
    size_t colon = text.rfind(':');
    m_port = text.substr(0, colon);
    if (colon != std::string_view::npos) m_line = text.substr(colon + 1);
}

bool CommissionReport::Create() {
    std::error_code error;
    fs::create_directories(m_folder, error);
    std::string stamp = Stamp(m_start);
    for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
        std::string stem = stamp + "-commission";
        if (sequence > 1) stem += "-" + std::to_string(sequence);
        fs::path json = fs::path(m_folder) / (stem + ".json");
        fs::path html = fs::path(m_folder) / (stem + ".html");
        if (fs::exists(fs::symlink_status(json, error)) ||
            fs::exists(fs::symlink_status(html, error))) {
            continue;
        }
        if (!SafeFile::Create(json.string(), "") || !SafeFile::Create(html.string(), "")) {
            fs::remove(json, error);
            return false;
        }
        m_jsonPath = json.string();
        m_htmlPath = html.string();
        return true;
    }
    return false;
}

std::string CommissionReport::SaveBackup(const ParamSet& set, int32_t station) const {
    return BackupStore(m_folder).Save(set, station, m_port, m_start);
}

bool CommissionReport::Save(const Commissioning& run, std::optional<std::time_t> end) {
    m_end = end;
    Json document = Document(run);
    bool json = SafeFile::Replace(m_jsonPath, Dump(document));
    bool html = SafeFile::Replace(m_htmlPath, CommissionHtml::Page(document));
    return json && html;
}

Json CommissionReport::Document(const Commissioning& run) const {
    Json stations = Json::array();
    for (const Commissioning::Station& station : run.Stations()) {
        stations.push_back(StationJson(station));
    }
    Json stopped = nullptr;
    if (run.Stopped() != Commissioning::Stop::kNone)
        stopped = Commissioning::StopName(run.Stopped());
    return {
        {"command", "commission"},
        {"file", m_file},
        {"sha256", m_sha256},
        {"mode", run.CompareOnly() ? "compare only" : "send"},
        {"port", m_port},
        {"line", m_line},
        {"user", m_user},
        {"host", m_host},
        {"start", LocalTime(m_start)},
        {"end", m_end ? Json(LocalTime(*m_end)) : Json(nullptr)},
        {"stopped", stopped},
        {"target", Values(run.Target())},
        {"stations", stations},
    };
}

JournalRecord CommissionReport::Record(const Commissioning& run) const {
    Json stations = Json::array();
    for (const Commissioning::Station& station : run.Stations()) {
        stations.push_back({{"station", station.id},
                            {"result", Commissioning::ResultName(station.state)},
                            {"version", station.version ? Json(*station.version) : Json()}});
    }
    Json document = Document(run);
    return JournalRecord::Other(JournalEntry::Kind::kCommission, std::nullopt,
                                Json{{"file", m_file},
                                     {"sha256", m_sha256},
                                     {"mode", document["mode"]},
                                     {"stopped", document["stopped"]},
                                     {"report", m_htmlPath},
                                     {"stations", std::move(stations)}});
}

Json CommissionReport::StationJson(const Commissioning::Station& station) {
    Json mismatches = Json::array();
    for (const Commissioning::Mismatch& m : station.mismatches) {
        mismatches.push_back({{"number", m.number},
                              {"name", ParamTable::NameOf(m.number)},
                              {"target", m.target},
                              {"sent", m.sent ? Json(m.target) : Json(nullptr)},
                              {"kept", m.kept}});
    }
    return {
        {"station", station.id},
        {"result", Commissioning::ResultName(station.state)},
        {"version", station.version ? Json(*station.version) : Json(nullptr)},
        {"backup", station.backup.empty() ? Json(nullptr)
                                          : Json(fs::path(station.backup).filename().string())},
        {"before", Values(station.before)},
        {"sent", station.sent},
        {"unsent", station.unsent},
        {"unsaved", station.Unsaved()},
        {"after", Values(station.after)},
        {"mismatches", mismatches},
        {"missing", station.missing},
    };
}

Json CommissionReport::Values(const std::optional<ParamSet>& values) {
    if (!values) return nullptr;
    Json object = Json::object();
    for (int32_t number : values->Numbers()) object[std::to_string(number)] = values->Value(number);
    return object;
}

std::string CommissionReport::LocalTime(std::time_t when) {
    std::tm local{};
    char text[32] = {};
    if (!::localtime_r(&when, &local) ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) == 0) {
        return "";
    }
    // "+0900" becomes "+09:00".
    std::string time = text;
    time.insert(time.size() - 2, ":");
    return time;
}
