#include "xof/tokens.h"

namespace xof {

std::string Describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::End:
      return "end of file";
    case TokenKind::Name:
      return "name '" + std::string(token.text) + "'";
    case TokenKind::String:
      return "string \"" + std::string(token.text) + "\"";
    case TokenKind::Integer:
    case TokenKind::Float:
      return token.text.empty() ? "number" : "number " + std::string(token.text);
    case TokenKind::Guid:
      return "GUID <" + FormatGuid(token.guid) + ">";
    case TokenKind::IntegerList:
      return "integer list";
    case TokenKind::FloatList:
      return "float list";
    case TokenKind::OBrace:
      return "'{'";
    case TokenKind::CBrace:
      return "'}'";
    case TokenKind::OParen:
      return "'('";
    case TokenKind::CParen:
      return "')'";
    case TokenKind::OBracket:
      return "'['";
    case TokenKind::CBracket:
      return "']'";
    case TokenKind::OAngle:
      return "'<'";
    case TokenKind::CAngle:
      return "'>'";
    case TokenKind::Dot:
      return "'.'";
    case TokenKind::Comma:
      return "','";
    case TokenKind::Semicolon:
      return "';'";
    case TokenKind::Template:
      return "keyword 'template'";
    case TokenKind::Array:
      return "keyword 'array'";
    case TokenKind::Type:
      return "type " + std::string(PrimitiveKeyword(token.type));
  }
  return "token";
}

bool IsKeyword(const Token& token, std::string_view keyword) {
  if (token.kind != TokenKind::Name || token.text.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    char c = token.text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    char k = keyword[i];
    if (k >= 'a' && k <= 'z') k = static_cast<char>(k - 'a' + 'A');
    if (c != k) return false;
  }
  return true;
}

std::optional<PrimitiveType> TypeOfToken(const Token& token) {
  if (token.kind == TokenKind::Type) return token.type;
  if (token.kind != TokenKind::Name) return std::nullopt;
  static constexpr std::pair<std::string_view, PrimitiveType> kKeywords[] = {
      {"WORD", PrimitiveType::Word},       {"DWORD", PrimitiveType::Dword},
      {"FLOAT", PrimitiveType::Float},     {"DOUBLE", PrimitiveType::Double},
      {"CHAR", PrimitiveType::Char},       {"UCHAR", PrimitiveType::Uchar},
      {"SWORD", PrimitiveType::Sword},     {"SDWORD", PrimitiveType::Sdword},
      {"STRING", PrimitiveType::String},   {"LPSTR", PrimitiveType::String},
      {"CSTRING", PrimitiveType::Cstring}, {"UNICODE", PrimitiveType::Unicode},
      {"BYTE", PrimitiveType::Uchar},
  };
  for (const auto& [keyword, type] : kKeywords) {
    if (IsKeyword(token, keyword)) return type;
  }
  return std::nullopt;
}

}  // namespace xof
