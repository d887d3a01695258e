// The module as the host sees it: loaded with dlopen, asked through its entry points.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "host/sim/scene_builder.h"
#include "module_export.h"
#include "platform/host_path.h"
#include "ruv_version.h"

namespace {

class ModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(kModule.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle_) dlclose(handle_);
  }
  template <typename Function>
  Function Entry(const char* name) {
    return reinterpret_cast<Function>(dlsym(handle_, name));
  }
  void* handle_ = nullptr;
};

}  // namespace

TEST_F(ModuleTest, ExportsTheLibraryEntryPoints) {
  for (const char* name :
       {"LibDescription", "LibNumberClasses", "LibClassDesc", "LibVersion", "XDoExport"})
    EXPECT_NE(dlsym(handle_, name), nullptr) << name;
  // Nothing of the exporter's inside leaks out of the module.
  EXPECT_EQ(dlsym(handle_, "SetupConversion"), nullptr);
  EXPECT_EQ(dlsym(handle_, "_Z15SetupConversionfiff"), nullptr);

  EXPECT_STREQ(Entry<LibDescriptionFunction>("LibDescription")(), L"Kavo DirectX Exporter");
  EXPECT_EQ(Entry<LibNumberClassesFunction>("LibNumberClasses")(), 1);
  EXPECT_EQ(Entry<LibVersionFunction>("LibVersion")(), 0x52083400UL);
  auto classDesc = Entry<LibClassDescFunction>("LibClassDesc");
  EXPECT_EQ(classDesc(1), nullptr);
  EXPECT_EQ(classDesc(-1), nullptr);
  ASSERT_NE(classDesc(0), nullptr);
  EXPECT_EQ(classDesc(0), classDesc(0)) << "one descriptor per process";
}

TEST_F(ModuleTest, ClassDescriptorAndExporterAnswers) {
  ClassDesc* desc = Entry<LibClassDescFunction>("LibClassDesc")(0);
  EXPECT_EQ(desc->IsPublic(), 1);
  EXPECT_STREQ(desc->ClassName(), L"ruv3dsmaxDemo");
  EXPECT_STREQ(desc->InternalName(), L"ruv3dsmaxDemo");
  EXPECT_EQ(desc->SuperClassID(), 0x0A20u);
  EXPECT_EQ(desc->ClassID(), Class_ID(0x5BA1356F, 0x7FA61CCC));
  EXPECT_STREQ(desc->Category(), L"File Export");
  EXPECT_TRUE(desc->OkToCreate());
  EXPECT_EQ(desc->BeginCreate(), 0);
  EXPECT_EQ(desc->EndCreate(), 0);
  EXPECT_NE(desc->HInstance(), nullptr) << "the module's start-up stored its instance handle";

  std::unique_ptr<SceneExport> exporter(static_cast<SceneExport*>(desc->Create(FALSE)));
  EXPECT_EQ(exporter->ExtCount(), 1);
  EXPECT_STREQ(exporter->Ext(0), L"X");
  EXPECT_STREQ(exporter->Ext(1), L"");
  EXPECT_STREQ(exporter->LongDesc(), L"Kavo DirectX Exporter Free v" RUV_VERSION " for 3ds Max");
  EXPECT_STREQ(exporter->ShortDesc(), L"Kavo DirectX Exporter Free v" RUV_VERSION);
  EXPECT_STREQ(exporter->AuthorName(), L"Kavo");
  EXPECT_STRNE(exporter->CopyrightMessage(), L"");
  EXPECT_STREQ(exporter->OtherMessage1(), L"");
  EXPECT_STREQ(exporter->OtherMessage2(), L"");
  EXPECT_EQ(exporter->Version(), 100u);
  EXPECT_EQ(exporter->SupportsOptions(0, 0), 1);
  EXPECT_EQ(exporter->SupportsOptions(3, SCENE_EXPORT_SELECTED), 1);
}

TEST(ModuleLoader, FindsTheExporterAndReportsWhatIsWrong) {
  auto module = ruvx::ExporterModule::Load(kModule, L"X");
  ASSERT_NE(module->ExporterClass(), nullptr);
  EXPECT_THROW(ruvx::ExporterModule::Load(kModule, L"FBX"), std::runtime_error);
  EXPECT_THROW(ruvx::ExporterModule::Load("/nonexistent/ruv.dle", L"X"), std::runtime_error);
}

TEST(ModuleExport, DoExportAlwaysAnswersOneAndShowsTheDriversMessages) {
  auto module = ruvx::ExporterModule::Load(kModule, L"X");
  auto exporter = module->CreateExporter();
  auto empty = sim::SceneBuilder().Build();
  EXPECT_EQ(exporter->DoExport(L"out.x", nullptr, &empty->Host(), TRUE, 0), 1);
  ASSERT_EQ(empty->MainWindow().MessageBoxes().size(), 1u);
  EXPECT_EQ(empty->MainWindow().MessageBoxes()[0].text, L"No node!");
  EXPECT_EQ(exporter->DoExport(L"out.x", nullptr, nullptr, TRUE, 0), 1)
      << "a null host is no crash";
}
