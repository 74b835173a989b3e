// A list widget over a named definition list (elements, duct elements,
// wind profiles), as the Data menu's managers show it: one row per record
// in name order, each row holding its record.
#pragma once

#include <QListWidget>
#include <QSignalBlocker>
#include <QVariant>

#include "app/lists.h"
#include "ui/text_1252.h"

namespace avelor::ui {

// Lists the records anew, selecting selected when it is among them.
template <class T>
void fill_definition_list(QListWidget& list, const NamedList<T>& records, const T* selected)
{
    const QSignalBlocker quiet(&list);
    list.clear();
    int row = 0;
    int selected_row = -1;
    for (T& record : records) {
        auto* item = new QListWidgetItem(from_1252(record.name), &list);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(&record)));
        if (&record == selected) selected_row = row;
        ++row;
    }
    list.setCurrentRow(selected_row);
}

// The record of the current row, or null.
template <class T>
T* current_definition(const QListWidget& list)
{
    const QListWidgetItem* item = list.currentItem();
    return item ? static_cast<T*>(item->data(Qt::UserRole).value<void*>()) : nullptr;
}

}  // namespace avelor::ui
