#pragma once
// The chart of the growth view: the totals P and A (and on demand C and B)
// of a project's versions as lines, the versions along the bottom axis in
// version order. A version whose record carries no totals leaves its place
// on the axis empty. With fewer than two versions to draw there is no line,
// and a sentence says so instead.

#include <QWidget>

#include <array>

#include "program/history/version_growth.h"

class QCheckBox;
class QLabel;
class QStackedWidget;

class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;
class QCategoryAxis;

namespace tlvx::ui {

class GrowthChart : public QWidget {
    Q_OBJECT

public:
    explicit GrowthChart(QWidget* parent = nullptr);

    void showTable(const history::GrowthTable& table);

    // The series of P, A, C and B ("P", "A", "C", "B"), for the tests.
    QLineSeries* series(int column) const { return series_[static_cast<std::size_t>(column)]; }
    QChart* chart() const { return chart_; }
    bool drawsLines() const;

private:
    void fitValueAxis();

    QStackedWidget* pages_ = nullptr;
    QLabel* nothing_ = nullptr;
    QChartView* view_ = nullptr;
    QChart* chart_ = nullptr;
    QValueAxis* values_ = nullptr;
    QCategoryAxis* versions_ = nullptr;
    std::array<QLineSeries*, 4> series_{};
    std::array<QCheckBox*, 4> shown_{};
    std::vector<std::string> versionNames_;
};

}  // namespace tlvx::ui
