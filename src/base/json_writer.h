#pragma once
// Writes one JSON document as a stream, compact (no blanks), so a large
// document never exists whole in memory: values go out in the order they are
// given, through a buffer of a few kilobytes.
//
// Strings are given as UTF-8; bytes that are not are written as U+FFFD, so
// the output is always valid UTF-8. Numbers that are not finite have no JSON
// form and are written as the strings "NaN", "Infinity" and "-Infinity".

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace lorvane {

class JsonWriter {
  public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}
    ~JsonWriter() { Flush(); }
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the open object.
    void Key(std::string_view name);
    void String(std::string_view utf8);
    void Integer(int64_t value);
    void Boolean(bool value);
    void Null();
    // The shortest text that reads back to the same double; integral values
    // keep a ".0" so they read back as floating point.
    void Real(double value);

    // Hands the buffered text to the stream; false when the stream failed.
    bool Flush();

  private:
    void BeforeValue();
    void Quoted(std::string_view utf8);

    std::ostream& out_;
    std::string buffer_;
    // For each open object or array: whether it holds a value yet.
    std::vector<bool> open_;
    bool afterKey_ = false;
};

}  // namespace lorvane
