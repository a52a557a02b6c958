#pragma once
// kv::PageSetup: the paper of a report (its published "Page"): paper size by
// the engine's paper-size number, orientation, margins, length and width of
// the paper and the columns of the detail bands. All lengths are tenths of a
// millimetre; Length and Width describe the paper upright, the orientation
// turns it.
//
// Choosing a named paper sets its length and width; setting a length or
// width that differs from the named paper makes the paper Custom. Default
// and Custom keep whatever length and width were set.

#include <QObject>
#include <QSizeF>
#include <QString>

namespace kv {

class PageSetup : public QObject {
    Q_OBJECT
    Q_PROPERTY(kv::PageSetup::TQRPaperSize PaperSize READ paperSize WRITE setPaperSize)
    Q_PROPERTY(kv::PageSetup::TPrinterOrientation Orientation READ orientation WRITE setOrientation)
    Q_PROPERTY(double Length READ length WRITE setLength)
    Q_PROPERTY(double Width READ width WRITE setWidth)
    Q_PROPERTY(double TopMargin READ topMargin WRITE setTopMargin)
    Q_PROPERTY(double BottomMargin READ bottomMargin WRITE setBottomMargin)
    Q_PROPERTY(double LeftMargin READ leftMargin WRITE setLeftMargin)
    Q_PROPERTY(double RightMargin READ rightMargin WRITE setRightMargin)
    Q_PROPERTY(int Columns READ columns WRITE setColumns)
    Q_PROPERTY(double ColumnSpace READ columnSpace WRITE setColumnSpace)

public:
    // The numbers are the engine's paper-size numbers (the preview lists the
    // names in this order).
    enum TQRPaperSize {
        Default, Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive, A3, A4, A4Small, A5, B4, B5,
        Folio, Quarto, qr10X14, qr11X17, Note, Env9, Env10, Env11, Env12, Env14, CSheet, DSheet, ESheet, Custom
    };
    Q_ENUM(TQRPaperSize)
    enum TPrinterOrientation { poPortrait, poLandscape };
    Q_ENUM(TPrinterOrientation)

    explicit PageSetup(QObject *parent = nullptr);

    TQRPaperSize paperSize() const { return m_paperSize; }
    void setPaperSize(TQRPaperSize size);
    TPrinterOrientation orientation() const { return m_orientation; }
    void setOrientation(TPrinterOrientation orientation) { m_orientation = orientation; }
    double length() const { return m_length; }
    void setLength(double length);
    double width() const { return m_width; }
    void setWidth(double width);
    double topMargin() const { return m_topMargin; }
    void setTopMargin(double margin) { m_topMargin = margin; }
    double bottomMargin() const { return m_bottomMargin; }
    void setBottomMargin(double margin) { m_bottomMargin = margin; }
    double leftMargin() const { return m_leftMargin; }
    void setLeftMargin(double margin) { m_leftMargin = margin; }
    double rightMargin() const { return m_rightMargin; }
    void setRightMargin(double margin) { m_rightMargin = margin; }
    int columns() const { return m_columns; }
    void setColumns(int columns) { m_columns = columns < 1 ? 1 : columns; }
    double columnSpace() const { return m_columnSpace; }
    void setColumnSpace(double space) { m_columnSpace = space < 0 ? 0 : space; }

    // The sheet as printed (orientation applied): width across, height down.
    QSizeF sheetSize() const;

    // Name of a paper-size number ("Letter"); empty for a number out of range.
    static QString paperName(int paperSize);
    // Upright width and length of a named paper; empty for Default and Custom.
    static QSizeF paperDimensions(TQRPaperSize size);

private:
    TQRPaperSize m_paperSize = Letter;
    TPrinterOrientation m_orientation = poPortrait;
    double m_length = 2794;
    double m_width = 2159;
    double m_topMargin = 100;
    double m_bottomMargin = 100;
    double m_leftMargin = 100;
    double m_rightMargin = 100;
    int m_columns = 1;
    double m_columnSpace = 0;
};

} // namespace kv
