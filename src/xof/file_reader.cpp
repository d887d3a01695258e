#include "xof/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "platform/whole_file.h"
#include "xof/binary_lexer.h"
#include "xof/data_scan.h"
#include "xof/mszip.h"
#include "xof/template_parser.h"
#include "xof/template_sets.h"
#include "xof/text_lexer.h"
#include "xof/value_reader.h"

namespace xof {
namespace {

// Deeper than any file the exporter writes (a scene holds up to 1,000 levels of frames, with mesh
// and material records below the last), yet shallow enough for the recursion's stack.
constexpr int kMaxObjectDepth = 2048;

class ObjectParser {
 public:
  // `release`, when given, is told after each object's values how far the input has been read
  // for good: nothing before that offset is looked at again.
  ObjectParser(Lexer& lexer, XFileDocument& document, const ReadOptions& options,
               const std::function<void(std::size_t)>* release = nullptr)
      : lexer_(lexer), document_(document), options_(options), release_(release) {}

  void ParseFile() {
    for (;;) {
      Token token = lexer_.Next();
      if (token.kind == TokenKind::End) return;
      if (token.kind == TokenKind::Template) {
        auto definition = ParseTemplateDefinition(lexer_, document_.templates);
        document_.definedInFile.push_back(document_.templates.Add(std::move(definition)));
      } else if (token.kind == TokenKind::Name) {
        document_.objects.push_back(ParseObject(token, 0));
      } else {
        throw FormatError(token.offset,
                          "expected a template or a data object, found " + Describe(token));
      }
    }
  }

 private:
  static bool IsNameToken(const Token& token) {
    return token.kind == TokenKind::Name || token.kind == TokenKind::Integer ||
           token.kind == TokenKind::Float;
  }

  // Other writers spell template names in another letter case; an exact match comes first, and
  // a name that fits two templates apart from case is refused rather than guessed.
  const Template* FindTemplate(const Token& templateName) const {
    const TemplateRegistry& known = document_.templates;
    if (const Template* exact = known.FindByName(templateName.text)) return exact;
    if (const Template* folded = known.FindByNameIgnoringCase(templateName.text)) return folded;
    std::string name(templateName.text);
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    int similar = 0;
    for (const Template* t : known.InOrder()) {
      std::string other = t->name;
      for (char& c : other) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      similar += other == lower;
    }
    throw FormatError(templateName.offset,
                      similar > 1 ? "object of template '" + name +
                                        "', which names several templates apart from letter case"
                                  : "object of unknown template '" + name + "'");
  }

  std::unique_ptr<DataObject> ParseObject(const Token& templateName, int depth) {
    if (depth > kMaxObjectDepth)
      throw FormatError(templateName.offset, "objects nested too deeply");
    const Template* type = FindTemplate(templateName);
    auto object = std::make_unique<DataObject>();
    object->type = type;
    if (type->name != templateName.text) object->typeSpelling = std::string(templateName.text);
    object->fileOffset = templateName.offset;
    Token token = lexer_.Next();
    if (IsNameToken(token) && !lexer_.IsBinary()) {
      object->name = std::string(token.text);
      token = lexer_.Next();
    } else if (token.kind == TokenKind::Name) {
      object->name = std::string(token.text);
      token = lexer_.Next();
    }
    if (token.kind != TokenKind::OBrace) {
      throw FormatError(token.offset,
                        type->name + " object: expected '{', found " + Describe(token));
    }
    if (lexer_.Peek().kind == TokenKind::Guid) object->id = lexer_.Next().guid;
    DecodeObjectData(lexer_, *type, object->data);
    // The values are copied out and the next token is not yet read (or is held whole by the lexer).
    if (release_) (*release_)(lexer_.Taken());
    ParseChildren(*object, depth);
    try {
      if (options_.segments) {
        KeepSegmentsIfFew(*object, ScanDataBlock(*type, object->data.data(), object->data.size(),
                                                 /*forWriting=*/false));
      }
    } catch (const FormatError& error) {
      throw FormatError(object->fileOffset, type->name + " object: " + error.what());
    }
    return object;
  }

  void ParseChildren(DataObject& object, int depth) {
    for (;;) {
      Token token = lexer_.Next();
      switch (token.kind) {
        case TokenKind::CBrace:
          return;
        case TokenKind::OBrace:
          object.children.push_back(DataChild{nullptr, ParseReference(token)});
          break;
        case TokenKind::Name:
          object.children.push_back(DataChild{ParseObject(token, depth + 1), {}});
          break;
        case TokenKind::Semicolon:
        case TokenKind::Comma:
          break;
        case TokenKind::End:
          throw FormatError(token.offset, object.type->name + " object at byte " +
                                              std::to_string(object.fileOffset) + " is not closed");
        default:
          throw FormatError(token.offset,
                            object.type->name + " object: unexpected " + Describe(token));
      }
    }
  }

