#pragma once

#include <string>

#include "journal/Journal.h"
#include "journal/JournalOrigin.h"

// The backups earlier versions kept as parameter files (see BackupStore)
// taken into the journal as reads by the program "import", each at its own
// time with its station and port, once per journal; the files stay where
// they are.
class BackupImport {
  public:
    static constexpr const char* kProgram = "import";

    // The number taken in (0 when the journal had them already or there were
    // none); -1, with the reason in the journal's Error(), when it failed.
    static int Run(Journal& journal, const std::string& folder, const JournalOrigin& origin);
};
