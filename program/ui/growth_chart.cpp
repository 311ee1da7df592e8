#include "program/ui/growth_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QStackedWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tlvx::ui {
namespace {

constexpr const char* kNames[4] = {"P", "A", "C", "B"};
constexpr const char* kMeanings[4] = {"pure code lines", "all lines", "comment lines",
                                      "blank lines"};
// Distinct at a glance, also to the colour-blind: green, blue, orange, grey.
const QColor kColours[4] = {QColor(0, 128, 0), QColor(31, 95, 191), QColor(214, 120, 0),
                            QColor(120, 120, 120)};
// About this many version names fit under the chart without crowding.
constexpr int kMostLabels = 8;

}  // namespace

GrowthChart::GrowthChart(QWidget* parent) : QWidget(parent) {
    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    values_ = new QValueAxis;
    values_->setLabelFormat(QStringLiteral("%.0f"));
    values_->setTitleText(QStringLiteral("Lines"));
    versions_ = new QCategoryAxis;
    versions_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    versions_->setTitleText(QStringLiteral("Version"));
    chart_->addAxis(values_, Qt::AlignLeft);
    chart_->addAxis(versions_, Qt::AlignBottom);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(new QLabel(QStringLiteral("Lines shown:"), this));
    for (int i = 0; i < 4; ++i) {
        auto* series = new QLineSeries;
        series->setName(QString::fromLatin1(kNames[i]));
        QPen pen(kColours[i]);
        pen.setWidthF(2.0);
        series->setPen(pen);
        series->setColor(kColours[i]);
        chart_->addSeries(series);
        series->attachAxis(versions_);
        series->attachAxis(values_);
        connect(series, &QLineSeries::hovered, this, [this, i](const QPointF& point, bool state) {
            const auto at = static_cast<std::size_t>(std::lround(point.x()));
            if (!state || at >= versionNames_.size()) {
                QToolTip::hideText();
                return;
            }
            QToolTip::showText(QCursor::pos(), QStringLiteral("%1 %2: %3 %4")
                                                   .arg(QString::fromStdString(versionNames_[at]),
                                                        QString::fromLatin1(kNames[i]))
                                                   .arg(std::llround(point.y()))
                                                   .arg(QString::fromLatin1(kMeanings[i])));
        });
        series_[static_cast<std::size_t>(i)] = series;

        auto* box = new QCheckBox(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kNames[i]),
                                                                QString::fromLatin1(kMeanings[i])),
                                  this);
        box->setObjectName(QStringLiteral("chk%1").arg(QString::fromLatin1(kNames[i])));
        box->setChecked(i < 2);  // P and A; C and B on demand
        series->setVisible(i < 2);
        connect(box, &QCheckBox::toggled, this, [this, series](bool on) {
            series->setVisible(on);
            fitValueAxis();
        });
        shown_[static_cast<std::size_t>(i)] = box;
        boxes->addWidget(box);
    }
    boxes->addStretch();

    view_ = new QChartView(chart_);
    view_->setObjectName(QStringLiteral("chtGrowth"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumHeight(180);
    nothing_ = new QLabel(this);
    nothing_->setObjectName(QStringLiteral("lblNoChart"));
    nothing_->setAlignment(Qt::AlignCenter);
    nothing_->setWordWrap(true);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(view_);
    pages_->addWidget(nothing_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_, 1);
    layout->addLayout(boxes);
}

bool GrowthChart::drawsLines() const {
    return pages_->currentWidget() == view_;
}

void GrowthChart::showTable(const history::GrowthTable& table) {
    versionNames_.clear();
    for (auto* series : series_) series->clear();
    // The axis's categories go one by one; there is no call that drops all.
    for (const QString& label : versions_->categoriesLabels()) versions_->remove(label);

    int drawn = 0;
    const auto& versions = table.versions;
    for (std::size_t i = 0; i < versions.size(); ++i) {
        versionNames_.push_back(versions[i].version);
        if (!versions[i].record.counted()) continue;
        ++drawn;
        for (std::size_t s = 0; s < series_.size(); ++s)
            series_[s]->append(static_cast<qreal>(i),
                               static_cast<qreal>(versions[i].record.totals[s]));
    }
    if (drawn < 2) {
        nothing_->setText(versions.empty()
                              ? QStringLiteral("No version of this project is recorded.")
                              : QStringLiteral("A line needs two recorded versions with their "
                                               "totals; this project has %1.")
                                    .arg(drawn));
        pages_->setCurrentWidget(nothing_);
        return;
    }
    pages_->setCurrentWidget(view_);

    // Every version's name where they fit, else every n-th; the last
    // version is always named, in place of a named one too close to it.
    const auto count = static_cast<int>(versions.size());
    const int step = std::max(1, (count + kMostLabels - 1) / kMostLabels);
    // Room at both ends for the first and last version's names.
    const qreal pad = std::max(0.3, count / 25.0);
    versions_->setStartValue(-pad);
    std::vector<int> named;
    for (int i = 0; i < count; i += step) named.push_back(i);
    if (named.back() != count - 1) {
        if (count - 1 - named.back() < std::max(1, step / 2)) named.pop_back();
        named.push_back(count - 1);
    }
    for (int i : named)
        versions_->append(QString::fromStdString(versions[static_cast<std::size_t>(i)].version), i);
    versions_->setRange(-pad, count - 1 + pad);
    for (auto* series : series_) series->setPointsVisible(count <= 40);
    fitValueAxis();
}

void GrowthChart::fitValueAxis() {
    qreal low = 0, high = 0;
    for (auto* series : series_) {
        if (!series->isVisible()) continue;
        for (const QPointF& p : series->points()) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    }
    if (high <= low) high = low + 10;
    values_->setRange(low, high);
    values_->applyNiceNumbers();
}

}  // namespace tlvx::ui
