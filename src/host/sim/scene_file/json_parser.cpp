#include "host/sim/scene_file/json_parser.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include "host/sim/scene_file/json_lexer.h"
#include "host/sim/scene_file/json_text.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"

namespace sim {

static_assert(SceneLimits::kMaxFileBytes < (std::uintmax_t{1} << 32),
              "string offsets and value indices are 32 bits");

namespace {

using Kind = JsonDocument::Kind;
using Token = JsonToken;

// Objects with more keys than this look for a repeated one in a hash set rather than a scan.
constexpr std::size_t kKeysScannedInPlace = 16;
// Arrays of up to this many numbers (points, faces, colours, matrix rows) are read in one step.
constexpr std::size_t kRowLength = 4;
// An array of more than this many rows of one width is packed; shorter ones (a matrix, a few keys)
// are held as values, as packing would cost them more than it saves.
constexpr std::size_t kPackedRowsFrom = 64;

// Containers are read into scratch_ and, once closed, moved into the document in one piece: so an
// array's elements and an object's members end side by side there, whatever nests inside them.
class Parser {
 public:
  Parser(std::string_view text, const std::string& fileName, JsonDocument& document)
      : text_(text), fileName_(fileName), writer_(document), lexer_(text, writer_.Strings()) {}

  void Run();

 private:
  // The values read inside the open containers, kinds and payloads apart so that a container's
  // values go to the document in two copies.
  class Scratch {
   public:
    void Push(Kind kind, std::uint64_t payload) {
      if (size_ == capacity_) Grow();
      kinds_[size_] = static_cast<std::uint8_t>(kind);
      payloads_[size_++] = payload;
    }
    std::size_t Size() const { return size_; }
    Kind KindAt(std::size_t i) const { return static_cast<Kind>(kinds_[i]); }
    std::uint64_t PayloadAt(std::size_t i) const { return payloads_[i]; }
    const std::uint8_t* Kinds() const { return kinds_.get(); }
    const std::uint64_t* Payloads() const { return payloads_.get(); }
    void Resize(std::size_t size) { size_ = size; }

   private:
    void Grow() {
      std::size_t capacity = std::max<std::size_t>(64, 2 * capacity_);
      auto kinds = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
      auto payloads = std::make_unique_for_overwrite<std::uint64_t[]>(capacity);
      std::copy_n(kinds_.get(), size_, kinds.get());
      std::copy_n(payloads_.get(), size_, payloads.get());
      kinds_ = std::move(kinds);
      payloads_ = std::move(payloads);
      capacity_ = capacity;
    }

    std::unique_ptr<std::uint8_t[]> kinds_;
    std::unique_ptr<std::uint64_t[]> payloads_;
    std::size_t size_ = 0, capacity_ = 0;
  };
  struct Frame {
    bool isObject = false;
    // An array whose every element so far is a number row of rowWidth_ numbers: its rows are in
    // held_ and then packedRows_, not in scratch_.
    bool rows = false;
    std::size_t base = 0;   // its first entry in scratch_
    std::uint64_t key = 0;  // the key read last, for messages
    std::unique_ptr<std::unordered_set<std::string>> keys;
  };

  void AddRow(const JsonRows::Number* row, std::size_t width);
  void AppendRow(const JsonRows::Number* row, std::size_t width);
  // The innermost array holds something other than its rows: they become values like any other.
  void EndRows() {
    if (!frames_.empty() && frames_.back().rows) UnpackRows();
  }
  void UnpackRows();
  Token ExpectKey(Token token);
  void AddKey(std::uint64_t key, std::size_t at);
  void Open(bool isObject);
  void Close();
  std::string PointerOfOpenValues() const;
  [[noreturn]] void Fail(Token token, const char* expected, const char* context);
  [[noreturn]] void Throw(std::size_t offset, std::string problem) const;

