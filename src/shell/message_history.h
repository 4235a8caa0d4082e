#pragma once
// What the program told the user, in order: the notices of what it did and
// the failures and questions it showed in boxes. The Messages window lists
// it, newest last; its Clear button empties it.

#include <cstddef>
#include <deque>
#include <string>

#include "base/message.h"

namespace lorvane {

enum class MessageKind { Done, Information, Warning, Error, Question };

const char* KindName(MessageKind kind);
// The kind of a message shown in a box (not a notice): by its icon.
MessageKind BoxKind(MessageIcon icon);

struct LoggedMessage {
    std::string time;  // "14:03:27"
    MessageKind kind = MessageKind::Done;
    Message message;
};

class MessageHistory {
  public:
    // The oldest messages go once there are more than this.
    static constexpr size_t kKept = 1000;

    void Add(std::string time, MessageKind kind, Message message);
    void Clear() { entries_.clear(); }
    const std::deque<LoggedMessage>& entries() const { return entries_; }

  private:
    std::deque<LoggedMessage> entries_;
};

// One line of the Messages window: "14:03:27  Done  Texture.bin Successfully
// Loaded: Texture.bin loaded: 1 Set  1 Tile (/home/tiles/Texture.bin)". The
// lines of a text of several lines are joined by " / ".
std::string MessageLine(const LoggedMessage& entry);
// The status bar's text of a notice: its text and, when it has one, its
// file's name (the whole path is in MessageLine and the Messages window).
std::string NoticeText(const Message& notice);

}  // namespace lorvane
