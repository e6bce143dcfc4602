#include "records/records_folder.h"

#include <cstdlib>

Text RecordsFolder() {
    const char* chosen = std::getenv("QX7_RECORDS");
    if (chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    return DefaultRecordsFolder();
}
