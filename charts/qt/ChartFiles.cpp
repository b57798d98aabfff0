#include "charts/ChartFiles.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstring>
#include <functional>
#include <iostream>
#include <memory>

#include "charts/qt/Paint.h"
#include "model/Error.h"
#include "report/AtomicFile.h"

namespace tadmor::charts {

namespace {

// An SVG's physical size: 1200 pixels at 169 dots per inch are 180.4 mm.
constexpr int kSvgDotsPerInch = 169;

// Paints with `paint` into a PNG or an SVG in memory, by the extension of
// `path`, then writes the file whole: a failed plot leaves an earlier file
// of the name as it was.
void WritePlot(const std::string& path, const std::string& title, const std::function<void(QPainter&)>& paint) {
    // Fonts need a GUI application; nothing is ever shown, so no display is needed.
    std::unique_ptr<QGuiApplication> application;
    int argc = 1;
    char name[] = "tadmor";
    char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt's notes about its environment (no runtime folder, ...) are not
        // the user's concern; errors still reach standard error.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
        });
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    QBuffer drawing;
    drawing.open(QIODevice::WriteOnly);
    if (IsPngFileName(path)) {
        QImage image(kPageWidth, kPageHeight, QImage::Format_RGB32);
        QPainter painter(&image);
        paint(painter);
        painter.end();
        image.save(&drawing, "PNG");
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&drawing);
        svg.setSize(QSize(kPageWidth, kPageHeight));
        svg.setViewBox(QRect(0, 0, kPageWidth, kPageHeight));
        svg.setResolution(kSvgDotsPerInch);
        svg.setTitle(QText(title));
        QPainter painter(&svg);
        paint(painter);
        painter.end();
    }
    const QByteArray& bytes = drawing.data();
    AtomicFile file(path);
    if (bytes.isEmpty() || !file.Write(std::string_view(bytes.constData(), bytes.size())) || !file.Commit())
        throw Error(ErrorKind::Plot, "cannot write the plot file \"" + path + "\"" +
                                         (file.Error() ? std::string(": ") + std::strerror(file.Error()) : ""));
}

void RequirePlotName(const std::string& path) {
    if (!IsPlotFileName(path))
        throw Error(ErrorKind::Plot, "the plot file name must end in .png or .svg: \"" + path + "\"");
}

// Writes `drawing` to `path`: it is checked before any file is touched.
template <class Drawing>
void WriteDrawing(const Drawing& drawing, const std::string& path, const std::string& title) {
    RequirePlotName(path);
    WritePlot(path, title, [&](QPainter& painter) { Paint(painter, drawing, QRectF(0, 0, kPageWidth, kPageHeight)); });
}

}  // namespace

bool PlotsAvailable() { return true; }

void WriteChart(const Chart& chart, const std::string& path) {
    AxesOf(chart);
    WriteDrawing(chart, path, chart.title);
}

void WriteMap(const MapChart& map, const std::string& path) { WriteDrawing(map, path, map.title); }

void WriteTornado(const TornadoChart& chart, const std::string& path) {
    if (chart.rows.empty())
        throw Error(ErrorKind::Plot, "cannot draw the tornado chart \"" + chart.title + "\": it has no rows");
    WriteDrawing(chart, path, chart.title);
}

}  // namespace tadmor::charts
