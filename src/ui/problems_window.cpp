#include "ui/problems_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/text_1252.h"

namespace avelor::ui {

ProblemsWindow::ProblemsWindow(EditorSession& session, ProblemList& problems, QWidget* parent)
    : QDialog(parent), session_(session), problems_(problems)
{
    setObjectName(QStringLiteral("ProblemsWindow"));
    setModal(false);
    setWindowTitle(from_1252(ProblemsWindowModel::kCaption));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("Messages"));
    list_->setColumnCount(1);
    list_->setHeaderLabels({from_1252(ProblemsWindowModel::kColumn)});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(true);
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { show_row(list_->indexOfTopLevelItem(item)); });
    connect(list_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { show_row(list_->indexOfTopLevelItem(item)); });

    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("Close"));
    rerun_ = new QPushButton(QStringLiteral("Rerun Building Check"), this);
    rerun_->setObjectName(QStringLiteral("Rerun"));
    run_ = new QPushButton(QStringLiteral("Run Simulation"), this);
    run_->setObjectName(QStringLiteral("RunSimulation"));
    for (QPushButton* b : {close_, rerun_, run_}) b->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(rerun_, &QPushButton::clicked, this, &ProblemsWindow::rerun);
    connect(run_, &QPushButton::clicked, this, [this] {
        close();
        emit runSimulationWanted();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(close_);
    buttons->addStretch(1);
    buttons->addWidget(rerun_);
    buttons->addWidget(run_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(520, 260);
    refresh();
}

void ProblemsWindow::refresh()
{
    list_->clear();
    for (const std::string& text : ProblemsWindowModel::rows(problems_))
        list_->addTopLevelItem(new QTreeWidgetItem(QStringList{from_1252(text)}));
    run_->setEnabled(ProblemsWindowModel::run_simulation_enabled(problems_));
}

bool ProblemsWindow::show_row(int row)
{
    if (row < 0) return false;
    if (!ProblemsWindowModel::show_row(session_, problems_, static_cast<std::size_t>(row))) return false;
    emit rowShown();
    return true;
}

void ProblemsWindow::rerun()
{
    check_building(session_, problems_, kCheckBuilding);
    refresh();
    emit buildingChecked();
}

void ProblemsWindow::done(int result)
{
    ProblemsWindowModel::clear_highlight(session_);
    QDialog::done(result);
    emit highlightCleared();
}

}  // namespace avelor::ui
