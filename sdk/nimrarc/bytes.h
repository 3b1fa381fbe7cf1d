// Little-endian byte building for the binary resource formats.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nimrarc {

class Bytes {
  public:
    void U8(std::uint32_t v) { data_ += static_cast<char>(v & 0xFF); }
    void U16(std::uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v) {
        U16(v);
        U16(v >> 16);
    }
    // UTF-16 text and its terminating zero.
    void Text(std::u16string_view text) {
        for (char16_t c : text) U16(c);
        U16(0);
    }
    void Raw(std::string_view bytes) { data_ += bytes; }
    void AlignTo4() {
        while (data_.size() % 4) U8(0);
    }
    // Overwrites a 16-bit value written earlier (a length known only at the end).
    void PatchU16(std::size_t at, std::uint32_t v) {
        data_[at] = static_cast<char>(v & 0xFF);
        data_[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    }
    std::size_t size() const { return data_.size(); }
    const std::string& data() const { return data_; }

  private:
    std::string data_;
};

// UTF-8 text to UTF-16; a byte that does not start a valid sequence is taken as Latin-1,
// so scripts saved in a Windows code page keep their accented letters.
std::u16string ToUtf16(std::string_view text);

}  // namespace nimrarc
