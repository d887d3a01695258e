// The options dialog clicked and typed through its real widgets.
#include "ui/options_dialog_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <optional>

#include "ruv/options/dialog_controls.h"
#include "ruv_version.h"

namespace {

class DialogWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    options_.Mtl = options_.Meshs = options_.Normal = options_.TexCoords = options_.DxFx = 1;
    options_.TextureFiles = options_.Animation = options_.Bones = 1;
    options_.Precision = 5;
    options_.KeyOptimizeLevel = 3;
    options_.TimelineCustom = 1;
    options_.SampleRate = 30;
    options_.ProcMapX = options_.ProcMapY = 256;
    options_.SpaceScale = 1.0f;
    model_.emplace(options_, clips_, OptionsDialogFacts{30, 160, 0, 100, L"Scene"});
    window_.emplace(*model_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&*window_));
  }

  template <typename Widget>
  Widget* Control(int id) {
    auto* widget = qobject_cast<Widget*>(window_->ControlWidget(id));
    EXPECT_NE(widget, nullptr) << "control " << id;
    return widget;
  }
  bool Checked(int id) { return Control<QAbstractButton>(id)->isChecked(); }
  // Clicks near the left edge: a box's check mark and label sit there, whatever its width.
  void Click(int id) {
    QAbstractButton* button = Control<QAbstractButton>(id);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  }

  // Edits a clip cell in place as a person does: click it, click it again, type over, Enter.
  void EditCell(int row, int column, const QString& text) {
    QTableWidget* table = window_->ClipTable();
    const QRect cell = table->visualItemRect(table->item(row, column));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QLineEdit* editor = nullptr;
    for (QLineEdit* child : table->viewport()->findChildren<QLineEdit*>()) {
      if (child->isVisible()) editor = child;
    }
    ASSERT_NE(editor, nullptr) << "no cell editor opened";
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
  }
  QString Cell(int row, int column) { return window_->ClipTable()->item(row, column)->text(); }

  ExportOptions options_;
  AnimationClips clips_{{L"Walk", 20, 50}};
  std::optional<OptionsDialogModel> model_;
  std::optional<OptionsDialogWindow> window_;
};

TEST_F(DialogWindow, CarriesTheCaptionIdsAndSpinnerLimits) {
  EXPECT_EQ(window_->windowTitle(), "RUV Free v" RUV_VERSION);
  EXPECT_EQ(Control<QCheckBox>(kIdNormalMap)->text(), "Normal map");
  EXPECT_EQ(Control<QPushButton>(kIdOk)->text(), "OK");
  auto* precision = Control<QDoubleSpinBox>(kIdPrecisionSpinner);
  EXPECT_DOUBLE_EQ(precision->value(), 0.5);
  EXPECT_DOUBLE_EQ(precision->maximum(), 1.0);
  EXPECT_DOUBLE_EQ(precision->singleStep(), 0.1);
  EXPECT_EQ(Control<QSpinBox>(kIdCustomUnitSpinner)->maximum(), 999999);
  auto* optimize = Control<QSpinBox>(kIdOptimizeSpinner);
  EXPECT_EQ(optimize->minimum(), 1);
  EXPECT_EQ(optimize->maximum(), 3);
  EXPECT_EQ(Control<QLineEdit>(kIdSamplingRate)->text(), "30");
  EXPECT_EQ(Cell(0, 0), "Walk");
}

TEST_F(DialogWindow, CheckingNormalMapChecksWhatItNeeds) {
  EXPECT_FALSE(Control<QWidget>(kIdTangent)->isEnabled());
  Click(kIdNormalMap);
  for (int id :
       {kIdNormalMap, kIdDeclData, kIdCreateShader, kIdTangent, kIdBitangent, kIdMultiTextures}) {
    EXPECT_TRUE(Checked(id)) << id;
  }
  EXPECT_TRUE(Control<QWidget>(kIdTangent)->isEnabled());
  EXPECT_EQ(options_.NormalMapCode, 0) << "nothing changes before OK";
}

