#include "controls/te_dialog.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cassert>

#include "controls/dialog_items.h"
#include "controls/drawing_objects.h"
#include "controls/private_messages.h"

const ResponseEntry TEDialog::kEntries[] = {
    OnCommand<&TEDialog::CmHelp>(TEDialog::kIdHelp),
};
const ResponseTable TEDialog::kResponses{nullptr, TEDialog::kEntries};

namespace {

Qt::Alignment TextAlignment(uint32_t style) {
  if (style & kItemCentre)
    return Qt::AlignHCenter;
  if (style & kItemRight)
    return Qt::AlignRight;
  return Qt::AlignLeft;
}

void ApplyFrame(QWidget* widget, uint32_t style) {
  auto* frame = qobject_cast<QFrame*>(widget);
  if (!frame)
    return;
  if (style & kItemEtched) {
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setLineWidth(1);
  } else if (style & kItemBorder) {
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
  }
}

bool IsLabelKind(const DialogItem* item) {
  return item && (item->kind == ItemKind::Static || item->kind == ItemKind::GroupBox);
}

}  // namespace

TEDialog::TEDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent), template_(dialogTemplate) {
  assert(DrawingObjectsCreated());
  setFont(DialogFont());
  const QFontMetrics metrics(DialogFont());
  units_ = {metrics.averageCharWidth(), metrics.height()};

  if (template_.style & kDialogChild) {
    setWindowFlags(Qt::Widget);
    const PixelRect place = MapDialogRect(template_.x, template_.y, 0, 0);
    move(place.x, place.y);
  }
  setWindowTitle(QString::fromUtf8(template_.caption ? template_.caption : ""));
  const PixelRect client = MapDialogRect(0, 0, template_.w, template_.h);
  setFixedSize(client.w, client.h);

  slots_.reserve(template_.items.size());
  for (const DialogItem& item : template_.items) {
    QWidget* widget = BuildItem(item);
    if (widget)
      ApplyPlace(item, widget);
    slots_.push_back({&item, item.id, widget, widget != nullptr});
  }
}

TEDialog::~TEDialog() = default;

QWidget* TEDialog::BuildItem(const DialogItem& item) {
  const QString text = QString::fromUtf8(item.text ? item.text : "");
  const int id = item.id;
  switch (item.kind) {
    case ItemKind::PushButton: {
      auto* button = new QPushButton(text, this);
      button->setDefault(item.style & kItemDefault);
      if (id != kNoItemId) {
        connect(button, &QPushButton::clicked, this,
                [this, id] { SendCommand(this, id, kBnClicked); });
      }
      return button;
    }
    case ItemKind::Edit: {
      auto* edit = new QLineEdit(text, this);
      edit->setFrame(item.style & kItemBorder);
      edit->setAlignment(TextAlignment(item.style) | Qt::AlignVCenter);
      if (id != kNoItemId) {
        connect(edit, &QLineEdit::textChanged, this,
                [this, id] { SendCommand(this, id, kEnChange); });
      }
      return edit;
    }
    case ItemKind::Static: {
      auto* label = new QLabel(text, this);
      label->setTextFormat(Qt::PlainText);
      // Dialog statics wrap their words and start at the top.
      label->setWordWrap(true);
      label->setAlignment(TextAlignment(item.style) | Qt::AlignTop);
      return label;
    }
    case ItemKind::GroupBox:
      return new QGroupBox(text, this);
    case ItemKind::Custom:
      return nullptr;
  }
  return nullptr;
}

void TEDialog::ApplyPlace(const DialogItem& item, QWidget* widget) {
  const PixelRect r = MapDialogRect(item.x, item.y, item.w, item.h);
  widget->setGeometry(r.x, r.y, r.w, r.h);
  SetDialogItemId(widget, item.id);
  ApplyFrame(widget, item.style);
  if (item.style & kItemDisabled)
    widget->setEnabled(false);
  if (item.style & kItemHidden)
    widget->hide();
}

TEDialog::Slot* TEDialog::FindSlot(int id) {
  if (id == kNoItemId)
    return nullptr;
  for (Slot& slot : slots_) {
    if (slot.id == id)
      return &slot;
  }
  return nullptr;
}

const TEDialog::Slot* TEDialog::FindSlot(int id) const {
  return const_cast<TEDialog*>(this)->FindSlot(id);
}

QWidget* TEDialog::Item(int id) const {
  const Slot* slot = FindSlot(id);
  return slot ? slot->widget.data() : nullptr;
}

QString TEDialog::ItemText(int id) const {
  return WidgetText(Item(id));
}

bool TEDialog::SetItemText(int id, const QString& text) {
  return SetWidgetText(Item(id), text);
}

