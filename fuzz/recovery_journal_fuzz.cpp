// Feeds arbitrary bytes to the recovery journal reader, then writes what it
// read and reads that again: the header and every record must come back (in
// the layout this program writes, whatever layout was read). The
// mutator keeps records framed: it changes one record's kind or body (or
// adds a copy of one) and writes its length and check again, so the reader
// gets past the check into the bodies.
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
    lorvane::JournalHeader written = journal->header;
    written.layout = lorvane::kJournalLayout;
    if (!again || again->cutShort || again->header != written || again->records != journal->records)
        std::abort();
    return 0;
}

#if defined(LORVANE_LIBFUZZER)
#include <algorithm>
#include <cstring>

#include "mutators.h"
#include "shell/file_guard.h"

namespace {

using lorvane::fuzz::GetLe;
using lorvane::fuzz::PutLe;

constexpr size_t kMagicSize = 8;
constexpr size_t kFrameSize = 1 + 4 + 4;  // kind, length, check
constexpr uint8_t kLastKind = 6;

// The size of the header; 0 when it cannot be read.
size_t HeaderSize(const uint8_t* data, size_t size) {
    if (size < kMagicSize + 8) return 0;
    const auto path = static_cast<size_t>(GetLe(data + kMagicSize + 4, 4));
    const size_t base = kMagicSize + 8 + path + 24;  // the database's stamp
    if (path > 4096 || base >= size) return 0;
    const size_t end = base + 1 + (data[base] != 0 ? 16 : 0);
    return end <= size ? end : 0;
}

struct Frame {
    uint8_t kind;
    std::vector<uint8_t> body;
};

// The records that are framed whole, after the header; the bytes after the
// last stay with it.
std::vector<Frame> ReadFrames(const uint8_t* data, size_t size, size_t& at) {
    std::vector<Frame> frames;
    while (at + kFrameSize <= size) {
        const auto length = static_cast<size_t>(GetLe(data + at + 1, 4));
        if (length > size - at - kFrameSize) break;
        frames.push_back({data[at], {data + at + 5, data + at + 5 + length}});
        at += kFrameSize + length;
    }
    return frames;
}

// Writes the frames at out with their lengths and checks; the size written,
// or 0 when they do not fit in room.
size_t WriteFrames(const std::vector<Frame>& frames, uint8_t* out, size_t room) {
    size_t at = 0;
    for (const Frame& frame : frames) {
        if (kFrameSize + frame.body.size() > room - at) return 0;
        out[at] = frame.kind;
        PutLe(out + at + 1, frame.body.size(), 4);
        std::copy(frame.body.begin(), frame.body.end(), out + at + 5);
        const size_t checked = 5 + frame.body.size();
        const auto* covered = reinterpret_cast<const std::byte*>(out + at);
        PutLe(out + at + checked, lorvane::ContentHash({covered, checked}), 4);
        at += checked + 4;
    }
    return at;
}

void MutateFrame(std::minstd_rand& random, std::vector<Frame>& frames, size_t room) {
    if (frames.empty() || random() % 6 == 0) {
        frames.push_back({static_cast<uint8_t>(1 + random() % kLastKind), {}});
    }
    Frame& frame = frames[random() % frames.size()];
    switch (random() % 4) {
        case 0:
            frame.kind = static_cast<uint8_t>(random() % 8);
            break;
        case 1:
            frames.push_back(frame);
            break;
        default: {
            if (frame.body.empty()) frame.body.push_back(static_cast<uint8_t>(random()));
            const size_t before = frame.body.size();
            const size_t most = std::max(before, std::min<size_t>(room, before * 2 + 64));
            frame.body.resize(most);
            frame.body.resize(LLVMFuzzerMutate(frame.body.data(), before, most));
        }
    }
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    std::minstd_rand random(seed);
    const size_t header = HeaderSize(data, size);
    if (header == 0 || random() % 4 == 0) return LLVMFuzzerMutate(data, size, maxSize);
    size_t end = header;
    std::vector<Frame> frames = ReadFrames(data, size, end);
    MutateFrame(random, frames, maxSize - header);
    const size_t written = WriteFrames(frames, data + header, maxSize - header);
    if (written == 0 && !frames.empty()) return LLVMFuzzerMutate(data, size, maxSize);
    return header + written;
}
#endif
