#include "xof/member_values.h"

#include <cstring>

#include "xof/data_walk.h"

namespace xof {
namespace {

class DecodeVisitor : public DataVisitorBase {
 public:
  DecodeVisitor() { stack_.emplace_back(); }
  std::vector<MemberValue> Take() { return std::move(stack_.front().items); }

  void BeginMember(const Member& m, int, std::uint64_t) {
    if (m.isArray || !m.primitive) {
      MemberValue container;
      container.kind = m.isArray ? MemberValue::Kind::Array : MemberValue::Kind::Struct;
      container.name = m.name;
      stack_.push_back(std::move(container));
    }
  }
  void EndMember(const Member& m, int, std::uint64_t) {
    if (m.isArray || !m.primitive) Pop();
  }
  void Values(const Member& m, PrimitiveType type, const std::uint8_t* values, std::size_t count,
              int) {
    std::size_t width = PrimitiveSize(type);
    for (std::size_t i = 0; i < count; ++i) {
      MemberValue value;
      value.name = m.isArray ? "" : m.name;
      const std::uint8_t* at = values + i * width;
      if (type == PrimitiveType::Float) {
        float v;
        std::memcpy(&v, at, 4);
        value.kind = MemberValue::Kind::Float;
        value.real = v;
      } else if (type == PrimitiveType::Double) {
        std::memcpy(&value.real, at, 8);
        value.kind = MemberValue::Kind::Float;
        value.doublePrecision = true;
      } else {
        value.integer = ReadIntegerValue(type, at);
      }
      stack_.back().items.push_back(std::move(value));
    }
  }
  void String(const Member& m, const char* text, std::size_t length, std::uint64_t, std::uint64_t,
              int) {
    MemberValue value;
    value.kind = MemberValue::Kind::String;
    value.name = m.isArray ? "" : m.name;
    value.text.assign(text, length);
    stack_.back().items.push_back(std::move(value));
  }
  void BeginElement(const Member& m, std::uint64_t, std::uint64_t, int) {
    if (!m.isArray) return;
    MemberValue element;
    element.kind = MemberValue::Kind::Struct;
    stack_.push_back(std::move(element));
  }
  void EndElement(const Member& m, std::uint64_t, std::uint64_t, int) {
    if (m.isArray) Pop();
  }

 private:
  void Pop() {
    MemberValue done = std::move(stack_.back());
    stack_.pop_back();
    stack_.back().items.push_back(std::move(done));
  }
  std::vector<MemberValue> stack_;
};

}  // namespace

std::vector<MemberValue> DecodeMembers(const DataObject& object) {
  DecodeVisitor visitor;
  DataWalker<DecodeVisitor> walker(object.data.data(), object.data.size(), visitor);
  walker.Walk(*object.type);
  return visitor.Take();
}

}  // namespace xof
