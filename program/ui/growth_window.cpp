#include "program/ui/growth_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "program/history/growth_text.h"
#include "program/ui/growth_chart.h"
#include "program/ui/window_look.h"

namespace tlvx::ui {
namespace {

const QColor kProblemColour(176, 0, 0);

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList numberNames() {
    QStringList names;
    for (const auto& name : history::numberColumnNames()) names.append(fromUtf8(name));
    return names;
}

QString changeHeader(const QString& name) {
    return QStringLiteral("\u0394") + (name.size() > 1 ? QStringLiteral("(%1)").arg(name) : name);
}

// A table view over `model` that sorts by the cells' keys.
QTableView* sortedView(CellTableModel& model, const char* name, QWidget* parent) {
    auto* proxy = new QSortFilterProxyModel(parent);
    proxy->setSourceModel(&model);
    proxy->setSortRole(CellTableModel::kSortRole);
    proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(proxy);
    view->setSortingEnabled(true);
    view->sortByColumn(0, Qt::AscendingOrder);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setHighlightSections(false);
    view->setAlternatingRowColors(true);
    return view;
}

// "15 → 42 (+27)" for one total of the comparison.
QString totalChange(const history::VersionComparison& c, std::size_t column) {
    const auto side = [&](const history::RecordTotals& t) {
        return t.counted() ? QString::number(t.totals[column]) : QStringLiteral("?");
    };
    QString text = side(c.fromTotals) + QStringLiteral(" \u2192 ") + side(c.toTotals);
    if (c.totalsChange) {
        const auto change = (*c.totalsChange)[column];
        text +=
            QStringLiteral(" (%1%2)").arg(change > 0 ? QStringLiteral("+") : QString()).arg(change);
    }
    return text;
}

Cell statusCell(history::ModuleStatus status) {
    Cell cell{fromUtf8(std::string(history::statusName(status))), static_cast<int>(status)};
    switch (status) {
        case history::ModuleStatus::Added:
            cell.colour = QColor(0, 128, 0);
            break;
        case history::ModuleStatus::Removed:
            cell.colour = kProblemColour;
            break;
        case history::ModuleStatus::Changed:
            cell.colour = QColor(31, 95, 191);
            break;
        case history::ModuleStatus::Same:
            cell.colour = QColor(120, 120, 120);
            break;
    }
    return cell;
}

}  // namespace

GrowthWindow::GrowthWindow(history::VersionHistory history, const std::string& project,
                           const std::string& selectedVersion, history::MessageBoxes& messages,
                           QWidget* parent)
    : QDialog(parent), history_(std::move(history)), messages_(messages) {
    setObjectName(QStringLiteral("frmGrowth"));
    table_ = history::growthTable(history_, project).value_or(history::GrowthTable{project, {}});
    setWindowTitle(QStringLiteral("Growth of %1").arg(fromUtf8(table_.project)));
    setSizeGripEnabled(true);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("splGrowth"));
    splitter->setChildrenCollapsible(false);
    auto* versionsPane = new QWidget(splitter);
    buildVersionTable(versionsPane);
    chart_ = new GrowthChart(splitter);
    chart_->setObjectName(QStringLiteral("growthChart"));
    auto* comparisonPane = new QWidget(splitter);
    buildComparison(comparisonPane);
    splitter->addWidget(versionsPane);
    splitter->addWidget(chart_);
    splitter->addWidget(comparisonPane);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 3);

    auto* exportVersions = new QPushButton(QStringLiteral("Output &Versions..."), this);
    exportVersions->setObjectName(QStringLiteral("cmdOutputVersions"));
    exportVersions->setToolTip(QStringLiteral("Outputs the table of versions to a csv/txt file."));
    connect(exportVersions, &QPushButton::clicked, this, &GrowthWindow::exportVersions);
    auto* exportModules = new QPushButton(QStringLiteral("Output &Comparison..."), this);
    exportModules->setObjectName(QStringLiteral("cmdOutputComparison"));
    exportModules->setToolTip(
        QStringLiteral("Outputs the comparison of the two versions to a "
                       "csv/txt file."));
    connect(exportModules, &QPushButton::clicked, this, &GrowthWindow::exportComparison);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportVersions);
    buttons->addWidget(exportModules);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    showVersions();
    chart_->showTable(table_);

    // The selected version and the one before it; the first version with
    // the one after it.
    const auto& versions = table_.versions;
    if (!versions.empty()) {
        auto at = static_cast<std::size_t>(
            std::find_if(versions.begin(), versions.end(),
                         [&](const auto& v) { return v.version == selectedVersion; }) -
            versions.begin());
        if (at == versions.size()) at = versions.size() - 1;
        const std::size_t before = at > 0 ? at - 1 : at;
        const std::size_t after = at > 0 ? at : std::min<std::size_t>(1, versions.size() - 1);
        compare(versions[before].version, versions[after].version);
    } else {
        showComparison();
    }

    // As large as the screen allows, up to a comfortable size.
    QSize size(1000, 760);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void GrowthWindow::buildVersionTable(QWidget* pane) {
    versionView_ = sortedView(versionCells_, "tblVersions", pane);
    versionView_->setToolTip(
        QStringLiteral("Double-click a version to compare it with the one "
                       "before it."));
    connect(versionView_, &QTableView::activated, this, &GrowthWindow::onVersionActivated);
    problems_ = new QLabel(pane);
    problems_->setObjectName(QStringLiteral("lblProblems"));
    problems_->setWordWrap(true);
    QPalette red = problems_->palette();
    red.setColor(QPalette::WindowText, kProblemColour);
    problems_->setPalette(red);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(versionView_, 1);
    layout->addWidget(problems_);
}

