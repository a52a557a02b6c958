#pragma once
// A small layout window built by hand for the layout text tests: a report
// on its data set, a header band with a title, a detail band with a data
// text and a barcode, and the focus label far off the page.

#include "platform/ClientDataSet.h"
#include "platform/report/Report.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRLabel.h"

#include <QWidget>

namespace kv::test {

struct LayoutWindow {
    QWidget window;
    ClientDataSet *ClientDataSet1 = nullptr;
    Report *QuickRep1 = nullptr;
    TQRBand *QRBand1 = nullptr;
    TQRBand *QRBand2 = nullptr;
    TQRLabel *lblTitle = nullptr;
    TQRLabel *qrLostFocus = nullptr;
    TKVQRDBText *txtTC001 = nullptr;
    TKvQRDBBarcode *bcTC001 = nullptr;

    // Bare: only the window and its data set, for texts that create everything.
    explicit LayoutWindow(bool bare = false)
    {
        window.setObjectName("frmTestFmt");
        ClientDataSet1 = new ClientDataSet(&window);
        ClientDataSet1->setObjectName("ClientDataSet1");
        if (bare)
            return;
        QuickRep1 = new Report(&window);
        QuickRep1->setObjectName("QuickRep1");
        QuickRep1->setZoom(80);
        QuickRep1->setDataSet(ClientDataSet1);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(13);
        QuickRep1->setFont(font);

        QRBand1 = new TQRBand(QuickRep1, TQRBand::rbPageHeader);
        QRBand1->setObjectName("QRBand1");
        QRBand1->setHeight(60);
        lblTitle = new TQRLabel(QRBand1);
        lblTitle->setObjectName("lblTitle");
        lblTitle->setCaption(QStringLiteral("领料单"));
        lblTitle->setLeft(200);
        lblTitle->setTop(8);
        lblTitle->setWidth(120);
        lblTitle->setHeight(20);
        qrLostFocus = new TQRLabel(QRBand1);
        qrLostFocus->setObjectName("qrLostFocus");
        qrLostFocus->setCaption("qrLostFocus");
        qrLostFocus->setEnabled(false);
        qrLostFocus->setLeft(-4904);

        QRBand2 = new TQRBand(QuickRep1, TQRBand::rbDetail);
        QRBand2->setObjectName("QRBand2");
        QRBand2->setHeight(40);
        txtTC001 = new TKVQRDBText(QRBand2);
        txtTC001->setObjectName("txtTC001");
        txtTC001->setDataSet(ClientDataSet1);
        txtTC001->setDataField("TC001");
        txtTC001->setHint(QStringLiteral("单别"));
        txtTC001->setLeft(10);
        txtTC001->setTop(4);
        txtTC001->setWidth(80);
        txtTC001->setHeight(16);
        bcTC001 = new TKvQRDBBarcode(QRBand2);
        bcTC001->setObjectName("bcTC001");
        bcTC001->setDataSet(ClientDataSet1);
        bcTC001->setDataField("TC001");
        bcTC001->setLeft(300);
        bcTC001->setTop(2);
        bcTC001->setWidth(100);
        bcTC001->setHeight(30);
    }
};

} // namespace kv::test
