#include "xof/template_parser.h"

#include "xof/binary_lexer.h"
#include "xof/file_header.h"
#include "xof/text_lexer.h"

namespace xof {
namespace {

Token Expect(Lexer& lexer, TokenKind kind, const char* what) {
  Token token = lexer.Next();
  if (token.kind != kind) {
    throw FormatError(token.offset, std::string("expected ") + what + ", found " + Describe(token));
  }
  return token;
}

bool IsEllipsisStart(Lexer& lexer) {
  const Token& next = lexer.Peek();
  return next.kind == TokenKind::Dot || (next.kind == TokenKind::Name && next.text == "...");
}

void ParseOption(Lexer& lexer, Template& definition) {
  if (IsEllipsisStart(lexer)) {
    if (lexer.Next().kind == TokenKind::Dot) {
      Expect(lexer, TokenKind::Dot, "'.'");
      Expect(lexer, TokenKind::Dot, "'.'");
    }
    Expect(lexer, TokenKind::CBracket, "']'");
    definition.kind = TemplateKind::Open;
    return;
  }
  definition.kind = TemplateKind::Restricted;
  for (;;) {
    Token name = Expect(lexer, TokenKind::Name, "a template name");
    TemplateRestriction restriction{std::string(name.text), std::nullopt};
    if (lexer.Peek().kind == TokenKind::Guid) restriction.id = lexer.Next().guid;
    definition.restrictions.push_back(std::move(restriction));
    Token next = lexer.Next();
    if (next.kind == TokenKind::CBracket) return;
    if (next.kind != TokenKind::Comma) {
      throw FormatError(next.offset, "expected ',' or ']', found " + Describe(next));
    }
  }
}

int FindCountMember(const Template& definition, std::string_view name) {
  for (std::size_t i = 0; i < definition.members.size(); ++i) {
    const Member& m = definition.members[i];
    if (m.name == name && m.primitive && IsIntegerType(*m.primitive) && !m.isArray) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::size_t MemberMinimumSize(const Member& member) {
  std::size_t element = member.primitive
                            ? std::max<std::size_t>(PrimitiveSize(*member.primitive), 1)
                            : member.type->minimumSize;
  if (!member.isArray) return element;
  std::size_t count = 1;
  for (const ArrayDimension& d : member.dimensions) {
    if (d.member >= 0) return 0;
    count *= d.size;
  }
  return count * element;
}

void ParseMember(Lexer& lexer, const TemplateRegistry& known, Template& definition) {
  Member member;
  Token first = lexer.Next();
  if (first.kind == TokenKind::Array) {
    member.isArray = true;
    first = lexer.Next();
  }
  if (auto type = TypeOfToken(first)) {
    member.primitive = type;
  } else if (first.kind == TokenKind::Name) {
    member.type = known.FindByName(first.text);
    if (!member.type) {
      throw FormatError(first.offset,
                        "member type '" + std::string(first.text) + "' is not a known template");
    }
  } else {
    throw FormatError(first.offset, "expected a member type, found " + Describe(first));
  }
  Token name = Expect(lexer, TokenKind::Name, "a member name");
  member.name = std::string(name.text);
  if (member.isArray) {
    if (member.type && member.type->minimumSize == 0) {
      throw FormatError(first.offset, "array of '" + member.type->name + "', which holds no data");
    }
    do {
      Expect(lexer, TokenKind::OBracket, "'['");
      Token dim = lexer.Next();
      ArrayDimension dimension;
      if (dim.kind == TokenKind::Integer && dim.integer >= 0 && dim.integer <= 0xFFFFFFFF) {
        dimension.size = static_cast<std::uint32_t>(dim.integer);
      } else if (dim.kind == TokenKind::Name) {
        dimension.member = FindCountMember(definition, dim.text);
        if (dimension.member < 0) {
          throw FormatError(dim.offset, "array size '" + std::string(dim.text) +
                                            "' is not an earlier integer member");
        }
      } else {
        throw FormatError(dim.offset, "expected an array size, found " + Describe(dim));
      }
      member.dimensions.push_back(dimension);
      Expect(lexer, TokenKind::CBracket, "']'");
    } while (lexer.Peek().kind == TokenKind::OBracket);
  }
  Expect(lexer, TokenKind::Semicolon, "';'");
  definition.minimumSize += MemberMinimumSize(member);
  definition.members.push_back(std::move(member));
}

}  // namespace

std::shared_ptr<Template> ParseTemplateDefinition(Lexer& lexer, const TemplateRegistry& known) {
  auto definition = std::make_shared<Template>();
  Token name = Expect(lexer, TokenKind::Name, "a template name");
  definition->name = std::string(name.text);
  Expect(lexer, TokenKind::OBrace, "'{'");
  definition->id = Expect(lexer, TokenKind::Guid, "the template's GUID").guid;
  for (;;) {
    const Token& next = lexer.Peek();
    if (next.kind == TokenKind::CBrace) {
      lexer.Next();
      return definition;
    }
    if (next.kind == TokenKind::OBracket) {
      lexer.Next();
      ParseOption(lexer, *definition);
      Expect(lexer, TokenKind::CBrace, "'}' after the template's option list");
      return definition;
    }
    ParseMember(lexer, known, *definition);
  }
}

void ParseTemplateSet(std::string_view data, TemplateRegistry& registry) {
  FileHeader header = ParseFileHeader(data);
  if (header.compressed) throw FormatError(8, "compressed template sets are not supported");
  TemplateRegistry extended = registry;
  std::unique_ptr<Lexer> lexer;
  if (header.binary) {
    lexer = std::make_unique<BinaryLexer>(data, kFileHeaderSize, header.floatSize);
  } else {
    lexer = std::make_unique<TextLexer>(data, kFileHeaderSize);
  }
  for (;;) {
    Token token = lexer->Next();
    if (token.kind == TokenKind::End) break;
    if (token.kind != TokenKind::Template) {
      throw FormatError(token.offset, "template set holds " + Describe(token) +
                                          " where a template definition was expected");
    }
    extended.Add(ParseTemplateDefinition(*lexer, extended));
  }
  registry = std::move(extended);
}

}  // namespace xof
