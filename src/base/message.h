#pragma once
// A message shown to the user: a fixed text, a caption and an icon. Every
// failure of an operation reaches the user through a MessageSink at the moment
// it happens; the operation then stops.

#include <string>
#include <vector>

namespace lorvane {

enum class MessageIcon { Error, Information, Exclamation, Warning };

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Error;
    // What the text does not say: for a file failure its path and the
    // system's reason. The desktop program shows it as the message box's
    // details, the command-line tool after the text. It is not part of the
    // message's identity: a message is its text, caption and icon.
    std::string detail = {};

    bool operator==(const Message& other) const {
        return text == other.text && caption == other.caption && icon == other.icon;
    }
};

// The messages interface: shows a message modally and returns when the user
// has dismissed it.
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void Show(const Message& message) = 0;

    void Error(std::string text, std::string caption, std::string detail = {}) {
        Show({std::move(text), std::move(caption), MessageIcon::Error, std::move(detail)});
    }
    void Information(std::string text, std::string caption) {
        Show({std::move(text), std::move(caption), MessageIcon::Information});
    }
    void Exclamation(std::string text, std::string caption, std::string detail = {}) {
        Show({std::move(text), std::move(caption), MessageIcon::Exclamation, std::move(detail)});
    }
};

// Keeps every message in the order it came; for tests and for callers that
// show the messages later.
class MessageLog : public MessageSink {
  public:
    void Show(const Message& message) override { messages.push_back(message); }
    std::vector<Message> messages;
};

// Drops every message.
class NullMessages : public MessageSink {
  public:
    void Show(const Message&) override {}
};

const char* IconName(MessageIcon icon);

}  // namespace lorvane
