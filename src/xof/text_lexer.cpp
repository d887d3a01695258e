#include "xof/text_lexer.h"

#include <charconv>

namespace xof {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

bool IsTextDelimiter(char c) {
  switch (c) {
    case '{':
    case '}':
    case '[':
    case ']':
    case '<':
    case '>':
    case ';':
    case ',':
    case '"':
    case '(':
    case ')':
      return true;
    default:
      return IsSpace(c);
  }
}

namespace {

bool LooksNumeric(std::string_view word) {
  std::size_t i = (word[0] == '-' || word[0] == '+') ? 1 : 0;
  if (i < word.size() && word[i] == '.') ++i;
  return i < word.size() && word[i] >= '0' && word[i] <= '9';
}

// Numbers are parsed with from_chars: the same result whatever the process locale.
void ClassifyNumber(Token& token) {
  std::string_view word = token.text;
  if (!LooksNumeric(word)) return;
  if (word[0] == '+') word.remove_prefix(1);
  const char* end = word.data() + word.size();
  std::int64_t integer = 0;
  auto [intEnd, intError] = std::from_chars(word.data(), end, integer);
  if (intError == std::errc() && intEnd == end) {
    token.kind = TokenKind::Integer;
    token.integer = integer;
    token.real = static_cast<double>(integer);
    return;
  }
  double real = 0;
  auto [realEnd, realError] = std::from_chars(word.data(), end, real);
  if (realError == std::errc() && realEnd == end) {
    token.kind = TokenKind::Float;
    token.real = real;
  }
}

}  // namespace

void TextLexer::SkipSpaceAndComments() {
  while (pos_ < text_.size()) {
    char c = text_[pos_];
    if (IsSpace(c)) {
      ++pos_;
    } else if (c == '#' || (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/')) {
      while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    } else {
      return;
    }
  }
}

Token TextLexer::Read() {
  SkipSpaceAndComments();
  Token token;
  token.offset = pos_;
  if (pos_ >= text_.size()) return token;
  char c = text_[pos_];
  auto single = [&](TokenKind kind) {
    ++pos_;
    token.kind = kind;
    return token;
  };
  switch (c) {
    case '{':
      return single(TokenKind::OBrace);
    case '}':
      return single(TokenKind::CBrace);
    case '[':
      return single(TokenKind::OBracket);
    case ']':
      return single(TokenKind::CBracket);
    case '(':
      return single(TokenKind::OParen);
    case ')':
      return single(TokenKind::CParen);
    case ';':
      return single(TokenKind::Semicolon);
    case ',':
      return single(TokenKind::Comma);
    case '>':
      throw FormatError(pos_, "unexpected '>'");
    case '<': {
      std::size_t close = text_.find('>', pos_);
      if (close == std::string_view::npos || close - pos_ > 40) {
        throw FormatError(pos_, "'<' does not start a GUID");
      }
      auto id = ParseGuid(text_.substr(pos_ + 1, close - pos_ - 1));
      if (!id) throw FormatError(pos_, "malformed GUID");
      token.kind = TokenKind::Guid;
      token.guid = *id;
      pos_ = close + 1;
      return token;
    }
    case '"': {
      std::size_t close = text_.find('"', pos_ + 1);
      if (close == std::string_view::npos) throw FormatError(pos_, "string without closing quote");
      token.kind = TokenKind::String;
      token.text = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close + 1;
      return token;
    }
    default:
      break;
  }
  std::size_t start = pos_;
  while (pos_ < text_.size() && !IsTextDelimiter(text_[pos_])) ++pos_;
  token.kind = TokenKind::Name;
  token.text = text_.substr(start, pos_ - start);
  if (IsKeyword(token, "template")) {
    token.kind = TokenKind::Template;
  } else if (IsKeyword(token, "array")) {
    token.kind = TokenKind::Array;
  } else {
    ClassifyNumber(token);
  }
  return token;
}

}  // namespace xof
