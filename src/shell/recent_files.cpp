#include "shell/recent_files.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "base/format.h"

namespace lorvane {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string CutToEntry(const RecentFileList& list, std::string_view text) {
    const size_t most = list.entrySize > 0 ? list.entrySize - 1u : 0u;
    return std::string(text.substr(0, std::min(text.size(), most)));
}

int PositionOf(const RecentFileList& list, int number, bool isId) {
    return isId ? number - list.baseId - 1 : number;
}

}  // namespace

std::optional<RecentFileList> CreateRecentFileList(uint16_t shown, uint16_t capacity,
                                                   uint16_t entrySize, uint16_t baseId) {
    if (capacity == 0 || entrySize == 0) return std::nullopt;
    RecentFileList list;
    list.shown = shown;
    list.capacity = capacity;
    list.entrySize = entrySize;
    list.baseId = baseId;
    try {
        list.entries.resize(capacity);
        for (std::string& entry : list.entries) entry.reserve(entrySize);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return list;
}

bool SetRecentFile(RecentFileList& list, int position, std::string_view text) {
    if (position < 0 || position >= kRecentPositionLimit || position >= list.capacity) return false;
    list.entries[static_cast<size_t>(position)] = CutToEntry(list, text);
    list.count = std::max<uint16_t>(list.count, static_cast<uint16_t>(position + 1));
    return true;
}

std::optional<std::string> GetRecentFile(const RecentFileList& list, int number, bool isId) {
    const int position = PositionOf(list, number, isId);
    if (position < 0 || position >= list.count) return std::nullopt;
    return list.entries[static_cast<size_t>(position)];
}

void AddRecentFile(RecentFileList& list, std::string_view text) {
    if (list.capacity == 0) return;
    int found = -1;
    for (int i = 0; i < list.count; ++i) {
        if (EqualNoCase(list.entries[static_cast<size_t>(i)], text)) {
            found = i;
            break;
        }
    }
    int last = found;
    if (found < 0) {
        list.count = std::min<uint16_t>(static_cast<uint16_t>(list.count + 1), list.capacity);
        last = list.count - 1;
    }
    for (int k = last; k >= 1; --k)
        list.entries[static_cast<size_t>(k)] = std::move(list.entries[static_cast<size_t>(k - 1)]);
    list.entries[0] = CutToEntry(list, text);
}

bool RemoveRecentFile(RecentFileList& list, int number, bool isId) {
    const int position = PositionOf(list, number, isId);
    if (position < 0 || position >= list.count) return false;
    for (int k = position; k + 1 < list.count; ++k)
        list.entries[static_cast<size_t>(k)] = std::move(list.entries[static_cast<size_t>(k + 1)]);
    list.entries[static_cast<size_t>(list.count - 1)].clear();
    --list.count;
    return true;
}

void BuildRecentFileMenu(const RecentFileList& list, MenuBar& menu, size_t popup, int beforeId) {
    for (int id = list.baseId; id <= list.baseId + list.capacity; ++id) menu.Remove(popup, id);
    if (list.count == 0) return;
    if (!menu.InsertBefore(popup, beforeId, MenuItem::Separator(list.baseId))) return;
    const int shown = std::min<int>(list.count, list.shown);
    int next = list.baseId;
    for (int p = shown - 1; p >= 0; --p) {
        const int id = list.baseId + 1 + p;
        const std::string text =
            FormatText("&%d %s", p + 1, list.entries[static_cast<size_t>(p)].c_str());
        menu.InsertBefore(popup, next, MenuItem::Command(id, text));
        next = id;
    }
}

std::string RecentFileValueName(int position) { return "File" + std::to_string(position + 1); }

bool SaveRecentFiles(const RecentFileList& list, SettingsStore& settings) {
    bool written = true;
    for (int p = 0; p < list.capacity; ++p) {
        const std::string_view text =
            p < list.count ? std::string_view(list.entries[static_cast<size_t>(p)]) : "";
        written = settings.Write(RecentFileValueName(p), text) && written;
    }
    return written;
}

bool LoadRecentFiles(RecentFileList& list, SettingsStore& settings) {
    for (int p = 0; p < list.capacity; ++p) {
        const std::optional<std::string> text = settings.Read(RecentFileValueName(p));
        if (!text || text->empty()) break;
        // A value longer than an entry is kept cut to the entry.
        if (!SetRecentFile(list, p, *text)) break;
    }
    return true;
}

}  // namespace lorvane
