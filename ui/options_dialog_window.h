// The options dialog window: draws an OptionsDialogModel with Qt widgets whose object names carry
// the control ids ("ctl1004" is control 1004), and hands every click and keystroke to the model.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "ruv/options/options_dialog.h"

class QAbstractButton;
class QKeyEvent;
class QLineEdit;
class QTableWidget;

namespace Ui {
class OptionsDialog;
}

class OptionsDialogWindow : public QDialog {
 public:
  OptionsDialogWindow(OptionsDialogModel& model, QWidget* parent = nullptr);
  ~OptionsDialogWindow() override;

  // The widget of a control id, or null.
  QWidget* ControlWidget(int id) const;
  QTableWidget* ClipTable() const;

  // Runs a list of steps separated by ',' as if the user had made them: "1026" clicks control 1026,
  // "1011=60" types the text of an edit box or picks an item of a list by number, "cell:0:2=150"
  // edits a clip cell in place. Returns an empty text, or what went wrong (the dialog then ends as
  // cancelled). The clip dialog opened by a step takes its defaults.
  QString RunScript(const QString& script);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  class CellDelegate;

  void ConnectControls();
  void OnClick(int id);
  void OnCellClicked(int row, int column, bool doubleClick);
  void StartCellEdit();
  bool CellEditorOpen() const;
  void OpenClipDialog();
  void Refresh();
  void RefreshClipTable();
  void FitFrameColumns();
  void ScrollToCurrentRow();
  bool FilterNumberBoxEvent(QLineEdit* edit, QEvent* event);
  bool AcceptsKey(QLineEdit* edit, QKeyEvent* key) const;
  // Puts text into a number box as if typed over its selection; false, changing nothing, when the
  // box's filter refuses it.
  bool InsertIntoNumberBox(QLineEdit* edit, const QString& inserted);

  OptionsDialogModel& model_;
  std::unique_ptr<Ui::OptionsDialog> ui_;
  bool scripted_ = false;
};
