// Builds the user manual HVCMANUAL.pdf from the Markdown chapters of docs/manual.
// A chapter whose first line is "<!-- page: N -->" must begin on page N, the page
// the program's F1 opens; the pages before it are filled with "Notes" pages.
//
//   hvc-manual OUTPUT.pdf CHAPTER_DIR DIAGNOSTIC_LIST VERSION

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextStream>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kResolution = 96;
constexpr qreal kFooterHeight = 28;
constexpr qreal kMaxImageShare = 0.42; // of the page's height

struct Chapter {
    QString file;
    QString markdown;
    int requiredPage = 0; // 0: right after the previous chapter
    std::unique_ptr<QTextDocument> document;
    int firstPage = 0;
};

[[noreturn]] void fail(const QString& text) {
    std::fprintf(stderr, "hvc-manual: %s\n", qPrintable(text));
    std::exit(1);
}

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(path + QStringLiteral(": ") + file.errorString());
    return QString::fromUtf8(file.readAll());
}

QString cell(QString text) {
    return text.replace(u'|', u'/').trimmed();
}

// The error texts of the shipped message file as a Markdown table: every bit
// that has a key, i.e. every one the unit can list as an error.
QString errorTable(const QString& path) {
    QString table =
        QStringLiteral("| Error | Key | Description | What to check |\n|---|---|---|---|\n");
    const QStringList lines = readText(path).split(u'\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(u'\t');
        if (f.size() < 7 || f[4].trimmed().isEmpty())
            continue;
        const QString bitWeight = QString::number(1 << f[1].toInt());
        table += QStringLiteral("| %1 | %2 - %3 | %4 | %5 |\n")
                     .arg(cell(f[5]), cell(f[4]), bitWeight, cell(f[6]),
                          f.size() > 7 ? cell(f[7]) : QString());
    }
    return table;
}

std::vector<Chapter> readChapters(const QString& dir, const QString& diagnosticList) {
    static const QRegularExpression kPageMark(QStringLiteral("^<!--\\s*page:\\s*(\\d+)\\s*-->"));
    std::vector<Chapter> chapters;
    const QStringList files =
        QDir(dir).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        Chapter c;
        c.file = QDir(dir).filePath(name);
        c.markdown = readText(c.file);
        const auto match = kPageMark.match(c.markdown);
        if (match.hasMatch())
            c.requiredPage = match.captured(1).toInt();
        c.markdown.replace(QStringLiteral("<!-- error-table -->"), errorTable(diagnosticList));
        chapters.push_back(std::move(c));
    }
    if (chapters.empty())
        fail(QStringLiteral("no chapters in ") + dir);
    return chapters;
}

