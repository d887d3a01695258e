#include "xof/save_object.h"

#include <new>

#include "platform/host_path.h"
#include "xof/data_scan.h"
#include "xof/template_parser.h"

namespace xof {

HRESULT SaveData::AddDataObject(const Guid& templateId, const char* name, const Guid* id,
                                std::size_t size, const void* data, SaveData** child) {
  return owner_.AddObject(this, templateId, name, id, size, data, child);
}

HRESULT SaveData::AddDataObject(const Guid& templateId, const char* name, const Guid* id,
                                DataBlock&& data, SaveData** child) {
  return owner_.AddObject(this, templateId, name, id, data.size(), data.data(), child, &data);
}

HRESULT SaveData::AddDataReference(const char* name, const Guid* id) {
  return owner_.AddReference(*this, name, id);
}

HRESULT SaveObject::Fail(HRESULT result, std::string message) {
  lastError_ = std::move(message);
  return result;
}

HRESULT SaveObject::AddDataObject(const Guid& templateId, const char* name, const Guid* id,
                                  std::size_t size, const void* data, SaveData** child) {
  return AddObject(nullptr, templateId, name, id, size, data, child);
}

HRESULT SaveObject::AddDataObject(const Guid& templateId, const char* name, const Guid* id,
                                  DataBlock&& data, SaveData** child) {
  return AddObject(nullptr, templateId, name, id, data.size(), data.data(), child, &data);
}

HRESULT SaveObject::AddObject(const SaveData* parent, const Guid& templateId, const char* name,
                              const Guid* id, std::size_t size, const void* data, SaveData** child,
                              DataBlock* owned) {
  const Template* type = nullptr;
  HRESULT result = TryAddObject(parent, type, templateId, name, id, size, data, child, owned);
  if (Failed(result)) {
    std::string record = type ? type->name : "<" + FormatGuid(templateId) + ">";
    if (name && *name) record += " \"" + std::string(name) + "\"";
    refusals_.push_back({std::move(record), parent ? parent->ownerName_ : "", lastError_});
  }
  return result;
}

HRESULT SaveObject::TryAddObject(const SaveData* parentData, const Template*& type,
                                 const Guid& templateId, const char* name, const Guid* id,
                                 std::size_t size, const void* data, SaveData** child,
                                 DataBlock* owned) {
  if (child) *child = nullptr;
  DataObject* parent = parentData ? parentData->object_ : nullptr;
  type = registry_->FindById(templateId);
  if (!type) {
    return Fail(XOF_E_UNKNOWN_TEMPLATE,
                "template <" + FormatGuid(templateId) + "> is not registered");
  }
  std::string objectName = name ? name : "";
  if (!IsValidObjectName(objectName)) {
    return Fail(XOF_E_BAD_NAME, type->name + " object name \"" + objectName +
                                    "\" holds characters a .x file cannot carry in a name");
  }
  if (size > 0 && !data)
    return Fail(E_INVALIDARG,
                type->name + ": " + std::to_string(size) + " bytes of data at a null pointer");
  if (parent && !parent->type->AllowsChild(*type)) {
    return Fail(XOF_E_CHILD_NOT_ALLOWED,
                parent->type->name + " does not allow a " + type->name + " child");
  }
  try {
    auto object = std::make_unique<DataObject>();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::vector<DataSegment> segments = ScanDataBlock(*type, bytes, size);
    object->type = type;
    object->name = std::move(objectName);
    object->id = id ? std::optional<Guid>(*id) : std::nullopt;
    if (owned) {
      object->data = std::move(*owned);
      owned->clear();
    } else if (size > 0) {
      object->data.assign(bytes, bytes + size);
    }
    KeepSegmentsIfFew(*object, std::move(segments));
    DataObject* added = object.get();
    if (!added->name.empty()) namedObjects_.emplace(added->name, type);
    if (parent) {
      parent->children.push_back(DataChild{std::move(object), {}});
    } else {
      objects_.push_back(std::move(object));
    }
    if (child) {
      std::string ownerName =
          !added->name.empty() || !parentData ? added->name : parentData->ownerName_;
      handles_.push_back(
          std::unique_ptr<SaveData>(new SaveData(*this, *added, std::move(ownerName))));
      *child = handles_.back().get();
    }
    return S_OK;
  } catch (const NonFiniteError& error) {
    return Fail(XOF_E_NONFINITE, type->name + " data at byte " + std::to_string(error.offset()) +
                                     ": " + error.what());
  } catch (const FormatError& error) {
    return Fail(XOF_E_BAD_DATA, type->name + " data at byte " + std::to_string(error.offset()) +
                                    ": " + error.what());
  } catch (const std::bad_alloc&) {
    return Fail(E_OUTOFMEMORY, type->name + ": out of memory");
  }
}

HRESULT SaveObject::AddReference(const SaveData& parent, const char* name, const Guid* id) {
  HRESULT result = TryAddReference(*parent.object_, name, id);
  if (Failed(result)) {
    std::string target = name ? name : "";
    refusals_.push_back({"reference to \"" + target + "\"", parent.ownerName_, lastError_});
  }
  return result;
}

HRESULT SaveObject::TryAddReference(DataObject& parent, const char* name, const Guid* id) {
  std::string targetName = name ? name : "";
  if (targetName.empty() && !id) return Fail(E_INVALIDARG, "a reference needs a name or a GUID");
  if (!IsValidObjectName(targetName)) {
    return Fail(XOF_E_BAD_NAME, "reference name \"" + targetName + "\" cannot be written");
  }
  if (parent.type->kind == TemplateKind::Closed) {
    return Fail(XOF_E_CHILD_NOT_ALLOWED, parent.type->name + " does not allow references");
  }
  // A target added earlier must be of a template the parent allows; a target the file does not
  // hold (an animation naming frames written to another file) cannot be checked and is accepted.
  auto target = namedObjects_.find(targetName);
  if (target != namedObjects_.end() && !parent.type->AllowsChild(*target->second)) {
    return Fail(XOF_E_CHILD_NOT_ALLOWED, parent.type->name + " does not allow a reference to the " +
                                             target->second->name + " \"" + targetName + "\"");
  }
  try {
    DataChild child;
    child.reference.name = std::move(targetName);
    if (id) child.reference.id = *id;
    parent.children.push_back(std::move(child));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return Fail(E_OUTOFMEMORY, "out of memory");
  }
}

HRESULT SaveObject::SaveTo(Sink& sink) {
  try {
    WriteXFile(*registry_, objects_, format_, sink);
    return S_OK;
  } catch (const WriteError& error) {
    return Fail(XOF_E_WRITE, error.what());
  } catch (const FormatError& error) {
    return Fail(E_FAIL, error.what());
  } catch (const std::bad_alloc&) {
    return Fail(E_OUTOFMEMORY, "out of memory while writing");
  }
}

HRESULT SaveObject::Save() {
  if (!path_) {
    MemorySink memory;
    HRESULT result = SaveTo(memory);
    if (Succeeded(result)) savedBytes_ = memory.Take();
    return result;
  }
  try {
    AtomicFileSink file(*path_);
    HRESULT result = SaveTo(file);
    if (Succeeded(result)) file.Commit();
    return result;
  } catch (const WriteError& error) {
    return Fail(XOF_E_WRITE, error.what());
  } catch (const std::bad_alloc&) {
    return Fail(E_OUTOFMEMORY, "out of memory while writing");
  }
}

DWORD SaveObject::Release() {
  DWORD left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT XFile::Create(XFile** file) {
  if (!file) return E_INVALIDARG;
  *file = new (std::nothrow) XFile;
  return *file ? S_OK : E_OUTOFMEMORY;
}

HRESULT XFile::RegisterTemplates(const void* data, std::size_t size) {
  if (!data || size == 0) {
    lastError_ = "empty template set";
    return E_INVALIDARG;
  }
  try {
    ParseTemplateSet(std::string_view(static_cast<const char*>(data), size), *registry_);
    return S_OK;
  } catch (const FormatError& error) {
    lastError_ = "template set, byte " + std::to_string(error.offset()) + ": " + error.what();
    return XOF_E_BAD_TEMPLATE_SET;
  } catch (const std::bad_alloc&) {
    lastError_ = "out of memory";
    return E_OUTOFMEMORY;
  }
}

HRESULT XFile::CreateSaveObject(const wchar_t* path, DWORD options, DWORD format,
                                SaveObject** save) {
  if (!save) return E_INVALIDARG;
  *save = nullptr;
  if (!path || !*path) {
    lastError_ = "no file name";
    return E_INVALIDARG;
  }
  if (options != kFileSaveToWideFile || format > 3) {
    lastError_ = "unsupported save options " + std::to_string(options) + " or format " +
                 std::to_string(format);
    return XOF_E_BAD_FORMAT;
  }
  *save = new (std::nothrow)
      SaveObject(registry_, static_cast<FileFormat>(format), platform::ToNativePath(path));
  return *save ? S_OK : E_OUTOFMEMORY;
}

HRESULT XFile::CreateMemorySaveObject(DWORD format, SaveObject** save) {
  if (!save) return E_INVALIDARG;
  *save = nullptr;
  if (format > 3) {
    lastError_ = "unsupported format " + std::to_string(format);
    return XOF_E_BAD_FORMAT;
  }
  *save = new (std::nothrow) SaveObject(registry_, static_cast<FileFormat>(format), std::nullopt);
  return *save ? S_OK : E_OUTOFMEMORY;
}

DWORD XFile::Release() {
  DWORD left = --references_;
  if (left == 0) delete this;
  return left;
}

}  // namespace xof
