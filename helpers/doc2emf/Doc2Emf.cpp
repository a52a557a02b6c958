// doc2emf: the first page of a document as a page picture for a layout's
// background.
//   doc2emf INPUT OUTPUT   converts without a window; exit code 0 on
//                          success, 1 when the conversion failed, 2 for
//                          wrong arguments (the reason on standard error)
//   doc2emf                shows a window to pick both files
#include "Doc2EmfDialog.h"
#include "DocConverter.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

namespace {

int convertFromArguments(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: doc2emf INPUT OUTPUT (OUTPUT ends in .svg or .png), or doc2emf alone\n");
        return 2;
    }
    const doc2emf::ConversionResult result = doc2emf::DocConverter().convert(arguments.at(1), arguments.at(2));
    if (!result.ok) {
        std::fprintf(stderr, "doc2emf: %s\n", result.message.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1)
        return convertFromArguments(argc, argv);
    QApplication application(argc, argv);
    doc2emf::Doc2EmfDialog dialog;
    dialog.show();
    return application.exec();
}