// Loads every picture a chapter names and scales it to fit the text width and
// a share of the page's height.
void placeImages(QTextDocument& doc, const QString& baseDir, QSizeF page) {
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString path = QDir(baseDir).filePath(format.name());
            const QImage image(path);
            if (image.isNull())
                fail(QStringLiteral("cannot read picture ") + path);
            doc.addResource(QTextDocument::ImageResource, QUrl(format.name()), image);
            const qreal scale = std::min({1.0, page.width() / image.width(),
                                          page.height() * kMaxImageShare / image.height()});
            format.setWidth(image.width() * scale);
            format.setHeight(image.height() * scale);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

// No ligatures, so that a heading reads back from the PDF letter for letter.
QFont bodyFont() {
    QFont font(QStringLiteral("DejaVu Sans"), 10);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

const char* const kStyle = "h1 { font-size: 20pt; color: #12406e; }"
                           "h2 { font-size: 14pt; color: #12406e; }"
                           "h3 { font-size: 11pt; }"
                           "table { border-collapse: collapse; }"
                           "td, th { padding: 3px; }"
                           "code { font-family: 'DejaVu Sans Mono'; }";

std::unique_ptr<QTextDocument> layOut(const QString& markdown, const QString& baseDir,
                                      QPaintDevice* device, QSizeF page) {
    auto doc = std::make_unique<QTextDocument>();
    doc->documentLayout()->setPaintDevice(device);
    doc->setDefaultFont(bodyFont());
    doc->setDefaultStyleSheet(QString::fromLatin1(kStyle));
    doc->setMarkdown(markdown);
    placeImages(*doc, baseDir, page);
    doc->setPageSize(page);
    return doc;
}

// The contents of the title page: every chapter's first heading and its page.
QString contents(const std::vector<Chapter>& chapters) {
    static const QRegularExpression kHeading(QStringLiteral("^# (.+)$"),
                                             QRegularExpression::MultilineOption);
    QString text = QStringLiteral("| Chapter | Page |\n|---|---|\n");
    for (std::size_t i = 1; i < chapters.size(); ++i) {
        const auto match = kHeading.match(chapters[i].markdown);
        text += QStringLiteral("| %1 | %2 |\n")
                    .arg(match.hasMatch() ? match.captured(1) : chapters[i].file)
                    .arg(chapters[i].firstPage);
    }
    return text;
}

// Assigns each chapter its first page; a chapter that cannot start where it must
// stops the build.
int placeChapters(std::vector<Chapter>& chapters) {
    int next = 1;
    for (Chapter& c : chapters) {
        if (c.requiredPage != 0) {
            if (next > c.requiredPage)
                fail(QStringLiteral("%1 must start on page %2, but the chapters before it "
                                    "run to page %3; shorten them")
                         .arg(c.file)
                         .arg(c.requiredPage)
                         .arg(next - 1));
            next = c.requiredPage;
        }
        c.firstPage = next;
        next += c.document->pageCount();
    }
    return next - 1;
}

void drawFooter(QPainter& painter, QSizeF page, int number, const QString& version) {
    painter.save();
    painter.setPen(QColor(90, 90, 90));
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    const QRectF footer(0, page.height(), page.width(), kFooterHeight);
    painter.drawLine(footer.topLeft() + QPointF(0, 6), footer.topRight() + QPointF(0, 6));
    painter.drawText(footer.adjusted(0, 8, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("HVC Configurator %1 - user manual").arg(version));
    painter.drawText(footer.adjusted(0, 8, 0, 0), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(number));
    painter.restore();
}

void drawNotesPage(QPainter& painter, QSizeF page) {
    painter.save();
    QFont title(QStringLiteral("DejaVu Sans"), 14);
    painter.setFont(title);
    painter.setPen(QColor(0x12, 0x40, 0x6e));
    painter.drawText(QRectF(0, 0, page.width(), 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Notes"));
    painter.setPen(QColor(200, 200, 200));
    for (qreal y = 70; y < page.height() - 10; y += 28)
        painter.drawLine(QPointF(0, y), QPointF(page.width(), y));
    painter.restore();
}

void drawChapterPage(QPainter& painter, QTextDocument& doc, int index, QSizeF page) {
    painter.save();
    painter.translate(0, -index * page.height());
    const QRectF clip(0, index * page.height(), page.width(), page.height());
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    doc.documentLayout()->draw(&painter, context);
    painter.restore();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5)
        fail(QStringLiteral("usage: hvc-manual OUTPUT.pdf CHAPTER_DIR DIAGNOSTIC_LIST VERSION"));
    const QString output = args[1], chapterDir = args[2], version = args[4];

    QPdfWriter writer(output);
    writer.setResolution(kResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 15, 18, 12), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("HVC Configurator user manual"));
    writer.setCreator(QStringLiteral("hvc-manual"));
    const QSizeF page(writer.width(), writer.height() - kFooterHeight);

    std::vector<Chapter> chapters = readChapters(chapterDir, args[3]);
    for (Chapter& c : chapters)
        c.document = layOut(c.markdown, chapterDir, &writer, page);
    // The title page lists the chapters' pages: place them once with a contents
    // of the same length, then lay out the title page with the real numbers.
    const QString placeholder = QStringLiteral("<!-- contents -->");
    auto withContents = [&] {
        QString text = chapters[0].markdown;
        return text.replace(placeholder, contents(chapters));
    };
    chapters[0].document = layOut(withContents(), chapterDir, &writer, page);
    placeChapters(chapters);
    chapters[0].document = layOut(withContents(), chapterDir, &writer, page);
    const int lastPage = placeChapters(chapters);

    QPainter painter(&writer);
    int number = 1;
    for (const Chapter& c : chapters) {
        for (; number < c.firstPage; ++number) {
            drawNotesPage(painter, page);
            drawFooter(painter, page, number, version);
            writer.newPage();
        }
        for (int i = 0; i < c.document->pageCount(); ++i, ++number) {
            drawChapterPage(painter, *c.document, i, page);
            drawFooter(painter, page, number, version);
            if (number < lastPage)
                writer.newPage();
        }
    }
    painter.end();
    std::printf("hvc-manual: %d pages written to %s\n", lastPage, qPrintable(output));
    return 0;
}
