#include "session/CommissionTarget.h"

#include <utility>

#include "params/ParamFile.h"
#include "params/SafeFile.h"
#include "params/Sha256.h"

CommissionTarget::CommissionTarget(std::string path, std::string sha256, ParamFileCheck check)
    : m_path(std::move(path)), m_sha256(std::move(sha256)), m_check(std::move(check)) {}

std::optional<CommissionTarget> CommissionTarget::Read(const std::string& path) {
    // One read: the values checked and sent are those of the bytes summed.
    std::string content;
    if (!SafeFile::ReadRegular(path, ParamFile::kMaxFileBytes, content)) return std::nullopt;
    std::string sha256 = Sha256::Hex(content);
    if (sha256.empty()) return std::nullopt;
    return CommissionTarget(path, sha256, ParamFileCheck(content));
}
