#pragma once

#include <string>

// The folder of the program's data (backups, reports, the journal):
// $XDG_DATA_HOME/VELD_Host_Para; ~/.local/share/... when XDG_DATA_HOME is
// unset, empty or not an absolute path.
class DataFolder {
  public:
    static std::string Path();
};
