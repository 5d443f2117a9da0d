#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "controls/dialog_template.h"
#include "controls/response_table.h"

// The base of the program's dialogs. It builds a dialog from its template in
// the shared dialog font, numbers its items by id, and routes commands and
// private messages through the response tables of its classes.
//
// Life of a dialog:
//  1. The constructor builds the template's push buttons, edits, statics and
//     group boxes at their pixel rectangles. A Custom item stays empty.
//  2. The subclass constructor creates its own controls on their items
//     (MakeItem / AttachItem). A control may also take over a standard item:
//     the item's widget is replaced by the control, which gets its place,
//     text and style.
//  3. SetupWindow() runs once, before the dialog is first shown (or at
//     Create()): the tab order and the mnemonics of labels are fixed there,
//     then a subclass does its own set-up after calling the base.
//
// Commands (a push button's click, a control's notification, a window's
// SendCommand) and private messages (PostPrivateMessage, SendPrivateMessage)
// are looked up in Responses(). What no table handles falls to the dialog's
// own handling: command 1 closes it with result 1, command 2 (the Cancel or
// Exit button, Escape, the close box) with result 2.
class TEDialog : public QDialog {
  Q_OBJECT

 public:
  // Standard command ids.
  static constexpr int kIdOk = 1;
  static constexpr int kIdCancel = 2;
  static constexpr int kIdHelp = 9;

  explicit TEDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);
  ~TEDialog() override;

  int TemplateId() const { return template_.id; }

  // The dialog font's base units and the pixel form of a dialog rectangle.
  DialogBaseUnits BaseUnits() const { return units_; }
  PixelRect MapDialogRect(int x, int y, int w, int h) const {
    return DialogRectToPixels(x, y, w, h, units_);
  }

  // The window of item id (from the template, adopted or inserted), or
  // nullptr; a Custom item has none until its control is attached.
  QWidget* Item(int id) const;
  template <class T>
  T* ItemAs(int id) const {
    return qobject_cast<T*>(Item(id));
  }
  QString ItemText(int id) const;
  bool SetItemText(int id, const QString& text);
  bool EnableItem(int id, bool enable);

  // Puts control in the place of template item id: its rectangle, its text
  // (when the control has a text and the template gives one), its border and
  // start-up styles and its place in the tab order. A standard widget that
  // stood there is destroyed. The dialog becomes the control's parent.
  // False, adopting nothing, when the template has no item id.
  bool AttachItem(int id, QWidget* control);

  // Creates T(this, id, args...) and attaches it to item id.
  template <class T, class... Args>
  T* MakeItem(int id, Args&&... args) {
    T* control = new T(this, id, std::forward<Args>(args)...);
    AttachItem(id, control);
    return control;
  }

  // Adopts a window that is not in the template as item id, following item
  // afterId in the tab order (last when afterId is not found). The window
  // keeps its own rectangle.
  void InsertItemAfter(int afterId, int id, QWidget* control);

  // Runs the set-up once; later calls do nothing.
  void Create();
  bool IsSetUp() const { return setUp_; }

  // Looks the command or message up in the response tables; true when a
  // handler (or the dialog's own handling of commands 1 and 2) took it.
  bool DispatchCommand(int id, int notifyCode);
  bool DispatchMessage(int message, intptr_t wParam, intptr_t lParam);

  // The items in tab order, for inspection.
  std::vector<QWidget*> ItemsInOrder() const;

  // The button keys and the close box go through commands 1 and 2.
  void accept() override;
  void reject() override;

 protected:
  virtual void SetupWindow();
  virtual const ResponseTable& Responses() const { return kResponses; }

  // Help does nothing in these dialogs.
  void CmHelp() {}

  bool event(QEvent* event) override;

  static const ResponseTable kResponses;

 private:
  struct Slot {
    const DialogItem* item;  // nullptr for an inserted window
    int id;
    QPointer<QWidget> widget;
    bool built;  // made from the template here, not handed in
  };

  QWidget* BuildItem(const DialogItem& item);
  void ApplyPlace(const DialogItem& item, QWidget* widget);
  Slot* FindSlot(int id);
  const Slot* FindSlot(int id) const;
  void FixTabOrderAndMnemonics();

  static const ResponseEntry kEntries[];

  const DialogTemplate template_;
  DialogBaseUnits units_{};
  std::vector<Slot> slots_;
  bool setUp_ = false;
  bool closing_ = false;
};
