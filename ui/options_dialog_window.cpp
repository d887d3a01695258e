#include "ui/options_dialog_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <algorithm>

#include "ruv/options/dialog_controls.h"
#include "ruv/options/dialog_numbers.h"
#include "ui_options_dialog.h"

namespace {

constexpr const char* kIdPrefix = "ctl";
const QColor kCurrentCellColor(0xCC, 0xCC, 0xCC);

QString ToQt(const std::wstring& text) { return QString::fromStdWString(text); }
std::wstring FromQt(const QString& text) { return text.toStdWString(); }

int ControlIdOf(const QObject* object) {
  const QString name = object->objectName();
  if (!name.startsWith(kIdPrefix)) return 0;
  bool ok = false;
  int id = name.mid(3).toInt(&ok);
  return ok ? id : 0;
}

// The widget that stands for a control: a spinner's edit box is the spinner itself.
int WidgetIdFor(int id) {
  for (const SpinnerField& spinner : SpinnerFields()) {
    if (spinner.editId == id) return spinner.spinnerId;
  }
  return id;
}

void SetTextKeepingCaret(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

}  // namespace

// Paints every cell itself (the current one grey) and edits a cell through the model's rules.
class OptionsDialogWindow::CellDelegate : public QStyledItemDelegate {
 public:
  CellDelegate(OptionsDialogWindow& window) : QStyledItemDelegate(&window), window_(window) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool current = window_.model_.ClipList().IsCurrentCell(index.row(), index.column());
    painter->fillRect(option.rect, current ? kCurrentCellColor : QColor(Qt::white));
    painter->setPen(Qt::black);
    painter->drawText(option.rect.adjusted(5, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      index.data().toString());
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    if (window_.model_.ClipList().EditTakesDigitsOnly()) {
      editor->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), editor));
    }
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex&) const override {
    static_cast<QLineEdit*>(editor)->setText(ToQt(window_.model_.ClipList().EditText()));
  }

  // Enter ends the cell edit and Escape drops it; neither may reach the dialog's OK or Cancel.
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* editor = static_cast<QWidget*>(object);
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        return true;
      }
      if (key == Qt::Key_Escape) {
        emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override {
    window_.model_.ClipList().EndEdit(FromQt(static_cast<QLineEdit*>(editor)->text()));
    window_.RefreshClipTable();
  }

 private:
  OptionsDialogWindow& window_;
};

OptionsDialogWindow::OptionsDialogWindow(OptionsDialogModel& model, QWidget* parent)
    : QDialog(parent), model_(model), ui_(std::make_unique<Ui::OptionsDialog>()) {
  ui_->setupUi(this);
  setWindowTitle(ToQt(std::wstring(kOptionsDialogCaption)));
  ui_->groupAnimationOptions->hide();

  for (int id : {kIdXFileFormat, kIdTextureFormat, kIdOpenClose, kIdQuality}) {
    auto* list = static_cast<QComboBox*>(ControlWidget(id));
    for (const std::wstring& item : model_.Control(id).items) list->addItem(ToQt(item));
  }
  for (const SpinnerField& field : SpinnerFields()) {
    QWidget* widget = ControlWidget(field.spinnerId);
    if (auto* spinner = qobject_cast<QDoubleSpinBox*>(widget)) {
      spinner->setDecimals(1);
      spinner->setRange(field.minimum, field.maximum);
      spinner->setSingleStep(field.step);
    } else if (auto* spinner = qobject_cast<QSpinBox*>(widget)) {
      spinner->setRange(static_cast<int>(field.minimum), static_cast<int>(field.maximum));
      spinner->setSingleStep(static_cast<int>(field.step));
    }
  }

  QTableWidget* table = ClipTable();
  table->setColumnCount(3);
  table->setHorizontalHeaderLabels({"Name", "Start", "End"});
  table->setColumnWidth(0, 90);
  table->setColumnWidth(1, 45);
  table->setColumnWidth(2, 45);
  table->verticalHeader()->hide();
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setItemDelegate(new CellDelegate(*this));
  table->viewport()->installEventFilter(this);

  for (int id : {kIdScale, kIdZRot, kIdXRot}) ControlWidget(id)->installEventFilter(this);
  // OK reads three digits of the rate and four of each size: the boxes hold no more.
  static_cast<QLineEdit*>(ControlWidget(kIdSamplingRate))->setMaxLength(3);
  static_cast<QLineEdit*>(ControlWidget(kIdProcMapX))->setMaxLength(4);
  static_cast<QLineEdit*>(ControlWidget(kIdProcMapY))->setMaxLength(4);
  ConnectControls();
  Refresh();
}

OptionsDialogWindow::~OptionsDialogWindow() = default;

QWidget* OptionsDialogWindow::ControlWidget(int id) const {
  return findChild<QWidget*>(QString(kIdPrefix) + QString::number(WidgetIdFor(id)));
}

QTableWidget* OptionsDialogWindow::ClipTable() const { return ui_->ctl1014; }

