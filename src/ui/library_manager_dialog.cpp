#include "ui/library_manager_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/project.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

QPushButton* plain(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QListWidget* names_list(QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setMinimumSize(list->fontMetrics().horizontalAdvance(QString(18, QLatin1Char('W'))),
                         list->fontMetrics().lineSpacing() * 12);
    return list;
}

}  // namespace

LibraryManagerDialog::LibraryManagerDialog(Project& project, DefinitionKind kind, bool project_deletions,
                                           QWidget* parent)
    : QDialog(parent), form_(project, kind)
{
    setWindowTitle(from_1252(form_.title()));
    setObjectName(QStringLiteral("LibraryManagerDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;

    auto* library_box = new QGroupBox(QStringLiteral("Library"), this);
    auto* l = new QVBoxLayout(library_box);
    caption_ = new QLabel(this);
    description_ = new QLineEdit(this);
    description_->setMaxLength(70);
    description_->setPlaceholderText(QStringLiteral("Description of the library"));
    library_ = names_list(this);
    library_->setObjectName(QStringLiteral("LibraryList"));
    auto* file_buttons = new QGridLayout;
    QPushButton* browse = plain(QStringLiteral("&Browse..."), "Browse", this);
    QPushButton* make_new = plain(QStringLiteral("&New"), "New", this);
    QPushButton* save = plain(QStringLiteral("&Save"), "Save", this);
    QPushButton* save_as = plain(QStringLiteral("Save &As..."), "SaveAs", this);
    QPushButton* delete_library = plain(QStringLiteral("&Delete"), "DeleteFromLibrary", this);
    file_buttons->addWidget(browse, 0, 0);
    file_buttons->addWidget(make_new, 0, 1);
    file_buttons->addWidget(save, 1, 0);
    file_buttons->addWidget(save_as, 1, 1);
    l->addWidget(caption_);
    l->addWidget(description_);
    l->addWidget(library_);
    l->addWidget(delete_library);
    l->addLayout(file_buttons);
    body->addWidget(library_box);

    auto* middle = new QVBoxLayout;
    QPushButton* to_project = plain(QStringLiteral("Copy ->"), "CopyToProject", this);
    QPushButton* to_library = plain(QStringLiteral("<- Copy"), "CopyToLibrary", this);
    middle->addStretch();
    middle->addWidget(to_project);
    middle->addWidget(to_library);
    middle->addStretch();
    body->addLayout(middle);

    auto* project_box = new QGroupBox(QStringLiteral("Project"), this);
    auto* p = new QVBoxLayout(project_box);
    project_list_ = names_list(this);
    project_list_->setObjectName(QStringLiteral("ProjectList"));
    QPushButton* delete_project = plain(QStringLiteral("D&elete"), "DeleteFromProject", this);
    p->addWidget(project_list_);
    p->addWidget(delete_project);
    delete_project->setEnabled(project_deletions);
    if (!project_deletions)
        delete_project->setToolTip(QStringLiteral("The dialog this manager was opened from may use these definitions."));
    p->addStretch();
    body->addWidget(project_box);
    layout->addLayout(body);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &LibraryManagerDialog::reject);
    connect(description_, &QLineEdit::editingFinished, this,
            [this] { form_.set_description(to_1252(description_->text())); });
    const auto then_refresh = [this](auto action) {
        return [this, action] {
            form_.set_description(to_1252(description_->text()));
            action();
            refresh();
        };
    };
    connect(browse, &QPushButton::clicked, this, then_refresh([this] { form_.browse(); }));
    connect(make_new, &QPushButton::clicked, this, then_refresh([this] { form_.new_library(); }));
    connect(save, &QPushButton::clicked, this, then_refresh([this] { form_.save(); }));
    connect(save_as, &QPushButton::clicked, this, then_refresh([this] { form_.save_as(); }));
    connect(to_project, &QPushButton::clicked, this,
            then_refresh([this] { form_.copy_to_project(selected(library_)); }));
    connect(to_library, &QPushButton::clicked, this,
            then_refresh([this] { form_.copy_to_library(selected(project_list_)); }));
    connect(delete_library, &QPushButton::clicked, this,
            then_refresh([this] { form_.delete_from_library(selected(library_)); }));
    connect(delete_project, &QPushButton::clicked, this,
            then_refresh([this] { form_.delete_from_project(selected(project_list_)); }));
    refresh();
}

std::vector<std::string> LibraryManagerDialog::selected(QListWidget* list) const
{
    std::vector<std::string> names;
    for (const QListWidgetItem* item : list->selectedItems()) names.push_back(to_1252(item->text()));
    return names;
}

void LibraryManagerDialog::refresh()
{
    caption_->setText(from_1252(form_.library_caption()));
    description_->setText(from_1252(form_.library().description));
    const auto fill = [](QListWidget* list, const std::vector<std::string>& names) {
        list->clear();
        for (const std::string& name : names) list->addItem(from_1252(name));
    };
    fill(library_, form_.library_names());
    fill(project_list_, form_.project_names());
}

void LibraryManagerDialog::reject()
{
    form_.set_description(to_1252(description_->text()));
    if (form_.close()) QDialog::reject();
}

bool run_library_manager(QWidget* parent, Project& project, DefinitionKind kind, bool project_deletions)
{
    LibraryManagerDialog dialog(project, kind, project_deletions, parent);
    dialog.exec();
    return dialog.form().project_changed();
}

}  // namespace avelor::ui
