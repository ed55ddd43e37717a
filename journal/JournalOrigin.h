#pragma once

#include <string>

// Who records: the program, its version, the user and the machine. Every
// entry of a program run carries the same.
struct JournalOrigin {
    std::string program;
    std::string version;
    std::string user;
    std::string host;

    // This process as `program` ("veld-para", "VELD_Host_Para").
    static JournalOrigin Current(const std::string& program);
    // The effective user's login name ($USER when the password file lacks it).
    static std::string UserName();
    static std::string HostName();
};
