#include "ui/options_dialog_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <algorithm>

#include "ruv/options/dialog_controls.h"
#include "ruv/options/dialog_numbers.h"
#include "ui_options_dialog.h"

namespace {

// A widget's object name carries its control id: "ctl1004" is control 1004.
constexpr char kIdPrefix[] = "ctl";
constexpr int kIdPrefixLength = sizeof kIdPrefix - 1;
const QColor kCurrentCellColor(0xCC, 0xCC, 0xCC);
// Cell text starts this far in from the cell's left edge.
constexpr int kCellTextInset = 5;
constexpr int kFrameColumnMinWidth = 45;

QString ObjectNameOf(int id) { return QString(kIdPrefix) + QString::number(id); }

QString ToQt(const std::wstring& text) { return QString::fromStdWString(text); }
std::wstring FromQt(const QString& text) { return text.toStdWString(); }

int ControlIdOf(const QObject* object) {
  const QString name = object->objectName();
  if (!name.startsWith(kIdPrefix)) return 0;
  bool ok = false;
  int id = name.mid(kIdPrefixLength).toInt(&ok);
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

// The Paste entry of a line edit's standard menu, found by the line edit's own (translated) text.
QAction* PasteActionOf(const QMenu& menu) {
  const QString paste = QLineEdit::tr("&Paste");
  for (QAction* action : menu.actions()) {
    if (action->text() == paste || action->text().startsWith(paste + '\t')) return action;
  }
  return nullptr;
}

bool IsNumberBox(int id) { return id == kIdScale || id == kIdZRot || id == kIdXRot; }

// The box's text, selection and caret as the number filters see them; `text` holds the characters.
EditState EditStateOf(const QLineEdit* edit, std::wstring& text) {
  text = FromQt(edit->text());
  EditState state{text, 0, 0};
  if (edit->hasSelectedText()) {
    state.selectionStart = static_cast<std::size_t>(edit->selectionStart());
    state.selectionEnd =
        state.selectionStart + static_cast<std::size_t>(edit->selectedText().size());
  } else {
    state.selectionStart = state.selectionEnd = static_cast<std::size_t>(edit->cursorPosition());
  }
  return state;
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
    // Text wider than its column ends in an ellipsis rather than being cut without a sign.
    const QRect textRect = option.rect.adjusted(kCellTextInset, 0, -2, 0);
    painter->drawText(
        textRect, Qt::AlignVCenter | Qt::AlignLeft,
        option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, textRect.width()));
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
  table->setColumnWidth(1, kFrameColumnMinWidth);
  table->setColumnWidth(2, kFrameColumnMinWidth);
  table->verticalHeader()->hide();
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setItemDelegate(new CellDelegate(*this));
  table->viewport()->installEventFilter(this);

  for (int id : {kIdScale, kIdZRot, kIdXRot}) {
    ControlWidget(id)->installEventFilter(this);
    // A drop would put text in past the filter; pasting goes through it (InsertIntoNumberBox).
    ControlWidget(id)->setAcceptDrops(false);
  }
  // OK reads three digits of the rate and four of each size: the boxes hold no more.
  static_cast<QLineEdit*>(ControlWidget(kIdSamplingRate))->setMaxLength(3);
  static_cast<QLineEdit*>(ControlWidget(kIdProcMapX))->setMaxLength(4);
  static_cast<QLineEdit*>(ControlWidget(kIdProcMapY))->setMaxLength(4);
  ConnectControls();
  Refresh();
}

OptionsDialogWindow::~OptionsDialogWindow() = default;

QWidget* OptionsDialogWindow::ControlWidget(int id) const {
  return findChild<QWidget*>(ObjectNameOf(WidgetIdFor(id)));
}

QTableWidget* OptionsDialogWindow::ClipTable() const {
  return static_cast<QTableWidget*>(ControlWidget(kIdClipList));
}

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
  name->setObjectName(ObjectNameOf(kClipIdName));
  name->setMaxLength(static_cast<int>(kMaxClipNameLength));
  auto frameSpinner = [&](int id, int value) {
    auto* spinner = new QSpinBox(&dialog);
    spinner->setObjectName(ObjectNameOf(id));
    spinner->setRange(values.minFrame, values.maxFrame);
    spinner->setSingleStep(1);
    spinner->setValue(value);
    return spinner;
  };
  QSpinBox* start = frameSpinner(kClipIdStartSpinner, values.start);
  QSpinBox* end = frameSpinner(kClipIdEndSpinner, values.end);
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
  FitFrameColumns();
  ScrollToCurrentRow();
  table->viewport()->update();
}

