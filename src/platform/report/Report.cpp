#include "platform/report/Report.h"

#include "platform/ClientDataSet.h"
#include "platform/report/PagePicture.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportGenerator.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace kv {

Report::Report(QObject *parent)
    : QObject(parent), m_page(std::make_unique<PageSetup>()), m_font(defaultFont()), m_pages(new PageStore(this))
{
    m_pages->setObjectName(QStringLiteral("PageStore"));
}

Report::~Report() = default;

QFont Report::defaultFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    return font;
}

QByteArray Report::pagePictureData() const
{
    return m_pagePicture ? m_pagePicture->data() : QByteArray();
}

void Report::setPagePictureData(const QByteArray &data)
{
    m_pagePicture = data.isEmpty() ? nullptr : PagePicture::fromData(data);
}

void Report::loadPagePicture(const QString &fileName)
{
    m_pagePicture = PagePicture::fromFile(fileName);
}

QList<TQRBand *> Report::bands() const
{
    return findChildren<TQRBand *>(QString(), Qt::FindDirectChildrenOnly);
}

double Report::toUnits(double tenths, Qt::Orientation direction) const
{
    return report_units::toUnit(tenths, report_units::Unit(m_units), m_zoom, direction);
}

double Report::fromUnits(double value, Qt::Orientation direction) const
{
    return report_units::fromUnit(value, report_units::Unit(m_units), m_zoom, direction);
}

bool Report::prepare()
{
    if (m_generating)
        throw ReportError("The report " + objectName().toStdString() + " is already generating its pages");
    ReportGenerator generator(*this, *m_pages);
    return generator.run();
}

QPrinterInfo Report::printerInfo() const
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    if (m_printerIndex < 0) {
        const QPrinterInfo standard = QPrinterInfo::defaultPrinter();
        if (!standard.isNull())
            return standard;
        if (printers.isEmpty())
            throw ReportError("No printer is installed");
        return printers.first();
    }
    if (m_printerIndex >= printers.size())
        throw ReportError("Printer " + std::to_string(m_printerIndex) + " does not exist (" +
                          std::to_string(printers.size()) + " printers installed)");
    return printers.at(m_printerIndex);
}

void Report::print()
{
    QPrinter printer(printerInfo(), QPrinter::HighResolution);
    printer.setDocName(m_reportTitle);
    if (prepare() && m_pages->pageCount() > 0)
        m_pages->print(printer);
}

void Report::printToPdf(const QString &fileName)
{
    if (prepare() && m_pages->pageCount() > 0)
        m_pages->printToPdf(fileName);
}

} // namespace kv
