#include "xof/binary_lexer.h"

#include <string>

#include "xof/binary_tokens.h"

namespace xof {
using namespace binary;

std::uint32_t BinaryLexer::ReadDword(std::size_t at) const {
  auto b = reinterpret_cast<const std::uint8_t*>(data_.data()) + at;
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint16_t BinaryLexer::ReadWord(std::size_t at) const {
  auto b = reinterpret_cast<const std::uint8_t*>(data_.data()) + at;
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

void BinaryLexer::Need(std::size_t bytes, std::size_t tokenStart, const char* what) const {
  if (bytes > data_.size() - pos_) {
    throw FormatError(tokenStart, std::string(what) + " runs past the end of the file");
  }
}

std::size_t BinaryLexer::DataBytesFrom(std::size_t at) const {
  std::size_t bytes = 0;
  while (data_.size() - at >= 6) {
    std::uint16_t code = ReadWord(at);
    at += 2;
    switch (code) {
      case kIntegerList:
      case kFloatList: {
        std::uint32_t count = ReadDword(at);
        at += 4;
        std::size_t size = code == kFloatList && floatSize_ == 64 ? 8 : 4;
        if (count > (data_.size() - at) / size) return bytes;
        bytes += 4 * std::size_t{count};
        at += count * size;
        break;
      }
      case kInteger:
        bytes += 4;
        at += 4;
        break;
      case kString: {
        std::uint32_t length = ReadDword(at);
        // The length, the text and its terminator must all lie in the file.
        if (data_.size() - at < 6 || length > data_.size() - at - 6) return bytes;
        bytes += std::size_t{length} + 1;
        at += 4 + std::size_t{length} + 2;
        break;
      }
      case kSemicolon:
      case kComma:
        break;
      default:
        return bytes;  // a child object, a reference or the closing brace
    }
  }
  return bytes;
}

Token BinaryLexer::Read() {
  Token token;
  token.offset = pos_;
  if (pos_ >= data_.size()) return token;
  Need(2, pos_, "token code");
  std::uint16_t code = ReadWord(pos_);
  pos_ += 2;
  auto type = [&](PrimitiveType t) {
    token.kind = TokenKind::Type;
    token.type = t;
    return token;
  };
  switch (code) {
    case kName:
    case kString: {
      Need(4, token.offset, code == kName ? "name" : "string");
      std::uint32_t length = ReadDword(pos_);
      pos_ += 4;
      Need(length, token.offset, code == kName ? "name" : "string");
      token.text = data_.substr(pos_, length);
      pos_ += length;
      token.kind = code == kName ? TokenKind::Name : TokenKind::String;
      if (code == kString) {
        Need(2, token.offset, "string terminator");
        std::uint16_t end = ReadWord(pos_);
        pos_ += 2;
        if (end != kSemicolon && end != kComma) {
          throw FormatError(token.offset, "string not followed by ';' or ','");
        }
        token.terminator = end == kComma ? TokenKind::Comma : TokenKind::Semicolon;
      }
      return token;
    }
    case kInteger:
      Need(4, token.offset, "integer");
      token.kind = TokenKind::Integer;
      token.integer = ReadDword(pos_);
      token.real = static_cast<double>(token.integer);
      pos_ += 4;
      return token;
    case kGuid:
      Need(16, token.offset, "GUID");
      token.kind = TokenKind::Guid;
      token.guid = DecodeGuid(reinterpret_cast<const std::uint8_t*>(data_.data()) + pos_);
      pos_ += 16;
      return token;
    case kIntegerList:
    case kFloatList: {
      Need(4, token.offset, "list");
      std::uint32_t count = ReadDword(pos_);
      pos_ += 4;
      std::size_t size = code == kFloatList && floatSize_ == 64 ? 8 : 4;
      // Compared by division so that a huge count cannot overflow the byte total.
      if (count > (data_.size() - pos_) / size) {
        throw FormatError(token.offset, "list of " + std::to_string(count) +
                                            " values runs past the end of the file");
      }
      token.kind = code == kIntegerList ? TokenKind::IntegerList : TokenKind::FloatList;
      token.count = count;
      token.valueSize = static_cast<std::uint8_t>(size);
      token.values = reinterpret_cast<const std::uint8_t*>(data_.data()) + pos_;
      pos_ += count * size;
      return token;
    }
    case kOBrace:
      token.kind = TokenKind::OBrace;
      return token;
    case kCBrace:
      token.kind = TokenKind::CBrace;
      return token;
    case kOParen:
      token.kind = TokenKind::OParen;
      return token;
    case kCParen:
      token.kind = TokenKind::CParen;
      return token;
    case kOBracket:
      token.kind = TokenKind::OBracket;
      return token;
    case kCBracket:
      token.kind = TokenKind::CBracket;
      return token;
    case kOAngle:
      token.kind = TokenKind::OAngle;
      return token;
    case kCAngle:
      token.kind = TokenKind::CAngle;
      return token;
    case kDot:
      token.kind = TokenKind::Dot;
      return token;
    case kComma:
      token.kind = TokenKind::Comma;
      return token;
    case kSemicolon:
      token.kind = TokenKind::Semicolon;
      return token;
    case kTemplate:
      token.kind = TokenKind::Template;
      return token;
    case kArray:
      token.kind = TokenKind::Array;
      return token;
    case kWord:
      return type(PrimitiveType::Word);
    case kDword:
      return type(PrimitiveType::Dword);
    case kFloat:
      return type(PrimitiveType::Float);
    case kDouble:
      return type(PrimitiveType::Double);
    case kChar:
      return type(PrimitiveType::Char);
    case kUchar:
      return type(PrimitiveType::Uchar);
    case kSword:
      return type(PrimitiveType::Sword);
    case kSdword:
      return type(PrimitiveType::Sdword);
    case kLpstr:
      return type(PrimitiveType::String);
    case kUnicode:
      return type(PrimitiveType::Unicode);
    case kCstring:
      return type(PrimitiveType::Cstring);
    case kVoid:
      throw FormatError(token.offset, "VOID members are not supported");
    default:
      throw FormatError(token.offset, "unknown binary token code " + std::to_string(code));
  }
}

}  // namespace xof
