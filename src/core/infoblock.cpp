#include "core/infoblock.h"

#include <QByteArray>
#include <QStringList>
#include <array>

namespace hvc {

namespace {

const QString kCr = QStringLiteral("\r");
const QString kCrLf = QStringLiteral("\r\n");
const QString kTab = QStringLiteral("\t");

QString separator() {
    return QString::fromLatin1(kSeparatorLine);
}
QString marker() {
    return QString::fromLatin1(kEscapeMarker);
}

// CR LF, a lone CR and a lone LF each end a line.
QStringList splitLines(const QString& text) {
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            current += c;
            continue;
        }
        lines << current;
        current.clear();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
    }
    lines << current;
    return lines;
}

bool outsideLatin1Text(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() > 0xFF;
}

bool escapedInFile(QChar c) {
    return outsideLatin1Text(c) || c == u'%' || c == u';';
}

QString escape(const QString& text) {
    QString out = marker();
    for (qsizetype i = 0; i < text.size();) {
        if (!escapedInFile(text[i])) {
            out += text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && escapedInFile(text[end]))
            ++end;
        for (const char byte : text.mid(i, end - i).toUtf8())
            out +=
                QStringLiteral("%%1").arg(static_cast<uchar>(byte), 2, 16, QChar(u'0')).toUpper();
        i = end;
    }
    return out;
}

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

// Text written by escape(); anything else is returned as it stands.
QString unescape(const QString& text) {
    if (!text.startsWith(marker()))
        return text;
    QString out;
    QByteArray bytes;
    const qsizetype n = text.size();
    for (qsizetype i = marker().size(); i < n;) {
        const int high = i + 2 < n && text[i] == u'%' ? hexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            bytes += static_cast<char>(high * 16 + low);
            i += 3;
            continue;
        }
        out += QString::fromUtf8(bytes);
        bytes.clear();
        out += text[i++];
    }
    return out + QString::fromUtf8(bytes);
}

// A title line holds its value between two TABs and ends at a line break.
bool oneLineNeedsEscape(const QString& value) {
    for (QChar c : value)
        if (outsideLatin1Text(c))
            return true;
    return value.contains(separator()) || value.startsWith(marker());
}

// A comment line follows a TAB; the reader drops leading blanks and TABs and the
// double quotes around a line.
bool commentLineNeedsEscape(const QString& line) {
    for (QChar c : line)
        if (outsideLatin1Text(c) && c != u'\t')
            return true;
    if (line.startsWith(u' ') || line.startsWith(u'\t'))
        return true;
    if (line.size() >= 2 && line.startsWith(u'"') && line.endsWith(u'"'))
        return true;
    return line.contains(separator()) || line.startsWith(marker());
}

QString oneLine(const QString& value) {
    return oneLineNeedsEscape(value) ? escape(value) : value;
}

QString commentLine(const QString& line) {
    return commentLineNeedsEscape(line) ? escape(line) : line;
}

} // namespace

QString buildInfoStr(const InfoFields& fields) {
    QString text = separator() + kCr;
    const std::array<std::pair<const char*, const QString*>, 4> titled{{
        {"Author:", &fields.author},
        {"Date:", &fields.date},
        {"Revision:", &fields.revision},
        {"Company:", &fields.company},
    }};
    for (const auto& [title, value] : titled)
        text += QString::fromLatin1(title) + kTab + oneLine(*value) + kTab + kCr;
    text += QStringLiteral("Additional Comments:") + kTab + kCr;
    QStringList lines = splitLines(fields.comments);
    for (QString& line : lines)
        line = commentLine(line);
    text += kTab + lines.join(kCrLf + kTab) + kCr;
    return text + separator() + kCr;
}

InfoFields extractInfo(const QString& auxStr, const QString& fileName) {
    std::array<QString, 9> cut;
    QString rest = auxStr;
    for (QString& field : cut) {
        const qsizetype tab = rest.indexOf(u'\t');
        field = tab < 0 ? rest : rest.left(tab);
        rest = tab < 0 ? QString() : rest.mid(tab + 1);
    }
    InfoFields fields;
    fields.author = unescape(cut[1]);
    fields.date = unescape(cut[3]);
    fields.revision = unescape(cut[5]);
    fields.company = unescape(cut[7]);
    if (rest.startsWith(kCrLf))
        rest.remove(0, 2);
    if (rest.endsWith(kCrLf))
        rest.chop(2);
    QStringList lines = rest.split(kCrLf);
    for (QString& line : lines)
        line = unescape(line);
    fields.comments = lines.join(kCrLf);
    fields.fileName = fileName;
    return fields;
}

} // namespace hvc
