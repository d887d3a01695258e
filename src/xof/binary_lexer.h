// Tokens of the binary encoding: a WORD code per record, little-endian payloads.
#pragma once

#include "xof/tokens.h"

namespace xof {

class BinaryLexer : public Lexer {
 public:
  // `data` is the whole decoded file; lexing starts at `start`. `floatSize` is 32 or 64.
  BinaryLexer(std::string_view data, std::size_t start, int floatSize)
      : data_(data), pos_(start), floatSize_(floatSize) {}
  bool IsBinary() const override { return true; }

 protected:
  Token Read() override;
  std::size_t Position() const override { return pos_; }
  std::size_t Size() const override { return data_.size(); }
  std::size_t DataBytesFrom(std::size_t at) const override;

 private:
  std::uint32_t ReadDword(std::size_t at) const;
  std::uint16_t ReadWord(std::size_t at) const;
  void Need(std::size_t bytes, std::size_t tokenStart, const char* what) const;
  std::string_view data_;
  std::size_t pos_;
  int floatSize_;
};

}  // namespace xof
