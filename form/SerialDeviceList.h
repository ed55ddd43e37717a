#pragma once

#include <string>
#include <vector>

// The serial devices present on this machine, for the port combo: USB and ACM
// adapters, the on-board ports that answer, and the stable by-id links.
class SerialDeviceList {
  public:
    static std::vector<std::string> Detect();

  private:
    static std::vector<std::string> Glob(const std::string& pattern);
    static bool OnBoardPortAnswers(const std::string& path);
};
