#include "xof/document_writer.h"

#include <type_traits>
#include <utility>

#include "xof/file_header.h"
#include "xof/save_object.h"
#include "xof/template_encoding.h"
#include "xof/template_sets.h"

namespace xof {
namespace {

// A spent document (`Object` not const) hands its blocks over instead of having them copied.
template <class Object>
bool AddObject(Object& object, SaveObject& save, SaveData* parent, std::string& error) {
  SaveData* added = nullptr;
  const Guid* id = object.id ? &*object.id : nullptr;
  HRESULT result;
  if constexpr (std::is_const_v<Object>) {
    const void* data = object.data.empty() ? nullptr : object.data.data();
    result = parent ? parent->AddDataObject(object.type->id, object.name.c_str(), id,
                                            object.data.size(), data, &added)
                    : save.AddDataObject(object.type->id, object.name.c_str(), id,
                                         object.data.size(), data, &added);
  } else {
    result = parent ? parent->AddDataObject(object.type->id, object.name.c_str(), id,
                                            std::move(object.data), &added)
                    : save.AddDataObject(object.type->id, object.name.c_str(), id,
                                         std::move(object.data), &added);
  }
  if (Failed(result)) {
    error = object.type->name + (object.name.empty() ? "" : " '" + object.name + "'") +
            " object at byte " + std::to_string(object.fileOffset) + ": " + save.LastError();
    return false;
  }
  bool ok = true;
  for (const DataChild& child : object.children) {
    if (child.IsReference()) {
      const Guid* refId = child.reference.id ? &*child.reference.id : nullptr;
      if (Failed(added->AddDataReference(child.reference.name.c_str(), refId))) {
        error = "reference to '" + child.reference.name + "' in the object at byte " +
                std::to_string(object.fileOffset) + ": " + save.LastError();
        ok = false;
      }
    } else {
      ok = AddObject<Object>(*child.object, save, added, error);
    }
    if (!ok) break;
  }
  added->Release();
  return ok;
}

template <class Document>
bool Write(Document& document, FileFormat format, Sink& sink, std::string& error) {
  using Object = std::conditional_t<std::is_const_v<Document>, const DataObject, DataObject>;
  XofPtr<XFile> file;
  if (Failed(XFile::Create(&file))) {
    error = "out of memory";
    return false;
  }
  std::string fileTemplates = FormatFileHeader(FileHeader{});
  for (const Template* definition : document.definedInFile)
    AppendTextTemplate(fileTemplates, *definition);
  for (std::string_view set : {StandardTemplateSet(), SkinningTemplateSet(),
                               VertexDataTemplateSet(), std::string_view(fileTemplates)}) {
    if (set.size() <= kFileHeaderSize) continue;
    if (Failed(file->RegisterTemplates(set.data(), set.size()))) {
      error = file->LastError();
      return false;
    }
  }
  XofPtr<SaveObject> save;
  if (Failed(file->CreateMemorySaveObject(static_cast<DWORD>(format), &save))) {
    error = file->LastError();
    return false;
  }
  for (const auto& object : document.objects) {
    if (!AddObject<Object>(*object, *save.get(), nullptr, error)) return false;
  }
  if (Failed(save->SaveTo(sink))) {
    error = save->LastError();
    return false;
  }
  return true;
}

template <class Document>
bool WriteToFile(Document& document, FileFormat format, const std::filesystem::path& path,
                 std::string& error) {
  try {
    AtomicFileSink file(path);
    if (!Write(document, format, file, error)) return false;
    file.Commit();
    return true;
  } catch (const WriteError& failure) {
    error = failure.what();
    return false;
  }
}

}  // namespace

bool WriteDocument(const XFileDocument& document, FileFormat format, Sink& sink,
                   std::string& error) {
  return Write(document, format, sink, error);
}

bool WriteDocumentToFile(const XFileDocument& document, FileFormat format,
                         const std::filesystem::path& path, std::string& error) {
  return WriteToFile(document, format, path, error);
}

bool WriteDocumentToFile(XFileDocument&& document, FileFormat format,
                         const std::filesystem::path& path, std::string& error) {
  return WriteToFile(document, format, path, error);
}

}  // namespace xof
