#include "xof/file_writer.h"

#include <set>

#include "xof/binary_writer.h"
#include "xof/file_header.h"
#include "xof/mszip.h"
#include "xof/template_ids.h"
#include "xof/template_sets.h"
#include "xof/text_writer.h"

namespace xof {
namespace {

// Templates in order of first use (dependencies before the template using them), so that the
// output never depends on where templates happen to sit in memory.
struct UsedTemplates {
  std::set<const Template*> seen;
  std::vector<const Template*> inOrder;

  void Add(const Template& definition) {
    if (seen.count(&definition)) return;
    for (const Member& m : definition.members) {
      if (m.type) Add(*m.type);
    }
    seen.insert(&definition);
    inOrder.push_back(&definition);
  }
  void Add(const DataObject& object) {
    Add(*object.type);
    for (const DataChild& child : object.children) {
      if (!child.IsReference()) Add(*child.object);
    }
  }
};

// Readers know the standard templates; a file that redefines one differently must define it.
bool ReadersKnow(const Template& definition) {
  if (!IsStandardTemplate(definition.id)) return false;
  const Template* standard = BuiltInTemplates().FindById(definition.id);
  return standard && SameDefinition(*standard, definition);
}

}  // namespace

std::vector<const Template*> TemplatesToDefine(const TemplateRegistry& registry,
                                               const DataObjectList& objects) {
  UsedTemplates used;
  for (const auto& object : objects) used.Add(*object);
  std::vector<const Template*> result;
  std::set<const Template*> listed;
  for (const Template* definition : registry.InOrder()) {
    if (used.seen.count(definition) && !ReadersKnow(*definition)) {
      result.push_back(definition);
      listed.insert(definition);
    }
  }
  // Templates no longer in the registry's order (replaced by a later registration) but still used
  // by objects go last, so that every non-standard template is defined.
  for (const Template* definition : used.inOrder) {
    if (!listed.count(definition) && !ReadersKnow(*definition)) result.push_back(definition);
  }
  return result;
}

void WriteXFile(const TemplateRegistry& registry, const DataObjectList& objects, FileFormat format,
                Sink& sink) {
  std::vector<const Template*> templates = TemplatesToDefine(registry, objects);
  FileHeader header;
  header.binary = format == FileFormat::Binary || format == FileFormat::Compressed;
  header.compressed = format == FileFormat::Compressed || format == FileFormat::CompressedText;
  std::string headerText = FormatFileHeader(header);
  sink.Write(headerText.data(), headerText.size());
  if (!header.compressed) {
    if (header.binary) {
      WriteBinaryBody(templates, objects, sink);
    } else {
      WriteTextBody(templates, objects, sink);
    }
    return;
  }
  // The size of the uncompressed file comes first: the binary body is cheap to measure (its long
  // runs are single writes), the text body is rendered to memory once.
  std::string textBody;
  std::size_t bodySize = 0;
  if (header.binary) {
    CountingSink counter;
    WriteBinaryBody(templates, objects, counter);
    bodySize = counter.count();
  } else {
    MemorySink memory;
    WriteTextBody(templates, objects, memory);
    textBody = memory.Take();
    bodySize = textBody.size();
  }
  std::uint64_t total = bodySize + kFileHeaderSize;
  if (total > 0xFFFFFFFFull)
    throw WriteError("file too large for the compressed encoding's size field");
  std::uint8_t size[4] = {static_cast<std::uint8_t>(total), static_cast<std::uint8_t>(total >> 8),
                          static_cast<std::uint8_t>(total >> 16),
                          static_cast<std::uint8_t>(total >> 24)};
  sink.Write(size, 4);
  MszipSink compressor(sink);
  if (header.binary) {
    WriteBinaryBody(templates, objects, compressor);
  } else {
    compressor.Write(textBody.data(), textBody.size());
  }
  compressor.Finish();
}

}  // namespace xof