  DataReference ParseReference(const Token& open) {
    DataReference reference;
    Token token = lexer_.Next();
    if (IsNameToken(token) && (token.kind == TokenKind::Name || !lexer_.IsBinary())) {
      reference.name = std::string(token.text);
      token = lexer_.Next();
    }
    if (token.kind == TokenKind::Guid) {
      reference.id = token.guid;
      token = lexer_.Next();
    }
    if (reference.name.empty() && !reference.id) {
      throw FormatError(open.offset, "reference without a name or GUID");
    }
    if (token.kind != TokenKind::CBrace) {
      throw FormatError(token.offset, "reference: expected '}', found " + Describe(token));
    }
    return reference;
  }

  Lexer& lexer_;
  XFileDocument& document_;
  ReadOptions options_;
  const std::function<void(std::size_t)>* release_;
};

ReadResult Read(std::string_view bytes, const TemplateRegistry& knownTemplates,
                const ReadOptions& options,
                const std::function<void(std::size_t)>* release = nullptr) {
  ReadResult result;
  try {
    auto document = std::make_unique<XFileDocument>();
    document->header = ParseFileHeader(bytes);
    document->templates = knownTemplates;
    std::string decompressed;
    std::string_view input = bytes;
    if (document->header.compressed) {
      decompressed = InflateMszip(bytes, /*withHeader=*/true);
      input = decompressed;
      // The lexer reads the inflated copy: the file itself is done with.
      if (release) (*release)(bytes.size());
      release = nullptr;
      result.errorInDecompressedData = true;
    }
    std::unique_ptr<Lexer> lexer;
    if (document->header.binary) {
      lexer = std::make_unique<BinaryLexer>(input, kFileHeaderSize, document->header.floatSize);
    } else {
      lexer = std::make_unique<TextLexer>(input, kFileHeaderSize);
    }
    ObjectParser parser(*lexer, *document, options, release);
    parser.ParseFile();
    result.document = std::move(document);
    result.errorInDecompressedData = false;
  } catch (const FormatError& error) {
    result.error = error.what();
    result.errorOffset = error.offset();
  } catch (const std::bad_alloc&) {
    result.error = "out of memory";
    result.errorHasOffset = false;
  }
  return result;
}

}  // namespace

std::string ReadResult::Describe() const {
  if (!errorHasOffset) return error;
  return "byte " + std::to_string(errorOffset) +
         (errorInDecompressedData ? " of the decompressed data" : "") + ": " + error;
}

ReadResult ReadXFile(std::string_view bytes) { return ReadXFile(bytes, BuiltInTemplates()); }

ReadResult ReadXFile(std::string_view bytes, const TemplateRegistry& knownTemplates) {
  return ReadXFile(bytes, knownTemplates, ReadOptions{});
}

ReadResult ReadXFile(std::string_view bytes, const TemplateRegistry& knownTemplates,
                     const ReadOptions& options) {
  return Read(bytes, knownTemplates, options);
}

ReadResult ReadXFileAt(const std::filesystem::path& path) { return ReadXFileAt(path, {}); }

ReadResult ReadXFileAt(const std::filesystem::path& path, const ReadOptions& options) {
  ReadResult failure;
  failure.errorHasOffset = false;
  // Non-blocking, so that a pipe under the name cannot hang the read; anything but a regular file
  // (a pipe, a device such as /dev/zero that never ends) is refused before a byte is read.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    failure.error = std::string("cannot open the file: ") + std::strerror(errno);
    return failure;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    failure.error = S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is not a regular file";
    ::close(fd);
    return failure;
  }
  platform::WholeFileBuffer bytes;
  bool read = false;
  int readErrno = 0;
  try {
    read = bytes.ReadToEnd(fd, static_cast<std::size_t>(info.st_size));
    readErrno = errno;
  } catch (const std::bad_alloc&) {
    ::close(fd);
    failure.error = "file too large to read";
    return failure;
  }
  ::close(fd);
  if (!read) {
    failure.error = std::string("cannot read the file: ") + std::strerror(readErrno);
    return failure;
  }
  // The pages read through are given back as the reading goes, so that the blocks decoded from a
  // large file do not sit beside the whole file.
  std::function<void(std::size_t)> release = [&bytes](std::size_t offset) {
    bytes.ReleaseBefore(offset);
  };
  return Read(std::string_view(bytes.Data(), bytes.Size()), BuiltInTemplates(), options, &release);
}

}  // namespace xof
