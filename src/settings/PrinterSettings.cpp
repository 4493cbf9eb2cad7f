#include "settings/PrinterSettings.h"

#include "platform/FileSystem.h"

#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

std::optional<PrinterSettings> PrinterSettings::load(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    PrinterSettings s;
    for (const QByteArray& raw : f.read(64 * 1024).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq), value = line.mid(eq + 1);
        if (key == u"printer")
            s.printer = value;
        else if (key == u"output")
            s.outputFile = value;
        else if (key == u"paper")
            s.paper = value;
        else if (key == u"orientation")
            s.landscape = value == u"landscape";
        else if (key == u"resolution")
            s.resolution = qBound(0, value.toInt(), 9600);
        else if (key == u"failed")
            s.failed = value == u"1";
    }
    if (s.printer.isEmpty() && s.outputFile.isEmpty())
        return std::nullopt;
    return s;
}

bool PrinterSettings::save(const QString& path) const {
    QString text;
    text += QStringLiteral("printer=") + printer + u'\n';
    text += QStringLiteral("output=") + outputFile + u'\n';
    text += QStringLiteral("paper=") + paper + u'\n';
    text += QStringLiteral("orientation=") +
            (landscape ? QStringLiteral("landscape") : QStringLiteral("portrait")) + u'\n';
    text += QStringLiteral("resolution=") + QString::number(resolution) + u'\n';
    if (failed)
        text += QStringLiteral("failed=1\n");
    return platform::writeFileWhole(path, text.toUtf8(), nullptr);
}

PrinterSettings PrinterSettings::of(const QPrinter& printer) {
    PrinterSettings s;
    if (printer.outputFormat() == QPrinter::PdfFormat)
        s.outputFile = printer.outputFileName();
    else
        s.printer = printer.printerName();
    s.paper = QPageSize::key(printer.pageLayout().pageSize().id());
    s.landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    s.resolution = printer.resolution();
    return s;
}

bool PrinterSettings::applyTo(QPrinter& target) const {
    if (!outputFile.isEmpty()) {
        target.setOutputFormat(QPrinter::PdfFormat);
        target.setOutputFileName(outputFile);
    } else {
        if (!QPrinterInfo::availablePrinterNames().contains(printer))
            return false; // gone since the last print
        target.setOutputFormat(QPrinter::NativeFormat);
        target.setPrinterName(printer);
    }
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id)
        if (QPageSize::key(QPageSize::PageSizeId(id)) == paper) {
            target.setPageSize(QPageSize(QPageSize::PageSizeId(id)));
            break;
        }
    target.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (resolution > 0)
        target.setResolution(resolution);
    return true;
}