// The frame columns are as wide as their widest number (a default clip ends at 999999).
void OptionsDialogWindow::FitFrameColumns() {
  QTableWidget* table = ClipTable();
  const QFontMetrics metrics(table->font());
  const ClipListView& list = model_.ClipList();
  for (int column : {int{kClipStartColumn}, int{kClipEndColumn}}) {
    int width = kFrameColumnMinWidth;
    for (int row = 0; row < list.RowCount(); ++row) {
      const int textWidth = metrics.horizontalAdvance(ToQt(list.CellText(row, column)));
      width = std::max(width, textWidth + 2 * kCellTextInset);
    }
    table->setColumnWidth(column, width);
  }
}

void OptionsDialogWindow::ScrollToCurrentRow() {
  const int row = model_.ClipList().CurrentRow();
  if (row >= 0 && row < ClipTable()->rowCount())
    ClipTable()->scrollToItem(ClipTable()->item(row, 0));
}

void OptionsDialogWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The rows are laid out only once the table is on screen: the current row (the last stored clip)
  // can be scrolled to from then on.
  QMetaObject::invokeMethod(
      this, [this] { ScrollToCurrentRow(); }, Qt::QueuedConnection);
}

bool OptionsDialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ClipTable()->viewport() && event->type() == QEvent::MouseButtonPress &&
      !CellEditorOpen()) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!ClipTable()->indexAt(mouse->position().toPoint()).isValid()) {
      model_.ClipList().Click(-1, -1);
      RefreshClipTable();
    }
  } else if (auto* edit = qobject_cast<QLineEdit*>(watched);
             edit && IsNumberBox(ControlIdOf(edit))) {
    return FilterNumberBoxEvent(edit, event);
  }
  return QDialog::eventFilter(watched, event);
}

// Every way text gets into a number box meets its filter: typed characters one at a time, and
// pasted or composed text whole (InsertIntoNumberBox). Returns true for an event it handled or
// refused.
bool OptionsDialogWindow::FilterNumberBoxEvent(QLineEdit* edit, QEvent* event) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->matches(QKeySequence::Paste)) {
        InsertIntoNumberBox(edit, clipboard->text());
        return true;
      }
      return !AcceptsKey(edit, key);
    }
    case QEvent::ContextMenu: {
      // The box's own menu, with its Paste going through the filter.
      std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
      if (QAction* paste = PasteActionOf(*menu)) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this,
                [this, edit, clipboard] { InsertIntoNumberBox(edit, clipboard->text()); });
      }
      menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    }
    case QEvent::MouseButtonRelease:
      // A middle click pastes the selection where the platform has one.
      if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
          clipboard->supportsSelection()) {
        edit->deselect();
        InsertIntoNumberBox(edit, clipboard->text(QClipboard::Selection));
        return true;
      }
      return false;
    case QEvent::InputMethod: {
      // Text composed by an input method arrives whole.
      auto* input = static_cast<QInputMethodEvent*>(event);
      if (input->commitString().isEmpty()) return false;
      std::wstring text;
      return !InsertNumberText(EditStateOf(edit, text), FromQt(input->commitString()),
                               ControlIdOf(edit) != kIdScale);
    }
    default:
      return false;
  }
}

// Whether a key press may reach a number box: typed characters pass the box's number filter,
// every other key passes.
bool OptionsDialogWindow::AcceptsKey(QLineEdit* edit, QKeyEvent* key) const {
  const QString typed = key->text();
  if (typed.size() != 1 || typed.at(0).unicode() < 0x20 || typed.at(0).unicode() == 0x7F) {
    return true;
  }
  std::wstring text;
  const EditState state = EditStateOf(edit, text);
  const wchar_t c = static_cast<wchar_t>(typed.at(0).unicode());
  return ControlIdOf(edit) == kIdScale ? AcceptPositiveNumberChar(state, c)
                                       : AcceptSignedNumberChar(state, c);
}

bool OptionsDialogWindow::InsertIntoNumberBox(QLineEdit* edit, const QString& inserted) {
  std::wstring text;
  const int id = ControlIdOf(edit);
  std::optional<EditResult> result =
      InsertNumberText(EditStateOf(edit, text), FromQt(inserted), id != kIdScale);
  if (!result) return false;
  edit->setText(ToQt(result->text));
  edit->setCursorPosition(static_cast<int>(result->caret));
  model_.SetText(id, result->text);
  return true;
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
      if (IsNumberBox(id) && !value.isEmpty()) {
        // Typed over the whole box, through its filter.
        edit->selectAll();
        if (!InsertIntoNumberBox(edit, value)) {
          return QString("control %1 refuses \"%2\" (its filter takes digits and one point%3)")
              .arg(id)
              .arg(value)
              .arg(id == kIdScale ? "" : ", and a leading minus");
        }
        continue;
      }
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
