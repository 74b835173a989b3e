// A list widget over a named definition list (elements, duct elements,
// wind profiles), as the Data menu's managers show it: one row per record
// in name order, each row holding its record.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVariant>
#include <QVBoxLayout>

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

// The body of a Data menu manager: a group titled group_title holding the
// list, the summary below it and the New, Edit, Delete and Library buttons, and a
// Close button that rejects the dialog.
struct ManagerButtons {
    QPushButton* create = nullptr;
    QPushButton* edit = nullptr;
    QPushButton* remove = nullptr;
    QPushButton* library = nullptr;  // the library manager of the same kind
};
inline ManagerButtons lay_out_manager(QDialog& dialog, const QString& group_title, QListWidget* list, QLabel* summary)
{
    auto button = [&](const char* text, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(text), &dialog);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    ManagerButtons buttons{button("&New...", "New"), button("&Edit...", "Edit"), button("&Delete", "Delete"),
                           button("&Library...", "Library")};
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(close, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* group = new QGroupBox(group_title, &dialog);
    auto* group_layout = new QVBoxLayout(group);
    group_layout->addWidget(list);
    group_layout->addWidget(summary);
    auto* row = new QHBoxLayout;
    row->addWidget(buttons.create);
    row->addWidget(buttons.edit);
    row->addWidget(buttons.remove);
    row->addWidget(buttons.library);
    row->addStretch();
    group_layout->addLayout(row);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(group);
    layout->addWidget(close);
    return buttons;
}

}  // namespace avelor::ui