void OptionsDialogWindow::ConnectControls() {
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
    const int id = ControlIdOf(button);
    if (id) connect(button, &QAbstractButton::clicked, this, [this, id] { OnClick(id); });
  }
  for (QLineEdit* edit : findChildren<QLineEdit*>()) {
    const int id = ControlIdOf(edit);
    if (!id) continue;
    connect(edit, &QLineEdit::textEdited, this,
            [this, id](const QString& text) { model_.SetText(id, FromQt(text)); });
  }
  for (QComboBox* list : findChildren<QComboBox*>()) {
    const int id = ControlIdOf(list);
    connect(list, &QComboBox::currentIndexChanged, this,
            [this, id](int index) { model_.SetSelection(id, index); });
  }
  for (const SpinnerField& field : SpinnerFields()) {
    const int id = field.spinnerId;
    QWidget* widget = ControlWidget(id);
    if (auto* spinner = qobject_cast<QDoubleSpinBox*>(widget)) {
      connect(spinner, &QDoubleSpinBox::valueChanged, this,
              [this, id](double value) { model_.SetSpinnerValue(id, value); });
    } else if (auto* spinner = qobject_cast<QSpinBox*>(widget)) {
      connect(spinner, &QSpinBox::valueChanged, this,
              [this, id](int value) { model_.SetSpinnerValue(id, value); });
    }
  }
  QTableWidget* table = ClipTable();
  connect(table, &QTableWidget::cellClicked, this,
          [this](int row, int column) { OnCellClicked(row, column, false); });
  connect(table, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int column) { OnCellClicked(row, column, true); });
}

void OptionsDialogWindow::OnClick(int id) {
  switch (model_.Click(id)) {
    case DialogCommand::Accept:
      accept();
      return;
    case DialogCommand::Cancel:
      reject();
      return;
    case DialogCommand::OpenClipDialog:
      OpenClipDialog();
      break;
    case DialogCommand::None:
      break;
  }
  Refresh();
}

void OptionsDialogWindow::OnCellClicked(int row, int column, bool doubleClick) {
  if (CellEditorOpen()) return;
  bool edit = false;
  if (doubleClick) {
    model_.ClipList().DoubleClick(row, column);
    edit = true;
  } else {
    edit = model_.ClipList().Click(row, column);
  }
  RefreshClipTable();
  if (edit) StartCellEdit();
}

bool OptionsDialogWindow::CellEditorOpen() const {
  const auto editors = ClipTable()->viewport()->findChildren<QLineEdit*>();
  return std::any_of(editors.begin(), editors.end(), [](QLineEdit* e) { return e->isVisible(); });
}

void OptionsDialogWindow::StartCellEdit() {
  const ClipListView& list = model_.ClipList();
  if (!list.BeginEdit()) return;
  QTableWidget* table = ClipTable();
  if (QTableWidgetItem* item = table->item(list.CurrentRow(), list.CurrentColumn())) {
    table->setCurrentItem(item);
    table->editItem(item);
  }
}

void OptionsDialogWindow::OpenClipDialog() {
  ClipDialogValues values = ::OpenClipDialog(model_.ClipList());
  if (scripted_) {
    AcceptClipDialog(model_.ClipList(), values);
    return;
  }
  QDialog dialog(this);
  dialog.setWindowTitle("Animation");
  auto* name = new QLineEdit(ToQt(values.name), &dialog);
  name->setObjectName("ctl1170");
  name->setMaxLength(static_cast<int>(kMaxClipNameLength));
  auto frameSpinner = [&](const char* objectName, int value) {
    auto* spinner = new QSpinBox(&dialog);
    spinner->setObjectName(objectName);
    spinner->setRange(values.minFrame, values.maxFrame);
    spinner->setSingleStep(1);
    spinner->setValue(value);
    return spinner;
  };
  QSpinBox* start = frameSpinner("ctl1168", values.start);
  QSpinBox* end = frameSpinner("ctl1167", values.end);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* form = new QFormLayout(&dialog);
  form->addRow("Name:", name);
  form->addRow("Start:", start);
  form->addRow("End:", end);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return;
  values.name = FromQt(name->text());
  values.start = start->value();
  values.end = end->value();
  AcceptClipDialog(model_.ClipList(), values);
}

void OptionsDialogWindow::Refresh() {
  for (QWidget* widget : findChildren<QWidget*>()) {
    const int id = ControlIdOf(widget);
    if (!id || id == kIdClipList) continue;
    const ControlState& state = model_.Control(id);
    QSignalBlocker block(widget);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      if (button->isCheckable()) button->setChecked(state.checked);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      SetTextKeepingCaret(edit, ToQt(state.text));
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
      list->setCurrentIndex(state.selection);
    } else if (auto* spinner = qobject_cast<QDoubleSpinBox*>(widget)) {
      spinner->setValue(state.value);
    } else if (auto* spinner = qobject_cast<QSpinBox*>(widget)) {
      spinner->setValue(static_cast<int>(state.value));
    } else if (auto* label = qobject_cast<QLabel*>(widget); label && id == kIdStatus) {
      label->setText(ToQt(state.text));
    }
  }
  // Enabling follows the model's ids; a spinner's edit id enables the spinner.
  for (QWidget* widget : findChildren<QWidget*>()) {
    int id = ControlIdOf(widget);
    if (!id) continue;
    for (const SpinnerField& field : SpinnerFields()) {
      if (field.spinnerId == id) id = field.editId;
    }
    widget->setEnabled(model_.Enabled(id));
  }
  RefreshClipTable();
}

