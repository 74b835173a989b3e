// "AVELORW Data and Library Manager" for one definition kind: the library's
// definitions on the left, the project's on the right, over the manager's
// model in the core.
#pragma once

#include <QDialog>

#include "editing/library_manager.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace avelor::ui {

class LibraryManagerDialog final : public QDialog {
    Q_OBJECT
public:
    // Opened from a dialog that holds a working copy which may refer to the
    // project's definitions, project_deletions is false: the project side
    // only takes copies.
    LibraryManagerDialog(Project& project, DefinitionKind kind, bool project_deletions, QWidget* parent = nullptr);

    LibraryManagerForm& form() { return form_; }
    QListWidget* library_list() const { return library_; }
    QListWidget* project_list() const { return project_list_; }

    void reject() override;  // Close, Escape and the title bar's button

private:
    void refresh();
    std::vector<std::string> selected(QListWidget* list) const;

    LibraryManagerForm form_;
    QLabel* caption_ = nullptr;
    QLineEdit* description_ = nullptr;
    QListWidget* library_ = nullptr;
    QListWidget* project_list_ = nullptr;
};

// Runs the manager; true when the project's definitions changed.
bool run_library_manager(QWidget* parent, Project& project, DefinitionKind kind, bool project_deletions = true);

}  // namespace avelor::ui
