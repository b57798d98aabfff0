#include "app/studio/ChartView.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

#include "app/studio/LiveResult.h"
#include "charts/qt/Paint.h"
#include "model/Error.h"

namespace tadmor::studio {

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(320, 240);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ChartView::SetChart(AnyChart chart) {
    chart_ = std::move(chart);
    message_.clear();
    update();
}

void ChartView::SetMessage(const QString& message) {
    chart_ = std::monostate{};
    message_ = message;
    update();
}

QString ChartView::ReadoutAt(QPointF point) const {
    const auto* chart = std::get_if<charts::Chart>(&chart_);
    if (!chart) return {};
    try {
        const std::vector<charts::PanelPlace> places = charts::PanelPlaces(*chart, QRectF(rect()));
        for (std::size_t p = 0; p < places.size(); ++p) {
            const charts::PanelPlace& place = places[p];
            if (!place.rect.contains(point)) continue;
            double x = place.x.min + (point.x() - place.rect.left()) / place.rect.width() * (place.x.max - place.x.min);
            if (place.logX) x = std::pow(10.0, x);
            return QString::fromStdString(Readout(*chart, p, x));
        }
    } catch (const Error&) {
    }
    return {};
}

void ChartView::paintEvent(QPaintEvent*) {
    PaintChart();
    emit Painted();
}

void ChartView::PaintChart() {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const auto paintMessage = [&](const QString& text) {
        painter.setPen(palette().text().color());
        painter.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, text);
    };
    try {
        std::visit(
            [&](const auto& chart) {
                if constexpr (std::is_same_v<std::decay_t<decltype(chart)>, std::monostate>)
                    paintMessage(message_);
                else
                    charts::Paint(painter, chart, QRectF(rect()));
            },
            chart_);
    } catch (const Error& error) {
        paintMessage(QString::fromStdString(error.what()));
        return;
    }
    if (!pointer_) return;
    const QString readout = ReadoutAt(*pointer_);
    if (readout.isEmpty()) return;
    // The values in a box beside the pointer, and a line through it.
    painter.setPen(QPen(QColor(60, 60, 60), 1, Qt::DotLine));
    painter.drawLine(QPointF(pointer_->x(), 0), QPointF(pointer_->x(), height()));
    const QFontMetrics metrics(font());
    QRect box = metrics.boundingRect(QRect(0, 0, width() / 2, 0), Qt::TextWordWrap, readout).adjusted(-6, -4, 6, 4);
    box.moveTopLeft(QPoint(int(pointer_->x()) + 12, int(pointer_->y()) + 12));
    if (box.right() > width()) box.moveRight(int(pointer_->x()) - 12);
    if (box.bottom() > height()) box.moveBottom(int(pointer_->y()) - 12);
    painter.setPen(QColor(120, 120, 120));
    painter.setBrush(QColor(255, 255, 240, 235));
    painter.drawRect(box);
    painter.setPen(Qt::black);
    painter.drawText(box.adjusted(6, 4, -6, -4), Qt::TextWordWrap, readout);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    pointer_ = event->position();
    update();
}

void ChartView::leaveEvent(QEvent*) {
    pointer_.reset();
    update();
}

}  // namespace tadmor::studio
