#pragma once

#include <optional>
#include <string>

#include "params/ParamFileCheck.h"

// The parameter file a commissioning run brings every drive to: read once,
// checked record by record before any value of it is sent, and its SHA-256,
// which the report gives, so that the file can be told from a later edit.
class CommissionTarget {
  public:
    // nullopt when the file cannot be read at all ("File Error").
    static std::optional<CommissionTarget> Read(const std::string& path);

    const std::string& Path() const { return m_path; }
    // 64 lower-case hexadecimal digits.
    const std::string& Sha256() const { return m_sha256; }
    const ParamFileCheck& Check() const { return m_check; }

  private:
    CommissionTarget(std::string path, std::string sha256, ParamFileCheck check);

    std::string m_path;
    std::string m_sha256;
    ParamFileCheck m_check;
};
