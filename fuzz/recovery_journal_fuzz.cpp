// Feeds arbitrary bytes to the recovery journal reader, then writes what it
// read and reads that again: the header and every record must come back.
#include <cstdlib>
#include <vector>

#include "shell/recovery_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto journal = lorvane::ParseJournal({reinterpret_cast<const std::byte*>(data), size});
    if (!journal) return 0;
    std::vector<std::byte> bytes = lorvane::SerializeJournalHeader(journal->header);
    for (const lorvane::JournalRecord& record : journal->records) {
        const std::vector<std::byte> framed = lorvane::SerializeJournalRecord(record);
        bytes.insert(bytes.end(), framed.begin(), framed.end());
    }
    const auto again = lorvane::ParseJournal(bytes);
    if (!again || again->cutShort || again->header != journal->header ||
        again->records != journal->records)
        std::abort();
    return 0;
}
