// The token stream shared by the text and binary encodings. Both lexers yield the same tokens, so
// one parser reads templates and data objects from either encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "xof/guid.h"
#include "xof/template_model.h"

namespace xof {

// Malformed input: what is wrong and where (a byte offset in the decoded input).
class FormatError : public std::runtime_error {
 public:
  FormatError(std::size_t offset, const std::string& message)
      : std::runtime_error(message), offset_(offset) {}
  std::size_t offset() const { return offset_; }

 private:
  std::size_t offset_;
};

enum class TokenKind : std::uint8_t {
  End,
  Name,
  String,
  Integer,
  Float,
  Guid,
  IntegerList,
  FloatList,
  OBrace,
  CBrace,
  OParen,
  CParen,
  OBracket,
  CBracket,
  OAngle,
  CAngle,
  Dot,
  Comma,
  Semicolon,
  Template,
  Array,
  Type,  // Type: a primitive type keyword (binary only; text has names)
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::size_t offset = 0;
  std::string_view text;  // Name, String, and the spelling of text numbers
  std::int64_t integer = 0;
  double real = 0;
  Guid guid;
  PrimitiveType type = PrimitiveType::Dword;
  std::uint32_t count = 0;                      // list tokens: number of values
  const std::uint8_t* values = nullptr;         // list tokens: little-endian payload
  std::uint8_t valueSize = 4;                   // list tokens: 4, or 8 for doubles
  TokenKind terminator = TokenKind::Semicolon;  // binary STRING tokens
};

// A short description of a token for error messages ("'{'", "name 'Frame'", "end of file").
std::string Describe(const Token& token);

class Lexer {
 public:
  virtual ~Lexer() = default;
  const Token& Peek() {
    if (!peeked_) {
      peek_ = Read();
      peeked_ = true;
    }
    return peek_;
  }
  Token Next() {
    if (peeked_) {
      peeked_ = false;
      return peek_;
    }
    return Read();
  }
  // Bytes of input not yet taken (a peeked token counts as not taken): every value still to come
  // takes at least one.
  std::size_t Remaining() const { return Size() - Taken(); }
  // Offset of the first byte not yet taken: no token handed out reaches back before it unless it is
  // still held.
  std::size_t Taken() const { return peeked_ ? peek_.offset : Position(); }
  virtual bool IsBinary() const = 0;
  // How many bytes the values from here to the next object or brace decode to, as far as the
  // encoding tells it cheaply (binary lists hold their counts); 0 when it does not. A hint for
  // sizing a block once: the decoding itself checks everything.
  std::size_t DataBytesAhead() const { return DataBytesFrom(Taken()); }

 protected:
  virtual std::size_t DataBytesFrom(std::size_t) const { return 0; }
  virtual Token Read() = 0;
  virtual std::size_t Position() const = 0;
  virtual std::size_t Size() const = 0;

 private:
  Token peek_;
  bool peeked_ = false;
};

// Case-insensitive keyword test on a name token ("template", "array", type names).
bool IsKeyword(const Token& token, std::string_view keyword);
// The primitive type a token names: a binary type token, or a text type keyword.
std::optional<PrimitiveType> TypeOfToken(const Token& token);

}  // namespace xof