void GrowthWindow::buildComparison(QWidget* pane) {
    from_ = new QComboBox(pane);
    from_->setObjectName(QStringLiteral("cbbFrom"));
    to_ = new QComboBox(pane);
    to_->setObjectName(QStringLiteral("cbbTo"));
    for (const auto& v : table_.versions) {
        from_->addItem(fromUtf8(v.version));
        to_->addItem(fromUtf8(v.version));
    }
    const auto chosen = [this] {
        if (from_->currentIndex() < 0 || to_->currentIndex() < 0) return;
        compare(from_->currentText().toStdString(), to_->currentText().toStdString());
    };
    connect(from_, &QComboBox::currentIndexChanged, this, chosen);
    connect(to_, &QComboBox::currentIndexChanged, this, chosen);
    showSame_ = new QCheckBox(QStringLiteral("Show &unchanged modules"), pane);
    showSame_->setObjectName(QStringLiteral("chkSame"));
    connect(showSame_, &QCheckBox::toggled, this, &GrowthWindow::showComparison);

    auto* fromLabel = new QLabel(QStringLiteral("Compare &version"), pane);
    fromLabel->setBuddy(from_);
    auto* toLabel = new QLabel(QStringLiteral("&with"), pane);
    toLabel->setBuddy(to_);
    auto* choice = new QHBoxLayout;
    choice->addWidget(fromLabel);
    choice->addWidget(from_);
    choice->addWidget(toLabel);
    choice->addWidget(to_);
    choice->addSpacing(12);
    choice->addWidget(showSame_);
    choice->addStretch();

    comparisonSummary_ = new QLabel(pane);
    comparisonSummary_->setObjectName(QStringLiteral("lblComparison"));
    comparisonSummary_->setWordWrap(true);
    comparisonSummary_->setTextFormat(Qt::PlainText);
    moduleView_ = sortedView(moduleCells_, "tblModules", pane);

    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(choice);
    layout->addWidget(comparisonSummary_);
    layout->addWidget(moduleView_, 1);
}

void GrowthWindow::showVersions() {
    QStringList headers{QStringLiteral("Version"), QStringLiteral("Recorded"),
                        QStringLiteral("Modules")};
    for (const QString& name : numberNames()) headers << name << changeHeader(name);
    std::vector<std::vector<Cell>> rows;
    QStringList problems;
    const auto& versions = table_.versions;
    for (std::size_t i = 0; i < versions.size(); ++i) {
        const auto& v = versions[i];
        std::vector<Cell> row;
        const QString problem = fromUtf8(history::describeProblem(v.record.problem));
        row.push_back({fromUtf8(v.version), static_cast<qlonglong>(i),
                       problem.isEmpty() ? QColor() : kProblemColour, problem});
        if (v.recorded) {
            const auto seconds = static_cast<qint64>(v.recorded->time_since_epoch().count());
            row.push_back({QDateTime::fromSecsSinceEpoch(seconds).toString(
                               QStringLiteral("yyyy-MM-dd HH:mm")),
                           static_cast<qlonglong>(seconds)});
        } else {
            row.push_back({QString(), static_cast<qlonglong>(0)});
        }
        const bool counted = v.record.counted();
        row.push_back(countCell(counted ? std::optional<int64_t>(v.record.modules) : std::nullopt));
        for (std::size_t c = 0; c < v.record.totals.size(); ++c) {
            row.push_back(
                countCell(counted ? std::optional<int64_t>(v.record.totals[c]) : std::nullopt));
            row.push_back(
                changeCell(v.change ? std::optional<int64_t>((*v.change)[c]) : std::nullopt));
        }
        if (!counted) {
            for (auto& cell : row) cell.toolTip = problem;
            problems << QStringLiteral("%1: %2").arg(fromUtf8(v.version), problem);
        }
        rows.push_back(std::move(row));
    }
    versionCells_.reset(headers, std::move(rows), 1);
    versionView_->resizeColumnsToContents();
    problems_->setText(problems.join(QStringLiteral("\n")));
    problems_->setVisible(!problems.isEmpty());
}

