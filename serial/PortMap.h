#pragma once

#include <map>
#include <string>

// Maps the drive's port names (COM1 .. COMn) to Linux devices or network
// ports. Filled once at start from VELD_PORT_MAP and --port-map; command-line
// entries win.
class PortMap {
  public:
    // "COM15=/dev/pts/3"; false when the text is not of that shape.
    static bool AddMapping(const std::string& text);
    // "COM15=/dev/pts/3;COM3=/dev/ttyUSB0"; false when an entry is malformed
    // (the well-formed ones are kept).
    static bool AddMappingList(const std::string& list);
    static bool LoadEnvironment();
    static void Clear();

    // What a port name stands for: a device path (a relative one taken from
    // the current folder, each component matched without regard to case), a
    // network port ("tcp://HOST:PORT", as named), or "" when it names nothing
    // (Open then fails). A COM name's mapping is resolved the same way.
    static std::string Resolve(const std::string& name);
    // What a mapping gives a COM name ("COM15"), or "" when none does.
    static std::string Mapped(const std::string& comName);

  private:
    static std::map<int, std::string>& Mappings();
    static std::string ResolvePath(const std::string& name);
};
