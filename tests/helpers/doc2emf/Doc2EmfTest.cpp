// The doc2emf program as the designer's menu and a shell run it: the first
// page of a PDF or a word-processor document becomes a page-sized picture;
// a missing converter and bad arguments fail with a reason and keep what
// was there.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kProgram = QStringLiteral(QIPR07_BIN_DIR "/doc2emf");

struct Outcome {
    int exitCode = -1;
    QString errors;
};

Outcome runDoc2Emf(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(kProgram, arguments);
    if (!process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// A two-page A4 PDF with a frame on the first page.
void writePdf(const QString &path)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.drawRect(40, 40, 500, 700);
    painter.drawText(60, 80, QStringLiteral("Page one"));
    writer.newPage();
    painter.drawText(60, 80, QStringLiteral("Page two"));
}

// A flat ODF text document on A4 paper.
void writeFlatOdt(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles><style:page-layout style:name="pm1">
<style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm"/></style:page-layout></office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1"/></office:master-styles>
<office:body><office:text><text:p>领料单</text:p></office:text></office:body></office:document>
)");
}

// Width and height of an SVG in points.
QSizeF svgSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.read(2000));
    const QRegularExpression size(QStringLiteral("width=\"([0-9.]+)pt\" height=\"([0-9.]+)pt\""));
    const QRegularExpressionMatch match = size.match(text);
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QSizeF();
}

class Doc2EmfTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftocairo")).isEmpty())
            GTEST_SKIP() << "pdftocairo (poppler-utils) is not installed";
    }
    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

TEST_F(Doc2EmfTest, TheFirstPageOfAPdfBecomesAPagePicture)
{
    writePdf(file("slip.pdf"));
    const Outcome png = runDoc2Emf({file("slip.pdf"), file("slip.png")});
    ASSERT_EQ(png.exitCode, 0) << png.errors.toStdString();
    const QImage picture(file("slip.png"));
    // A4 at 96 dpi.
    EXPECT_NEAR(picture.width(), 794, 2);
    EXPECT_NEAR(picture.height(), 1123, 2);

    const Outcome svg = runDoc2Emf({file("slip.pdf"), file("slip.svg")});
    ASSERT_EQ(svg.exitCode, 0) << svg.errors.toStdString();
    const QSizeF size = svgSize(file("slip.svg"));
    EXPECT_NEAR(size.width(), 595.3, 1.0);
    EXPECT_NEAR(size.height(), 841.9, 1.0);
}

TEST_F(Doc2EmfTest, AWordProcessorDocumentBecomesAPagePicture)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice, package libreoffice-writer-nogui) is not installed";
    writeFlatOdt(file("form.fodt"));
    const Outcome run = runDoc2Emf({file("form.fodt"), file("form.svg")});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QSizeF size = svgSize(file("form.svg"));
    EXPECT_NEAR(size.width(), 595.3, 1.0);
    EXPECT_NEAR(size.height(), 841.9, 1.0);
}

TEST_F(Doc2EmfTest, WithoutLibreOfficeTheReasonNamesThePackageAndTheOldPictureStays)
{
    writeFlatOdt(file("form.fodt"));
    {
        QFile old(file("form.png"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old picture");
    }
    // A search path with pdftocairo but no soffice.
    const QString bin = file("bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QFile::link(QStandardPaths::findExecutable(QStringLiteral("pdftocairo")), bin + "/pdftocairo"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), bin);
    const Outcome run = runDoc2Emf({file("form.fodt"), file("form.png")}, environment);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("libreoffice-writer-nogui"))) << run.errors.toStdString();
    QFile old(file("form.png"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old picture"));
}

TEST_F(Doc2EmfTest, BadArgumentsAndBadDocumentsFailWithAReason)
{
    const Outcome usage = runDoc2Emf({file("only-one.pdf")});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.errors.contains(QStringLiteral("usage"))) << usage.errors.toStdString();

    const Outcome missing = runDoc2Emf({file("none.pdf"), file("none.png")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errors.contains(QStringLiteral("does not exist"))) << missing.errors.toStdString();

    writePdf(file("slip.pdf"));
    const Outcome kind = runDoc2Emf({file("slip.pdf"), file("slip.emf")});
    EXPECT_EQ(kind.exitCode, 1);
    EXPECT_TRUE(kind.errors.contains(QStringLiteral(".svg or .png"))) << kind.errors.toStdString();

    {
        QFile broken(file("broken.pdf"));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write("%PDF-1.4 this is no PDF");
    }
    const Outcome bad = runDoc2Emf({file("broken.pdf"), file("broken.png")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.errors.contains(QStringLiteral("pdftocairo"))) << bad.errors.toStdString();
    EXPECT_FALSE(QFile::exists(file("broken.png")));
}

} // namespace
