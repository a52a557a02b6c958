// RelationWizard.so: the extension-field wizard of the layouts. Its one
// entry point GetSQLFixed lets the user relate tables of the company schema
// to the report and choose the fields a layout may print from them, and
// writes the result into the layout's SQL builder.
//
// Nothing may be thrown across the C entry point: a failure inside is
// written into the builder's dynamic property "RelationWizardError" (the
// layout window shows it) and the builder is left as it was.

#include "RelationModel.h"
#include "RelationSchema.h"
#include "RelationWizardDialog.h"

#include "report/layout/VRSQLBuilder.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

namespace kv {
class TfrmVRBaseFmt;
class ClientDataSet;
} // namespace kv

namespace {

void reportFailure(kv::TVRSQLBuilder *builder, const QString &reason)
{
    builder->setProperty("RelationWizardError", reason);
}

} // namespace

extern "C" __attribute__((visibility("default"))) void GetSQLFixed(kv::TfrmVRBaseFmt *, kv::TVRSQLBuilder *builder,
                                                                     kv::ClientDataSet *data)
{
    if (!builder)
        return;
    try {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            throw std::runtime_error("the relation wizard needs a running application with windows");
        // The builder belongs to the layout window: the dialog sits on it.
        QWidget *window = qobject_cast<QWidget *>(builder->parent());
        const relationwizard::RelationSchema schema(data);
        std::vector<relationwizard::Relation> relations = relationwizard::readBuilder(*builder);
        const std::vector<std::string> tables = relationwizard::knownTables(builder->baseSQL().from, relations);
        relationwizard::RelationWizardDialog dialog(window, std::move(relations),
                                                    relationwizard::reportColumns(builder->baseSQL().select), tables,
                                                    schema);
        if (dialog.exec() == QDialog::Accepted)
            relationwizard::writeBuilder(*builder, dialog.relations());
    } catch (const std::exception &error) {
        reportFailure(builder, QString::fromStdString(error.what()));
    } catch (...) {
        reportFailure(builder, QStringLiteral("unknown error in the relation wizard"));
    }
}
