#include "journal/JournalPath.h"

#include <cstdlib>

#include "params/DataFolder.h"

std::string JournalPath::Default() {
    const char* chosen = std::getenv("VELD_JOURNAL");
    if (chosen && chosen[0] != '\0') return chosen;
    return DataFolder::Path() + "/journal.sqlite3";
}