  std::string_view text_;
  const std::string& fileName_;
  JsonDocumentWriter writer_;
  JsonLexer lexer_;
  Scratch scratch_;
  std::vector<Frame> frames_;
  std::vector<std::uint32_t> order_;
  // The rows of the innermost array while it holds nothing else: the first ones as read, then,
  // from kPackedRowsFrom on, all of them packed.
  std::size_t rowWidth_ = 0;
  std::size_t heldRows_ = 0;
  JsonRows::Number held_[kPackedRowsFrom * kRowLength];
  std::optional<JsonRows> packedRows_;
};

// A row as a value: its numbers into the document, the row into its container's values.
void Parser::AppendRow(const JsonRows::Number* row, std::size_t width) {
  auto first = static_cast<std::uint64_t>(writer_.Size());
  for (std::size_t i = 0; i < width; ++i) {
    writer_.Append(static_cast<Kind>(static_cast<std::uint8_t>(Kind::kUnsigned) + row[i].kind),
                   row[i].payload);
  }
  scratch_.Push(Kind::kArray, first << 32 | width);
}

void Parser::AddRow(const JsonRows::Number* row, std::size_t width) {
  if (frames_.empty() || !frames_.back().rows) {
    AppendRow(row, width);
    return;
  }
  if (heldRows_ == 0 && !packedRows_) rowWidth_ = width;
  if (width != rowWidth_) {
    UnpackRows();
    AppendRow(row, width);
  } else if (packedRows_) {
    packedRows_->Add(row);
  } else if (heldRows_ < kPackedRowsFrom) {
    std::copy_n(row, width, held_ + heldRows_++ * width);
  } else {
    packedRows_.emplace(width);
    for (std::size_t i = 0; i < heldRows_; ++i) packedRows_->Add(held_ + i * width);
    heldRows_ = 0;
    packedRows_->Add(row);
  }
}

void Parser::UnpackRows() {
  frames_.back().rows = false;
  for (std::size_t i = 0; i < heldRows_; ++i) AppendRow(held_ + i * rowWidth_, rowWidth_);
  heldRows_ = 0;
  if (!packedRows_) return;
  JsonRows::Number row[kRowLength];
  for (std::size_t r = 0; r < packedRows_->Count(); ++r) {
    for (std::size_t c = 0; c < rowWidth_; ++c) {
      row[c] = {packedRows_->KindAt(r, c), false, packedRows_->PayloadAt(r, c)};
    }
    AppendRow(row, rowWidth_);
  }
  packedRows_.reset();
}

void Parser::Throw(std::size_t offset, std::string problem) const {
  // The text quoted may be a whole long string.
  constexpr std::size_t kLongestProblem = 300;
  if (problem.size() > kLongestProblem) problem = problem.substr(0, kLongestProblem) + "...";
  throw SceneFileError(fileName_, DescribeTextPosition(text_, offset), problem);
}

void Parser::Fail(Token token, const char* expected, const char* context) {
  std::string problem = std::string("syntax error while parsing ") + context + " - ";
  if (token == Token::kError) {
    problem += lexer_.Problem() + "; last read: '" + lexer_.LastRead() + "'";
  } else {
    problem += std::string("unexpected ") + JsonTokenName(token);
  }
  if (expected) problem += std::string("; expected ") + expected;
  Throw(lexer_.LastReadOffset(), problem);
}

std::string Parser::PointerOfOpenValues() const {
  std::string pointer;
  for (std::size_t d = 0; d + 1 < frames_.size(); ++d) {
    const Frame& frame = frames_[d];
    pointer += "/";
    pointer += frame.isObject ? EscapePointerSegment(writer_.String(frame.key))
                              : std::to_string(frames_[d + 1].base - frame.base);
  }
  return pointer;
}

void Parser::AddKey(std::uint64_t key, std::size_t at) {
  Frame& frame = frames_.back();
  std::string_view name = writer_.String(key);
  bool repeated = false;
  if (frame.keys) {
    repeated = !frame.keys->emplace(name).second;
  } else {
    for (std::size_t i = frame.base; i < scratch_.Size() && !repeated; i += 2) {
      repeated = writer_.String(scratch_.PayloadAt(i)) == name;
    }
    if (!repeated && (scratch_.Size() - frame.base) / 2 + 1 > kKeysScannedInPlace) {
      frame.keys = std::make_unique<std::unordered_set<std::string>>();
      for (std::size_t i = frame.base; i < scratch_.Size(); i += 2) {
        frame.keys->emplace(writer_.String(scratch_.PayloadAt(i)));
      }
      frame.keys->emplace(name);
    }
  }
  if (repeated) {
    std::string text(name);
    throw SceneFileError(fileName_,
                         PointerOfOpenValues() + "/" + EscapePointerSegment(text) + " (" +
                             DescribeTextPosition(text_, at) + ")",
                         "the key \"" + text + "\" appears twice in one object");
  }
  frame.key = key;
  scratch_.Push(Kind::kString, key);
}

Token Parser::ExpectKey(Token token) {
  if (token != Token::kString) Fail(token, "string literal", "object key");
  AddKey(lexer_.Payload(), lexer_.TokenStart());
  token = lexer_.Scan();
  if (token != Token::kColon) Fail(token, "':'", "object separator");
  return lexer_.Scan();
}

void Parser::Open(bool isObject) {
  if (frames_.size() >= static_cast<std::size_t>(SceneLimits::kMaxJsonDepth)) {
    throw SceneFileError(fileName_, DescribeTextPosition(text_, lexer_.LastReadOffset()),
                         "arrays and objects nest deeper than " +
                             std::to_string(SceneLimits::kMaxJsonDepth) + " levels");
  }
  Frame& frame = frames_.emplace_back();
  frame.isObject = isObject;
  frame.rows = !isObject;
  frame.base = scratch_.Size();
}

// Moves the values of the innermost container from scratch_ into the document, side by side, and
// leaves the container in their place.
void Parser::Close() {
  Frame& frame = frames_.back();
  if (frame.rows && packedRows_) {
    std::uint64_t payload = writer_.AddRows(std::move(*packedRows_));
    packedRows_.reset();
    frames_.pop_back();
    scratch_.Push(JsonDocumentWriter::RowsKind(), payload);
    return;
  }
  EndRows();
  std::size_t count = scratch_.Size() - frame.base;
  auto first = static_cast<std::uint64_t>(writer_.Size());
  Kind kind = Kind::kArray;
  if (!frame.isObject) {
    writer_.Append(scratch_.Kinds() + frame.base, scratch_.Payloads() + frame.base, count);
  } else {
    kind = Kind::kObject;
    count /= 2;
    order_.resize(count);
    for (std::size_t i = 0; i < count; ++i) order_[i] = static_cast<std::uint32_t>(i);
    std::size_t base = frame.base;
    auto key = [&](std::uint32_t pair) {
      return writer_.String(scratch_.PayloadAt(base + 2 * pair));
    };
    std::sort(order_.begin(), order_.end(),
              [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    for (std::uint32_t i : order_) writer_.Append(Kind::kString, scratch_.PayloadAt(base + 2 * i));
    for (std::uint32_t i : order_) {
      writer_.Append(scratch_.KindAt(base + 2 * i + 1), scratch_.PayloadAt(base + 2 * i + 1));
    }
  }
  scratch_.Resize(frame.base);
  frames_.pop_back();
  scratch_.Push(kind, first << 32 | count);
}

void Parser::Run() {
  if (!lexer_.SkipByteOrderMark()) Fail(Token::kError, nullptr, "value");
  Token token = lexer_.Scan();
  for (;;) {
    // `token` starts a value.
    if (token != Token::kBeginArray) EndRows();
    switch (token) {
      case Token::kBeginObject:
        Open(true);
        token = lexer_.Scan();
        if (token == Token::kEndObject) {
          Close();
          break;
        }
        token = ExpectKey(token);
        continue;
      case Token::kBeginArray:
        // A point or a face: read without a frame.
        if (frames_.size() < static_cast<std::size_t>(SceneLimits::kMaxJsonDepth)) {
          JsonRows::Number row[kRowLength];
          if (std::size_t count = lexer_.ScanNumberRow(kRowLength, row)) {
            AddRow(row, count);
            break;
          }
        }
        EndRows();
        Open(false);
        token = lexer_.Scan();
        if (token == Token::kEndArray) {
          Close();
          break;
        }
        continue;
      case Token::kNumber:
        if (lexer_.Overflow()) {
          Throw(lexer_.LastReadOffset(), "number overflow parsing '" + lexer_.LastRead() + "'");
        }
        [[fallthrough]];
      case Token::kString:
        scratch_.Push(token == Token::kString ? Kind::kString : lexer_.Kind(), lexer_.Payload());
        break;
      case Token::kTrue:
        scratch_.Push(Kind::kTrue, 0);
        break;
      case Token::kFalse:
        scratch_.Push(Kind::kFalse, 0);
        break;
      case Token::kNull:
        scratch_.Push(Kind::kNull, 0);
        break;
      case Token::kError:
        Fail(token, nullptr, "value");
      default:
        Fail(token, "'[', '{', or a literal", "value");
    }
    // After a value: the next one, the end of its container, or the end of the text.
    for (;;) {
      if (!frames_.empty() && !frames_.back().isObject) {
        // The numbers of an array, the bulk of a mesh, read without the general step.
        if (lexer_.Comma(token)) {
          if (token == Token::kNumber && !lexer_.Overflow() && !frames_.back().rows) {
            scratch_.Push(lexer_.Kind(), lexer_.Payload());
            continue;
          }
          break;
        }
      }
      token = lexer_.Scan();
      if (frames_.empty()) {
        if (token != Token::kEnd) Fail(token, "end of input", "value");
        writer_.Append(scratch_.KindAt(0), scratch_.PayloadAt(0));
        return;
      }
      bool inObject = frames_.back().isObject;
      if (token == Token::kComma) {
        token = lexer_.Scan();
        if (inObject) token = ExpectKey(token);
        break;
      }
      if (token == (inObject ? Token::kEndObject : Token::kEndArray)) {
        Close();
        continue;
      }
      if (inObject) Fail(token, "'}'", "object");
      Fail(token, "']'", "array");
    }
  }
}

}  // namespace

JsonDocument ParseJson(std::string_view text, const std::string& fileName) {
  JsonDocument document;
  Parser(text, fileName, document).Run();
  return document;
}

}  // namespace sim