TEST_F(DialogWindow, UncheckingMaterialClearsAndDisables) {
  Click(kIdFx);
  Click(kIdFx);  // fx back on
  Click(kIdMaterial);
  EXPECT_FALSE(Checked(kIdMaterial));
  EXPECT_FALSE(Checked(kIdFx));
  EXPECT_FALSE(Checked(kIdTextures));
  EXPECT_FALSE(Control<QWidget>(kIdFxOverwrite)->isEnabled());
  EXPECT_FALSE(Control<QWidget>(kIdProcMapX)->isEnabled());
  Click(kIdMultiTextures);  // disabled: nothing happens
  EXPECT_FALSE(Checked(kIdMultiTextures));
}

TEST_F(DialogWindow, ClipCellsAreEditedInPlaceAndCorrected) {
  EditCell(0, 2, "150");
  EXPECT_EQ(Cell(0, 2), "100");
  EditCell(0, 2, "5");
  EXPECT_EQ(Cell(0, 1), "5");
  EXPECT_EQ(Cell(0, 2), "5");
  EditCell(0, 0, "3walk");
  EXPECT_EQ(Cell(0, 0), "Walk") << "an invalid name is dropped";
  EXPECT_TRUE(window_->isVisible()) << "Enter in a cell does not end the dialog";
  Click(kIdOk);
  ASSERT_EQ(clips_.size(), 1u);
  EXPECT_EQ(clips_[0].startKey, 5);
  EXPECT_EQ(clips_[0].endKey, 5);
}

TEST_F(DialogWindow, AddOpensTheClipDialogOnTheSceneRange) {
  bool seen = false;
  QTimer::singleShot(0, [&seen] {
    QWidget* clipDialog = QApplication::activeModalWidget();
    ASSERT_NE(clipDialog, nullptr);
    EXPECT_EQ(clipDialog->windowTitle(), "Animation");
    auto* name = clipDialog->findChild<QLineEdit*>("ctl1170");
    auto* end = clipDialog->findChild<QSpinBox*>("ctl1167");
    ASSERT_TRUE(name && end);
    EXPECT_EQ(name->text(), "Anims_2");
    EXPECT_EQ(end->maximum(), 100);
    name->setText("Jump");
    end->setValue(40);
    seen = true;
    static_cast<QDialog*>(clipDialog)->accept();
  });
  Click(kIdAddClip);
  EXPECT_TRUE(seen);
  ASSERT_EQ(window_->ClipTable()->rowCount(), 2);
  EXPECT_EQ(Cell(1, 0), "Jump");
  EXPECT_EQ(Cell(1, 1), "0");
  EXPECT_EQ(Cell(1, 2), "40");
}

TEST_F(DialogWindow, TheCurrentCellIsPaintedGrey) {
  QTableWidget* table = window_->ClipTable();
  const QRect cell = table->visualItemRect(table->item(0, 1));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  const QImage image = table->viewport()->grab().toImage();
  const QPoint inside = cell.topLeft() + QPoint(2, 2);
  EXPECT_EQ(image.pixelColor(inside * image.devicePixelRatio()), QColor(0xCC, 0xCC, 0xCC));
  const QRect other = table->visualItemRect(table->item(0, 2));
  EXPECT_EQ(image.pixelColor((other.topLeft() + QPoint(2, 2)) * image.devicePixelRatio()),
            QColor(Qt::white));
}

TEST_F(DialogWindow, NumberBoxesFilterTypedCharacters) {
  auto* scale = Control<QLineEdit>(kIdScale);
  scale->clear();
  QTest::keyClicks(scale, "-1.5.x2");
  EXPECT_EQ(scale->text(), "1.52");
  auto* rotation = Control<QLineEdit>(kIdZRot);
  rotation->clear();
  QTest::keyClicks(rotation, "-45-");
  EXPECT_EQ(rotation->text(), "-45");
  Click(kIdOk);
  EXPECT_FLOAT_EQ(options_.SpaceScale, 1.52f);
  EXPECT_FLOAT_EQ(options_.ZRot, -45.0f);
}

