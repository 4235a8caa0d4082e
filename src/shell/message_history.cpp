#include "shell/message_history.h"

namespace lorvane {

const char* KindName(MessageKind kind) {
    switch (kind) {
        case MessageKind::Done:
            return "Done";
        case MessageKind::Information:
            return "Information";
        case MessageKind::Warning:
            return "Warning";
        case MessageKind::Error:
            return "Error";
        case MessageKind::Question:
            return "Question";
    }
    return "";
}

MessageKind BoxKind(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return MessageKind::Error;
        case MessageIcon::Information:
            return MessageKind::Information;
        case MessageIcon::Exclamation:
        case MessageIcon::Warning:
            return MessageKind::Warning;
    }
    return MessageKind::Error;
}

void MessageHistory::Add(std::string time, MessageKind kind, Message message) {
    entries_.push_back({std::move(time), kind, std::move(message)});
    while (entries_.size() > kKept) entries_.pop_front();
}

namespace {

std::string OneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n')
            line += " / ";
        else
            line += c;
    }
    return line;
}

}  // namespace

std::string MessageLine(const LoggedMessage& entry) {
    std::string line = entry.time + "  " + KindName(entry.kind) + "  ";
    if (!entry.message.caption.empty()) line += OneLine(entry.message.caption) + ": ";
    line += OneLine(entry.message.text);
    if (!entry.message.detail.empty()) line += " (" + OneLine(entry.message.detail) + ")";
    return line;
}

std::string NoticeText(const Message& notice) {
    std::string text = OneLine(notice.text);
    if (notice.detail.empty()) return text;
    // The file's name; a folder (with its separator at the end) whole.
    const size_t separator = notice.detail.find_last_of("/\\");
    const bool named = separator != std::string::npos && separator + 1 < notice.detail.size();
    return text + " \u2014 " + OneLine(named ? notice.detail.substr(separator + 1) : notice.detail);
}

}  // namespace lorvane
