#include "controls/dialog_items.h"

#include <QGroupBox>
#include <QVariant>

#include "controls/dialog_template.h"

namespace {

constexpr char kIdProperty[] = "orvaneItemId";

// Only a declared property: setProperty on anything else would quietly make
// a dynamic one that nothing shows.
bool HasTextProperty(const QWidget* widget) {
  return widget->metaObject()->indexOfProperty("text") >= 0;
}

}  // namespace

void SetDialogItemId(QWidget* widget, int id) {
  if (widget)
    widget->setProperty(kIdProperty, id);
}

int DialogItemId(const QWidget* widget) {
  if (!widget)
    return kNoItemId;
  const QVariant id = widget->property(kIdProperty);
  return id.isValid() ? id.toInt() : kNoItemId;
}

QWidget* FindDialogItem(const QWidget* parent, int id) {
  if (!parent || id == kNoItemId)
    return nullptr;
  for (QObject* child : parent->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget && DialogItemId(widget) == id)
      return widget;
  }
  return nullptr;
}

QString WidgetText(const QWidget* widget) {
  if (!widget)
    return {};
  if (auto* box = qobject_cast<const QGroupBox*>(widget))
    return box->title();
  return HasTextProperty(widget) ? widget->property("text").toString() : QString();
}

bool SetWidgetText(QWidget* widget, const QString& text) {
  if (!widget)
    return false;
  if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    box->setTitle(text);
    return true;
  }
  return HasTextProperty(widget) && widget->setProperty("text", text);
}

bool SetDialogItemText(const QWidget* parent, int id, const QString& text) {
  return SetWidgetText(FindDialogItem(parent, id), text);
}