TEST_F(DialogWindow, PastedTextMeetsTheNumberFilters) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  auto* scale = Control<QLineEdit>(kIdScale);
  auto pasteWithKeys = [](QLineEdit* edit, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    edit->selectAll();
    QTest::keySequence(edit, QKeySequence::Paste);
  };
  pasteWithKeys(scale, "-77abc");
  EXPECT_EQ(scale->text(), "1") << "refused whole";
  pasteWithKeys(scale, " 2.5\n");
  EXPECT_EQ(scale->text(), "2.5");

  // The box's context menu pastes through the same filter.
  auto* rotation = Control<QLineEdit>(kIdZRot);
  auto pasteWithMenu = [&](const QString& text) {
    clipboard->setText(text);
    rotation->selectAll();
    bool pasted = false;
    QTimer::singleShot(0, [&pasted] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      menu->close();
      for (QAction* action : menu->actions()) {
        if (action->text().startsWith("&Paste")) {
          action->trigger();
          pasted = true;
        }
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                            rotation->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(rotation, &event);
    EXPECT_TRUE(pasted);
  };
  pasteWithMenu("12-");
  EXPECT_EQ(rotation->text(), "0");
  pasteWithMenu("-30");
  EXPECT_EQ(rotation->text(), "-30");
  EXPECT_FALSE(rotation->acceptDrops()) << "a drop would skip the filter";

  Click(kIdOk);
  EXPECT_FLOAT_EQ(options_.SpaceScale, 2.5f);
  EXPECT_FLOAT_EQ(options_.ZRot, -30.0f);
}

TEST_F(DialogWindow, OkAppliesAndCancelLeavesTheOptions) {
  Click(kIdNormalMap);
  Click(kIdMaterial);
  Click(kIdCancel);
  EXPECT_EQ(window_->result(), QDialog::Rejected);
  EXPECT_EQ(options_.Mtl, 1);
  EXPECT_EQ(options_.DeclData, 0);

  window_.reset();
  model_.emplace(options_, clips_, OptionsDialogFacts{30, 160, 0, 100, L"Scene"});
  window_.emplace(*model_);
  window_->show();
  Click(kIdNormalMap);
  Click(kIdMaterial);
  Click(kIdOk);
  EXPECT_EQ(window_->result(), QDialog::Accepted);
  EXPECT_EQ(options_.Mtl, 0);
  EXPECT_EQ(options_.NormalMapCode, 0);
  EXPECT_EQ(options_.DeclData, 1);
  EXPECT_EQ(options_.Precision, 5);
}

// 150 stored clips over a scene as long as the default clip: the dialog opens on the current (last)
// row, with six-digit frames whole. Saves build/bin/options-dialog-clips.png to look at.
TEST(DialogWindowClips, LongListsShowTheCurrentRowAndWholeFrames) {
  ExportOptions options;
  AnimationClips clips;
  for (int i = 0; i < 149; ++i) clips.push_back({L"Clip" + std::to_wstring(i), i, i + 10});
  clips.push_back({L"AVeryLongClipNameThatIsWiderThanItsColumn", 0, 999999});
  OptionsDialogFacts facts{30, 160, 0, 999999, L"Scene"};
  facts.exports = false;
  OptionsDialogModel model(options, clips, facts);
  OptionsDialogWindow window(model);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QApplication::processEvents();

  QTableWidget* table = window.ClipTable();
  ASSERT_EQ(table->rowCount(), 150);
  const QRect last = table->visualItemRect(table->item(149, 2));
  EXPECT_TRUE(table->viewport()->rect().contains(last)) << "the current row is in view";
  const int endWidth = QFontMetrics(table->font()).horizontalAdvance("999999");
  EXPECT_GT(table->columnWidth(2), endWidth + 5) << "the end frame fits its column";
  const std::filesystem::path path =
      std::filesystem::path(RUV_BIN_DIR) / "options-dialog-clips.png";
  EXPECT_TRUE(window.grab().save(QString::fromStdString(path.string())));

  auto* status = qobject_cast<QLabel*>(window.ControlWidget(kIdStatus));
  ASSERT_NE(status, nullptr);
  EXPECT_FALSE(status->text().contains("export")) << status->text().toStdString();
}

// Saves the picture the README shows (docs/options-dialog.png is a copy of it).
TEST_F(DialogWindow, SavesAScreenshot) {
  Click(kIdInsertClip);
  QTableWidget* table = window_->ClipTable();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualItemRect(table->item(1, 1)).center());
  const std::filesystem::path path = std::filesystem::path(RUV_BIN_DIR) / "options-dialog.png";
  ASSERT_TRUE(window_->grab().save(QString::fromStdString(path.string())));
  QImage saved(QString::fromStdString(path.string()));
  EXPECT_GT(saved.width(), 300);
  EXPECT_GT(saved.height(), 200);
}

}  // namespace
