#pragma once

#include <QString>
#include <QWidget>

// Dialog items are found by their id among the children of their dialog, the
// way a control reaches a sibling (the slider writing its value into an
// edit). Every item a dialog builds or adopts carries its id; a window made
// outside a dialog can be given one too.

void SetDialogItemId(QWidget* widget, int id);
// The item's id, or kNoItemId when it has none.
int DialogItemId(const QWidget* widget);

// The direct child of parent with that id, or nullptr.
QWidget* FindDialogItem(const QWidget* parent, int id);

// The text an item shows: a group box's title, otherwise the widget's "text"
// property (labels, buttons, edits and any control that declares one).
QString WidgetText(const QWidget* widget);
// Sets it; false when the widget has no text to set.
bool SetWidgetText(QWidget* widget, const QString& text);

// Writes text into parent's item id; false when there is no such item.
bool SetDialogItemText(const QWidget* parent, int id, const QString& text);
