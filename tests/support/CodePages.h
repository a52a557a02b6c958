#pragma once
// A report run of short pages for the output tests: one code a page
// ("CODE-1", "CODE-2", ...) on A5, the band taller than half a page.

#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRDBText.h"

#include <QObject>

#include <string>

namespace kvtest {

struct CodePages {
    explicit CodePages(int count)
    {
        kv::ResultTable::Builder builder;
        builder.addColumn("CODE", kv::FieldType::Text);
        for (int line = 1; line <= count; ++line) {
            builder.setText(0, "CODE-" + std::to_string(line));
            builder.endRow();
        }
        auto *data = new kv::ClientDataSet(&window);
        data->setObjectName("ClientDataSet1");
        data->setData(builder.finish());
        report = new kv::Report(&window);
        report->setObjectName("QuickRep1");
        report->setDataSet(data);
        report->page()->setPaperSize(kv::PageSetup::A5);
        auto *detail = new kv::TQRBand(report);
        detail->setObjectName("Detail");
        detail->setHeight(1200); // more than half a page: one line a page
        auto *code = new kv::TQRDBText(detail);
        code->setObjectName("txtCode");
        code->setDataSet(data);
        code->setDataField("CODE");
        code->setWidth(400);
        code->setHeight(40);
    }
    const kv::PageStore &pages() const { return *report->pages(); }

    QObject window;
    kv::Report *report;
};

} // namespace kvtest
