// Tokens of the text encoding: words, numbers, quoted strings, <GUID>s and punctuation, with
// "//" and "#" comments skipped.
#pragma once

#include "xof/tokens.h"

namespace xof {

// Whether `c` ends a word of the text encoding (white space or punctuation).
bool IsTextDelimiter(char c);

class TextLexer : public Lexer {
 public:
  // `text` is the whole file; lexing starts at `start` (after the header).
  TextLexer(std::string_view text, std::size_t start) : text_(text), pos_(start) {}
  bool IsBinary() const override { return false; }

 protected:
  Token Read() override;
  std::size_t Position() const override { return pos_; }
  std::size_t Size() const override { return text_.size(); }

 private:
  void SkipSpaceAndComments();
  std::string_view text_;
  std::size_t pos_;
};

}  // namespace xof