void OptionsDialogWindow::RefreshClipTable() {
  QTableWidget* table = ClipTable();
  const ClipListView& list = model_.ClipList();
  QSignalBlocker block(table);
  table->setRowCount(list.RowCount());
  for (int row = 0; row < list.RowCount(); ++row) {
    for (int column = 0; column < 3; ++column) {
      QTableWidgetItem* item = table->item(row, column);
      if (!item) {
        item = new QTableWidgetItem;
        table->setItem(row, column, item);
      }
      item->setText(ToQt(list.CellText(row, column)));
    }
  }
  if (list.CurrentRow() >= 0) table->scrollToItem(table->item(list.CurrentRow(), 0));
  table->viewport()->update();
}

bool OptionsDialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ClipTable()->viewport() && event->type() == QEvent::MouseButtonPress &&
      !CellEditorOpen()) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!ClipTable()->indexAt(mouse->position().toPoint()).isValid()) {
      model_.ClipList().Click(-1, -1);
      RefreshClipTable();
    }
  } else if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
    if (event->type() == QEvent::KeyPress && !FilterKey(edit, event)) return true;
  }
  return QDialog::eventFilter(watched, event);
}

// Whether a key press may reach the edit box: typed characters pass the box's number filter,
// every other key passes.
bool OptionsDialogWindow::FilterKey(QLineEdit* edit, QEvent* event) const {
  const QString typed = static_cast<QKeyEvent*>(event)->text();
  if (typed.size() != 1 || typed.at(0).unicode() < 0x20 || typed.at(0).unicode() == 0x7F) {
    return true;
  }
  const std::wstring text = FromQt(edit->text());
  EditState state{text, 0, 0};
  if (edit->hasSelectedText()) {
    state.selectionStart = static_cast<std::size_t>(edit->selectionStart());
    state.selectionEnd =
        state.selectionStart + static_cast<std::size_t>(edit->selectedText().size());
  } else {
    state.selectionStart = state.selectionEnd = static_cast<std::size_t>(edit->cursorPosition());
  }
  const wchar_t c = static_cast<wchar_t>(typed.at(0).unicode());
  return ControlIdOf(edit) == kIdScale ? AcceptPositiveNumberChar(state, c)
                                       : AcceptSignedNumberChar(state, c);
}

QString OptionsDialogWindow::RunScript(const QString& script) {
  scripted_ = true;
  for (const QString& rawStep : script.split(',', Qt::SkipEmptyParts)) {
    const QString step = rawStep.trimmed();
    if (!isVisible()) return QString("the dialog had already ended before \"%1\"").arg(step);
    const qsizetype equals = step.indexOf('=');
    const QString target = equals < 0 ? step : step.left(equals);
    const QString value = equals < 0 ? QString() : step.mid(equals + 1);
    if (target.startsWith("cell:")) {
      const QStringList parts = target.split(':');
      bool rowOk = false, columnOk = false;
      const int row = parts.value(1).toInt(&rowOk);
      const int column = parts.value(2).toInt(&columnOk);
      if (parts.size() != 3 || !rowOk || !columnOk || equals < 0) {
        return QString("bad step \"%1\" (expected cell:ROW:COLUMN=TEXT)").arg(step);
      }
      model_.ClipList().DoubleClick(row, column);
      if (model_.ClipList().BeginEdit()) model_.ClipList().EndEdit(FromQt(value));
      RefreshClipTable();
      continue;
    }
    bool ok = false;
    const int id = target.toInt(&ok);
    QWidget* widget = ok ? ControlWidget(id) : nullptr;
    if (!widget) return QString("no control \"%1\" in the dialog").arg(target);
    if (equals < 0) {
      auto* button = qobject_cast<QAbstractButton*>(widget);
      if (!button) return QString("control %1 is not a button").arg(id);
      button->click();
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      edit->setText(value);
      model_.SetText(id, FromQt(value));
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
      list->setCurrentIndex(value.toInt());
    } else if (auto* spinner = qobject_cast<QDoubleSpinBox*>(widget)) {
      spinner->setValue(value.toDouble());
    } else if (auto* spinner = qobject_cast<QSpinBox*>(widget)) {
      spinner->setValue(value.toInt());
    } else {
      return QString("control %1 takes no text").arg(id);
    }
  }
  return isVisible() ? QString("the steps ended without OK (1035) or Cancel (2)") : QString();
}
