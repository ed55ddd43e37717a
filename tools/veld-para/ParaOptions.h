#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The command line of veld-para: options, then COMMAND and its arguments.
class ParaOptions {
  public:
    enum class Outcome { kRun, kHelp, kVersion, kUsageError };

    std::string port = "COM15";
    std::string baud = "115200";
    std::string id = "0";
    std::vector<std::string> portMaps;
    int32_t waitMs = 500;
    bool waitGiven = false;  // -w was given: the scan then waits that long per station
    bool quiet = false;
    std::string command;
    std::vector<std::string> args;

    Outcome Parse(int argc, char** argv, std::string& error);
    static const char* Usage();

  private:
    // -b: a positive decimal rate, nothing else.
    bool ParseRate(const char* text);
};
