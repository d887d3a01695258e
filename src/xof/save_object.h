// The calls through which the exporter writes a .x file, shaped after the DirectX file library:
//
//   XFile* file;           XFile::Create(&file);
//   file->RegisterTemplates(StandardTemplateSet().data(), StandardTemplateSet().size());  // ...
//   SaveObject* save;      file->CreateSaveObject(L"out\\scene.x", kFileSaveToWideFile,
//                                                 kFileFormatBinary, &save);
//   SaveData* frame;       save->AddDataObject(tid::Frame, "Root", nullptr, 0, nullptr, &frame);
//   SaveData* matrix;      frame->AddDataObject(tid::FrameTransformMatrix, "", nullptr, 64, m,
//   &matrix); matrix->Release();     ...  frame->Release(); save->Save();  save->Release();
//   file->Release();
//
// Ownership. XFile and SaveObject are reference counted: Create/CreateSaveObject hand out one
// reference, AddRef adds one, Release drops one and destroys the object at zero. A save object
// keeps its own share of the registered templates, so the file object may go first. SaveData
// objects belong to their save object, which keeps the whole tree until Save has written it and
// frees it when it is destroyed; SaveData::Release only tells the tree that the writer is done with
// that object, so the exporter can release each one as soon as its children are written. A SaveData
// pointer must not be used once its save object is destroyed.
//
// Checking. Every call that cannot be honoured returns a failure and adds nothing: an unregistered
// template, a name that a text file cannot carry, a data block that does not fit its template (see
// data_object.h for the layout and data_scan.h for the checks), a float that is NaN or infinite
// (XOF_E_NONFINITE: the object is refused, never written with a stand-in value), or a child the
// parent's template does not allow. LastError() says what was wrong with the latest failed call,
// and Refusals() lists every failed add in order, so a writer that goes on after a refusal can
// still tell its user what the file is missing.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win_types.h"
#include "xof/data_object.h"
#include "xof/file_writer.h"
#include "xof/guid.h"
#include "xof/result.h"
#include "xof/sink.h"
#include "xof/template_model.h"

namespace xof {

// CreateSaveObject options and formats, with the DirectX library's values.
inline constexpr DWORD kFileSaveToWideFile = 1;
inline constexpr DWORD kFileFormatBinary = 0;
inline constexpr DWORD kFileFormatText = 1;
inline constexpr DWORD kFileFormatCompressed = 2;

class SaveObject;

// One object or reference the save object refused to add.
struct Refusal {
  std::string record;  // its template and name: Mesh "Box", or "reference to \"Box\""
  std::string owner;   // the name of its nearest named ancestor; empty at the top level
  std::string reason;  // as LastError() gave it
};

class SaveData {
 public:
  // Adds a child object under this one. `name` may be null or "" (no name), `id` null (no GUID);
  // `child` may be null when the caller does not need the new object.
  HRESULT AddDataObject(const Guid& templateId, const char* name, const Guid* id, std::size_t size,
                        const void* data, SaveData** child);
  // The same, taking the data block over instead of copying it, so that a large block is never
  // held twice; `data` is left empty when the object is added, untouched when it is refused.
  HRESULT AddDataObject(const Guid& templateId, const char* name, const Guid* id, DataBlock&& data,
                        SaveData** child);
  // Adds a reference to another object by name (and/or GUID).
  HRESULT AddDataReference(const char* name, const Guid* id);
  DWORD AddRef() { return ++references_; }
  DWORD Release() { return references_ > 0 ? --references_ : 0; }

  const DataObject& object() const { return *object_; }

