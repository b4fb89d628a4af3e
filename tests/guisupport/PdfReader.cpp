#include "guisupport/PdfReader.h"

#include <QDebug>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

namespace kv4guitest {

namespace {

QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning() << program << args << p.readAllStandardError();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

QString PdfPage::Text() const {
    QStringList all;
    for (const PdfWord& w : words) all << w.text;
    return all.join(QLatin1Char(' '));
}

const PdfWord* PdfPage::Find(const QString& text) const {
    for (const PdfWord& w : words)
        if (w.text == text) return &w;
    return nullptr;
}

QString PdfInfo(const QString& pdf) { return Run(QStringLiteral("pdfinfo"), {pdf}); }

int PdfPageCount(const QString& pdf) {
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(PdfInfo(pdf));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

PdfPage ReadPdfPage(const QString& pdf, int page) {
    const QString html =
        Run(QStringLiteral("pdftotext"),
            {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    PdfPage out;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto number = [&xml](const char* name) {
            return xml.attributes().value(QLatin1String(name)).toDouble();
        };
        if (xml.name() == u"page") {
            out.width = number("width");
            out.height = number("height");
        } else if (xml.name() == u"word") {
            PdfWord w;
            w.xMin = number("xMin");
            w.yMin = number("yMin");
            w.xMax = number("xMax");
            w.yMax = number("yMax");
            w.text = xml.readElementText();
            out.words.append(w);
        }
    }
    return out;
}

}  // namespace kv4guitest
