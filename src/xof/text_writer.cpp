#include "xof/text_writer.h"

#include <cstring>

#include "xof/data_walk.h"
#include "xof/number_format.h"
#include "xof/template_encoding.h"

namespace xof {
namespace {

// Formats straight into a large buffer and hands it to the sink in big pieces.
class TextOut {
 public:
  explicit TextOut(Sink& sink) : sink_(sink), buffer_(kCapacity + kSlack) {}
  ~TextOut() = default;

  // Room for `n` more characters (n <= kSlack).
  char* Reserve(std::size_t n) {
    if (length_ + n > buffer_.size()) Flush();
    return buffer_.data() + length_;
  }
  void Commit(char* end) {
    length_ = end - buffer_.data();
    if (length_ >= kCapacity) Flush();
  }
  void Put(char c) {
    char* p = Reserve(1);
    *p = c;
    Commit(p + 1);
  }
  void Put(std::string_view text) {
    if (text.size() > kSlack) {
      Flush();
      sink_.Write(text.data(), text.size());
      return;
    }
    char* p = Reserve(text.size());
    std::memcpy(p, text.data(), text.size());
    Commit(p + text.size());
  }
  void Indent(int depth) {
    char* p = Reserve(static_cast<std::size_t>(depth));
    std::memset(p, ' ', static_cast<std::size_t>(depth));
    Commit(p + depth);
  }
  void Flush() {
    if (length_ > 0) sink_.Write(buffer_.data(), length_);
    length_ = 0;
  }

 private:
  static constexpr std::size_t kCapacity = 1 << 20;
  static constexpr std::size_t kSlack = 4096;
  Sink& sink_;
  std::vector<char> buffer_;
  std::size_t length_ = 0;
};

// Separators follow one rule: every member value ends with ';', array elements are separated by
// ',', and the array's own ';' follows its last element. An empty array writes nothing, not even
// its ';', because readers take a lone ';' for a missing value.
class TextDataVisitor : public DataVisitorBase {
 public:
  TextDataVisitor(TextOut& out, int indent) : out_(out), indent_(indent) {}

  void BeginMember(const Member& m, int depth, std::uint64_t) {
    if (depth == 0 && !m.isArray) out_.Indent(indent_);
  }
  void EndMember(const Member& m, int depth, std::uint64_t count) {
    if (m.isArray && count == 0) return;
    out_.Put(depth == 0 ? std::string_view(";\n") : std::string_view(";"));
  }
  void Values(const Member& m, PrimitiveType type, const std::uint8_t* values, std::size_t count,
              int depth) {
    bool ownLines = m.isArray && depth == 0;
    std::size_t width = PrimitiveSize(type);
    for (std::size_t i = 0; i < count; ++i) {
      char* p = out_.Reserve(static_cast<std::size_t>(indent_) + 52);
      if (ownLines) {
        std::memset(p, ' ', static_cast<std::size_t>(indent_));
        p += indent_;
      }
      const std::uint8_t* at = values + i * width;
      if (type == PrimitiveType::Float) {
        float v;
        std::memcpy(&v, at, 4);
        p = FormatFixed6(v, p);
      } else if (type == PrimitiveType::Double) {
        double v;
        std::memcpy(&v, at, 8);
        p = FormatFixed6(v, p);
      } else {
        p = FormatInteger(ReadIntegerValue(type, at), p);
      }
      if (i + 1 < count) {
        *p++ = ',';
        if (ownLines) *p++ = '\n';
      }
      out_.Commit(p);
    }
  }
  void String(const Member& m, const char* text, std::size_t length, std::uint64_t index,
              std::uint64_t count, int depth) {
    if (m.isArray && depth == 0) out_.Indent(indent_);
    out_.Put('"');
    out_.Put(std::string_view(text, length));
    out_.Put('"');
    if (index + 1 < count) out_.Put(depth == 0 ? std::string_view(",\n") : std::string_view(","));
  }
  void BeginElement(const Member& m, std::uint64_t, std::uint64_t, int depth) {
    if (m.isArray && depth == 0) out_.Indent(indent_);
  }
  void EndElement(const Member& m, std::uint64_t index, std::uint64_t count, int depth) {
    if (m.isArray && index + 1 < count) {
      out_.Put(depth == 0 ? std::string_view(",\n") : std::string_view(","));
    }
  }

 private:
  TextOut& out_;
  int indent_;
};

void WriteReference(TextOut& out, const DataReference& reference, int depth) {
  out.Indent(depth);
  out.Put("{ ");
  out.Put(reference.name);
  if (reference.id) {
    if (!reference.name.empty()) out.Put(' ');
    out.Put('<');
    out.Put(FormatGuid(*reference.id));
    out.Put('>');
  }
  out.Put(" }\n");
}

void WriteObject(TextOut& out, const DataObject& object, int depth) {
  out.Indent(depth);
  out.Put(object.type->name);
  if (!object.name.empty()) {
    out.Put(' ');
    out.Put(object.name);
  }
  out.Put(" {\n");
  if (object.id) {
    out.Indent(depth + 1);
    out.Put('<');
    out.Put(FormatGuid(*object.id));
    out.Put(">\n");
  }
  if (object.type->members.empty()) {
    out.Indent(depth + 1);
    out.Put('\n');
  } else {
    TextDataVisitor visitor(out, depth + 1);
    DataWalker<TextDataVisitor> walker(object.data.data(), object.data.size(), visitor);
    walker.Walk(*object.type);
  }
  for (const DataChild& child : object.children) {
    if (child.IsReference()) {
      WriteReference(out, child.reference, depth + 1);
    } else {
      out.Put('\n');
      WriteObject(out, *child.object, depth + 1);
      out.Put('\n');
    }
  }
  out.Indent(depth);
  out.Put('}');
}

}  // namespace

void WriteTextBody(const std::vector<const Template*>& templates, const DataObjectList& objects,
                   Sink& sink) {
  TextOut out(sink);
  out.Put('\n');
  std::string definitions;
  for (std::size_t i = 0; i < templates.size(); ++i) {
    if (i > 0) definitions += '\n';
    AppendTextTemplate(definitions, *templates[i]);
  }
  if (!templates.empty()) definitions += "\n\n";
  out.Put(definitions);
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (i > 0) out.Put("\n\n");
    WriteObject(out, *objects[i], 0);
  }
  out.Flush();
}

}  // namespace xof
