#include "base/json_writer.h"

#include <charconv>
#include <cmath>

namespace lorvane {

namespace {

constexpr size_t kFlushSize = 1 << 16;

// The length of the valid UTF-8 sequence at the start of text; 0 when the
// first byte does not start one.
size_t Utf8Length(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    char32_t c = lead & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    return c < least || c > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!open_.empty()) {
        if (open_.back()) buffer_ += ',';
        open_.back() = true;
    }
}

void JsonWriter::BeginObject() {
    BeforeValue();
    buffer_ += '{';
    open_.push_back(false);
}

void JsonWriter::EndObject() {
    buffer_ += '}';
    open_.pop_back();
    if (buffer_.size() >= kFlushSize) Flush();
}

void JsonWriter::BeginArray() {
    BeforeValue();
    buffer_ += '[';
    open_.push_back(false);
}

void JsonWriter::EndArray() {
    buffer_ += ']';
    open_.pop_back();
    if (buffer_.size() >= kFlushSize) Flush();
}

void JsonWriter::Key(std::string_view name) {
    BeforeValue();
    Quoted(name);
    buffer_ += ':';
    afterKey_ = true;
}

void JsonWriter::String(std::string_view utf8) {
    BeforeValue();
    Quoted(utf8);
}

void JsonWriter::Quoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    buffer_ += '"';
    while (!text.empty()) {
        const size_t length = Utf8Length(text);
        if (length == 0) {
            buffer_ += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no character
            text.remove_prefix(1);
            continue;
        }
        const auto c = static_cast<unsigned char>(text[0]);
        if (c == '"' || c == '\\') {
            buffer_ += '\\';
            buffer_ += static_cast<char>(c);
        } else if (c < 0x20) {
            buffer_ += "\\u00";
            buffer_ += kHex[c >> 4];
            buffer_ += kHex[c & 15];
        } else {
            buffer_.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    buffer_ += '"';
}

void JsonWriter::Integer(int64_t value) {
    BeforeValue();
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    buffer_.append(text, end);
}

void JsonWriter::Boolean(bool value) {
    BeforeValue();
    buffer_ += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    buffer_ += "null";
}

void JsonWriter::Real(double value) {
    if (std::isnan(value)) return String("NaN");
    if (std::isinf(value)) return String(value > 0 ? "Infinity" : "-Infinity");
    BeforeValue();
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    const std::string_view written(text, static_cast<size_t>(end - text));
    buffer_ += written;
    if (written.find_first_of(".e") == std::string_view::npos) buffer_ += ".0";
}

bool JsonWriter::Flush() {
    if (!buffer_.empty()) {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }
    return static_cast<bool>(out_);
}

}  // namespace lorvane