void GrowthWindow::compare(const std::string& from, const std::string& to) {
    {
        const QSignalBlocker quietFrom(from_), quietTo(to_);
        from_->setCurrentIndex(from_->findText(fromUtf8(from), Qt::MatchFixedString));
        to_->setCurrentIndex(to_->findText(fromUtf8(to), Qt::MatchFixedString));
    }
    auto outcome = history::compareVersions(history_, table_.project, from, to);
    comparison_ = std::move(outcome.comparison);
    if (!comparison_) messages_.warning(outcome.failure);
    showComparison();
}

void GrowthWindow::showComparison() {
    const QString from = comparison_ ? fromUtf8(comparison_->from) : QString();
    const QString to = comparison_ ? fromUtf8(comparison_->to) : QString();
    QStringList headers{QStringLiteral("Module File"), QStringLiteral("Type"),
                        QStringLiteral("Status")};
    for (const QString& name : numberNames())
        headers << QStringLiteral("%1 %2").arg(name, from) << QStringLiteral("%1 %2").arg(name, to)
                << changeHeader(name);
    std::vector<std::vector<Cell>> rows;
    int counts[4] = {};
    if (comparison_) {
        const auto& modules = comparison_->modules;
        for (std::size_t i = 0; i < modules.size(); ++i) {
            const auto& m = modules[i];
            ++counts[static_cast<int>(m.status)];
            if (m.status == history::ModuleStatus::Same && !showSame_->isChecked()) continue;
            std::vector<Cell> row{{fromUtf8(m.module), static_cast<qlonglong>(i)},
                                  {fromUtf8(m.type)},
                                  statusCell(m.status)};
            const auto value = [](const std::optional<history::TenNumbers>& side, std::size_t c) {
                return side ? std::optional<int64_t>((*side)[c]) : std::nullopt;
            };
            for (std::size_t c = 0; c < m.change.size(); ++c) {
                row.push_back(countCell(value(m.from, c)));
                row.push_back(countCell(value(m.to, c)));
                row.push_back(changeCell(m.change[c]));
            }
            rows.push_back(std::move(row));
        }
    }
    moduleCells_.reset(headers, std::move(rows), 3);
    moduleView_->resizeColumnsToContents();

    if (!comparison_) {
        comparisonSummary_->setText(table_.versions.empty()
                                        ? QStringLiteral("No version of this project is recorded.")
                                        : QString());
        return;
    }
    QString text = QStringLiteral("%1 \u2192 %2: %3 added, %4 removed, %5 changed, %6 unchanged.")
                       .arg(from, to)
                       .arg(counts[0])
                       .arg(counts[1])
                       .arg(counts[2])
                       .arg(counts[3]);
    const QStringList names = numberNames();
    QStringList totals;
    for (std::size_t c = 0; c < 4; ++c)
        totals << QStringLiteral("%1 %2").arg(names[static_cast<int>(c)],
                                              totalChange(*comparison_, c));
    text += QStringLiteral("  Totals: ") + totals.join(QStringLiteral(", ")) + QStringLiteral(".");
    for (const auto& problem : comparison_->problems)
        text += QStringLiteral("\n") + fromUtf8(problem) + QStringLiteral(".");
    comparisonSummary_->setText(text);
}

void GrowthWindow::onVersionActivated(const QModelIndex& index) {
    const auto at = versionView_->model()->index(index.row(), 0).data(CellTableModel::kSortRole);
    const auto i = static_cast<std::size_t>(at.toLongLong());
    if (i >= table_.versions.size()) return;
    compare(table_.versions[i > 0 ? i - 1 : i].version, table_.versions[i].version);
}

bool GrowthWindow::exportTo(
    const std::string& proposedName,
    const std::function<std::vector<std::string>(history::FieldSeparator)>& lines) {
    std::string path;
    if (chooseFile_) {
        path = chooseFile_(proposedName);
    } else {
        path = QFileDialog::getSaveFileName(
                   this, QStringLiteral("Output Listing As"),
                   QDir::home().filePath(fromUtf8(proposedName) + QStringLiteral(".csv")),
                   QStringLiteral("Comma Separated Values (*.csv);;Text Files (Tab Separated) "
                                  "(*.txt);;All Files (*)"))
                   .toStdString();
    }
    if (path.empty()) return false;
    return history::writeExportFile(path, lines(history::separatorForPath(path)), messages_);
}

void GrowthWindow::exportVersions() {
    if (table_.versions.empty()) {
        messages_.information(history::kNothingToExport);
        return;
    }
    exportTo(history::defaultExportName(table_.project, "growth", history::localToday()),
             [this](history::FieldSeparator sep) { return history::growthLines(table_, sep); });
}

void GrowthWindow::exportComparison() {
    if (!comparison_) {
        messages_.information(history::kNothingToExport);
        return;
    }
    exportTo(history::defaultExportName(table_.project, comparison_->from + "_" + comparison_->to,
                                        history::localToday()),
             [this](history::FieldSeparator sep) {
                 return history::comparisonLines(*comparison_, sep);
             });
}

}  // namespace tlvx::ui
