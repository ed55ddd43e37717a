#include "session/CommissionTarget.h"

#include <openssl/evp.h>

#include <utility>

#include "params/ParamFile.h"
#include "params/SafeFile.h"

namespace {

std::string Sha256Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
        return "";
    }
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0f];
    }
    return hex;
}

}  // namespace

CommissionTarget::CommissionTarget(std::string path, std::string sha256, ParamFileCheck check)
    : m_path(std::move(path)), m_sha256(std::move(sha256)), m_check(std::move(check)) {}

std::optional<CommissionTarget> CommissionTarget::Read(const std::string& path) {
    // One read: the values checked and sent are those of the bytes summed.
    std::string content;
    if (!SafeFile::ReadRegular(path, ParamFile::kMaxFileBytes, content)) return std::nullopt;
    std::string sha256 = Sha256Hex(content);
    if (sha256.empty()) return std::nullopt;
    return CommissionTarget(path, sha256, ParamFileCheck(content));
}