 private:
  friend class SaveObject;
  SaveData(SaveObject& owner, DataObject& object, std::string ownerName)
      : owner_(owner), object_(&object), ownerName_(std::move(ownerName)) {}
  SaveObject& owner_;
  DataObject* object_;
  std::string ownerName_;  // this object's name, or its nearest named ancestor's
  DWORD references_ = 1;
};

class SaveObject {
 public:
  HRESULT AddDataObject(const Guid& templateId, const char* name, const Guid* id, std::size_t size,
                        const void* data, SaveData** child);
  HRESULT AddDataObject(const Guid& templateId, const char* name, const Guid* id, DataBlock&& data,
                        SaveData** child);
  // Writes the file given at creation: a temporary file beside it, renamed over it when complete.
  // A failed save leaves any earlier file in place. A memory save object keeps the bytes instead.
  HRESULT Save();
  // Writes the file into any sink.
  HRESULT SaveTo(Sink& sink);

  DWORD AddRef() { return ++references_; }
  DWORD Release();

  const std::string& LastError() const { return lastError_; }
  // Every AddDataObject and AddDataReference that failed, in call order.
  const std::vector<Refusal>& Refusals() const { return refusals_; }
  const DataObjectList& objects() const { return objects_; }
  const TemplateRegistry& templates() const { return *registry_; }
  FileFormat format() const { return format_; }
  // The bytes of the latest Save of a memory save object.
  const std::string& savedBytes() const { return savedBytes_; }

 private:
  friend class XFile;
  friend class SaveData;
  SaveObject(std::shared_ptr<TemplateRegistry> registry, FileFormat format,
             std::optional<std::filesystem::path> path)
      : registry_(std::move(registry)), format_(format), path_(std::move(path)) {}
  // `owned`, when given, holds the block at `data` and is moved into the object.
  HRESULT AddObject(const SaveData* parent, const Guid& templateId, const char* name,
                    const Guid* id, std::size_t size, const void* data, SaveData** child,
                    DataBlock* owned = nullptr);
  HRESULT TryAddObject(const SaveData* parent, const Template*& type, const Guid& templateId,
                       const char* name, const Guid* id, std::size_t size, const void* data,
                       SaveData** child, DataBlock* owned);
  HRESULT AddReference(const SaveData& parent, const char* name, const Guid* id);
  HRESULT TryAddReference(DataObject& parent, const char* name, const Guid* id);
  HRESULT Fail(HRESULT result, std::string message);

  std::shared_ptr<TemplateRegistry> registry_;
  FileFormat format_;
  std::optional<std::filesystem::path> path_;  // none: a memory save object
  DataObjectList objects_;
  std::deque<std::unique_ptr<SaveData>> handles_;
  std::unordered_map<std::string, const Template*> namedObjects_;
  std::string lastError_;
  std::vector<Refusal> refusals_;
  std::string savedBytes_;
  DWORD references_ = 1;
};

class XFile {
 public:
  static HRESULT Create(XFile** file);

  // Registers the templates of a template set (text or binary, uncompressed). A set that does not
  // parse, or that uses a template not registered before it, is refused whole.
  HRESULT RegisterTemplates(const void* data, std::size_t size);
  // `path` is a host path ('\'-separated wide text); `options` must be kFileSaveToWideFile;
  // `format` is 0 binary, 1 text, 2 compressed (3 compressed text).
  HRESULT CreateSaveObject(const wchar_t* path, DWORD options, DWORD format, SaveObject** save);
  // A save object whose Save keeps the bytes in memory (savedBytes()).
  HRESULT CreateMemorySaveObject(DWORD format, SaveObject** save);

  DWORD AddRef() { return ++references_; }
  DWORD Release();

  const TemplateRegistry& templates() const { return *registry_; }
  const std::string& LastError() const { return lastError_; }

 private:
  XFile() : registry_(std::make_shared<TemplateRegistry>()) {}
  std::shared_ptr<TemplateRegistry> registry_;
  std::string lastError_;
  DWORD references_ = 1;
};

// Holds one reference and releases it, for callers that prefer scope to manual Release calls.
template <class T>
class XofPtr {
 public:
  XofPtr() = default;
  ~XofPtr() { Reset(); }
  XofPtr(const XofPtr&) = delete;
  XofPtr& operator=(const XofPtr&) = delete;
  T** operator&() {
    Reset();
    return &pointer_;
  }
  T* operator->() const { return pointer_; }
  T* get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  void Reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace xof