bool TEDialog::EnableItem(int id, bool enable) {
  QWidget* widget = Item(id);
  if (!widget)
    return false;
  widget->setEnabled(enable);
  return true;
}

bool TEDialog::AttachItem(int id, QWidget* control) {
  Slot* slot = FindSlot(id);
  if (!slot || !slot->item || !control)
    return false;
  if (slot->widget == control)
    return true;
  // Only a widget built here goes; a control that took the item over
  // before belongs to whoever made it.
  if (slot->built)
    delete slot->widget.data();
  slot->built = false;
  if (control->parent() != this)
    control->setParent(this);
  ApplyPlace(*slot->item, control);
  if (slot->item->text && *slot->item->text) {
    SetWidgetText(control, QString::fromUtf8(slot->item->text));
  }
  slot->widget = control;
  if (setUp_)
    FixTabOrderAndMnemonics();
  return true;
}

void TEDialog::InsertItemAfter(int afterId, int id, QWidget* control) {
  if (!control)
    return;
  if (control->parent() != this)
    control->setParent(this);
  SetDialogItemId(control, id);
  auto at = slots_.end();
  for (auto it = slots_.begin(); it != slots_.end(); ++it) {
    if (afterId != kNoItemId && it->id == afterId)
      at = it + 1;
  }
  slots_.insert(at, Slot{nullptr, id, control, false});
  if (setUp_)
    FixTabOrderAndMnemonics();
}

std::vector<QWidget*> TEDialog::ItemsInOrder() const {
  std::vector<QWidget*> items;
  for (const Slot& slot : slots_) {
    if (slot.widget)
      items.push_back(slot.widget);
  }
  return items;
}

void TEDialog::FixTabOrderAndMnemonics() {
  QWidget* previous = nullptr;
  for (const Slot& slot : slots_) {
    QWidget* widget = slot.widget;
    if (!widget || !(widget->focusPolicy() & Qt::TabFocus))
      continue;
    if (previous)
      setTabOrder(previous, widget);
    previous = widget;
  }
  // A label's mnemonic moves the focus to the next item that can take it,
  // as "&Width:" does for the edit below it.
  for (size_t i = 0; i < slots_.size(); ++i) {
    auto* label = qobject_cast<QLabel*>(slots_[i].widget.data());
    if (!label || !IsLabelKind(slots_[i].item) || !label->text().contains(QLatin1Char('&'))) {
      continue;
    }
    for (size_t j = i + 1; j < slots_.size(); ++j) {
      QWidget* next = slots_[j].widget;
      if (next && !IsLabelKind(slots_[j].item) && (next->focusPolicy() & Qt::TabFocus)) {
        label->setBuddy(next);
        break;
      }
    }
  }
}

void TEDialog::Create() {
  if (setUp_)
    return;
  setUp_ = true;
  SetupWindow();
}

void TEDialog::SetupWindow() {
  FixTabOrderAndMnemonics();
}

bool TEDialog::DispatchCommand(int id, int notifyCode) {
  if (const ResponseEntry* entry = Responses().Find(ResponseKind::Command, id)) {
    entry->call(*this, notifyCode, 0);
    return true;
  }
  if (id != kIdOk && id != kIdCancel)
    return false;
  if (!closing_) {
    closing_ = true;
    QPointer<TEDialog> alive(this);  // a dialog that deletes itself on close
    done(id);
    if (alive)
      closing_ = false;
  }
  return true;
}

bool TEDialog::DispatchMessage(int message, intptr_t wParam, intptr_t lParam) {
  const ResponseEntry* entry = Responses().Find(ResponseKind::Message, message);
  if (!entry)
    return false;
  entry->call(*this, wParam, lParam);
  return true;
}

// While the dialog closes itself these come back from Qt's own close
// handling; they must not reach a handler a second time.
void TEDialog::accept() {
  if (!closing_)
    DispatchCommand(kIdOk, kBnClicked);
}

void TEDialog::reject() {
  if (!closing_)
    DispatchCommand(kIdCancel, kBnClicked);
}

bool TEDialog::event(QEvent* event) {
  if (CommandMessage::Is(event)) {
    const auto* command = static_cast<const CommandMessage*>(event);
    return DispatchCommand(command->Id(), command->NotifyCode());
  }
  // Unanswered, a private message says so to its sender, where Qt would
  // count every custom event as handled.
  if (const auto* message = dynamic_cast<const PrivateMessage*>(event)) {
    return DispatchMessage(message->Message(), message->WParam(), message->LParam());
  }
  // Polishing comes before the first show, after every constructor has run.
  if (event->type() == QEvent::Polish)
    Create();
  return QDialog::event(event);
}
