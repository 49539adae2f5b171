#include "core/joycatalogue.h"

#include "core/prompter.h"
#include "core/stringeval.h"
#include "core/textfile.h"
#include "core/unitvariable.h"

#include <QStringList>

#include <utility>

namespace hvc {

namespace {

// A one-axis line stops after the first pair; 2 and 3 axes add one pair each;
// every other count (4, but also 0 or 5) reads all four pairs.
int axisPairs(std::int16_t axisNum) {
    return axisNum >= 1 && axisNum <= 3 ? axisNum : 4;
}

// Takes the fields of one line in turn; knows how many the line holds, so that a
// missing field and an empty one get their own reason.
class FieldReader {
public:
    explicit FieldReader(QString line) : m_line(std::move(line)), m_left(m_line.count(u'\t') + 1) {}

    QString text() {
        --m_left;
        return nextField(m_line);
    }

    Status integer(const char* name, std::int16_t& out) {
        const bool present = m_left > 0;
        const QString field = text();
        std::int32_t value = 0;
        if (present && parseIntField(field, -32768, 32767, value)) {
            out = static_cast<std::int16_t>(value);
            return {};
        }
        const QLatin1String what(name);
        if (!present)
            return Status::failure(QStringLiteral("%1 is missing (too few fields)").arg(what));
        if (field.isEmpty())
            return Status::failure(QStringLiteral("%1 is empty").arg(what));
        return Status::failure(QStringLiteral("%1 '%2' is not a whole number from -32768 to 32767")
                                   .arg(what, excerpt(field)));
    }

private:
    QString m_line;
    qsizetype m_left;
};

} // namespace

Status JoyModel::load(QString line) {
    *this = JoyModel();
    FieldReader fields(std::move(line));
    joyCode = fields.text();
    joyName = fields.text();
    joyDesc1 = fields.text();
    joyDesc2 = fields.text();
    joyDesc3 = fields.text();
    joyDesc4 = fields.text();
    static constexpr const char* kConfigNames[] = {"AxisConfig(1)", "AxisConfig(2)",
                                                   "AxisConfig(3)", "AxisConfig(4)"};
    static constexpr const char* kSpareNames[] = {"AxisSpare(1)", "AxisSpare(2)", "AxisSpare(3)",
                                                  "AxisSpare(4)"};
    // The number fields in the order of the line; the axis pairs follow axisNum.
    const std::pair<const char*, std::int16_t*> head[] = {
        {"Selectable", &selectable}, {"AxisNum", &axisNum}, {"JoyID", &joyId}};
    for (const auto& [name, out] : head)
        if (Status read = fields.integer(name, *out); !read)
            return read;
    const int pairs = axisPairs(axisNum);
    for (int k = 0; k < pairs; ++k) {
        const auto at = static_cast<size_t>(k);
        if (Status read = fields.integer(kConfigNames[k], axisConfig[at]); !read)
            return read;
        if (Status read = fields.integer(kSpareNames[k], axisSpare[at]); !read)
            return read;
    }
    return {};
}

bool JoyCatalogue::loadJoyList(const QString& iniPath, Prompter& prompter) {
    QByteArray bytes;
    if (const Status read =
            readWholeFile(iniPath, QStringLiteral("joystick list"), kMaxListFileSize, bytes);
        !read) {
        // Nothing was read: the table from the previous load still counts.
        return fail(read.text(), prompter);
    }
    return load(QString::fromLatin1(bytes), iniPath, prompter);
}

bool JoyCatalogue::loadJoyListText(const QString& text, Prompter& prompter) {
    return load(text, {}, prompter);
}

bool JoyCatalogue::load(const QString& text, const QString& source, Prompter& prompter) {
    const QString where = source.isEmpty() ? QString() : QStringLiteral("'%1', ").arg(source);
    const auto atLine = [&where](int index, const QString& what) {
        return where + QStringLiteral("line %1: %2").arg(index + 1).arg(what);
    };
    m_lastError.clear();
    if (text.isEmpty()) {
        // Not even a header line to skip: the count stays as it was.
        return fail(where + QStringLiteral("the file is empty (not even the header line)"),
                    prompter);
    }
    m_count = 0;
    const QStringList lines = splitLines(text);

    int records = 0;
    for (int i = 1; i < lines.size(); ++i, ++records) {
        if (records >= kMaxRecords)
            return fail(atLine(i, QStringLiteral("more than %1 records").arg(kMaxRecords)),
                        prompter);
        JoyModel& record = m_list[static_cast<size_t>(records)];
        if (const Status loaded = record.load(lines.at(i)); !loaded)
            return fail(atLine(i, loaded.text()), prompter);
        if (record.joyCode == QLatin1String("NOTUSED"))
            m_notUsedJoyId = record.joyId;
    }
    m_count = records;
    return true;
}

bool JoyCatalogue::fail(const QString& reason, Prompter& prompter) {
    m_lastError = reason;
    prompter.informDetailed(QString::fromLatin1(kJoyListMessage), reason);
    return false;
}

int JoyCatalogue::joyCount() const {
    return m_count;
}

int JoyCatalogue::notUsedJoyId() const {
    return m_notUsedJoyId;
}

const JoyModel& JoyCatalogue::joyList(int position) const {
    static const JoyModel kBlank;
    if (position < 0 || position >= kMaxRecords)
        return kBlank;
    return m_list[static_cast<size_t>(position)];
}

QString JoyCatalogue::lastError() const {
    return m_lastError;
}

QString JoyCatalogue::pictureFileName(const QString& code, JoyPicture kind) {
    switch (kind) {
    case JoyPicture::Normal:
        return code + QStringLiteral(".jpg");
    case JoyPicture::X:
        return code + QStringLiteral("_X.jpg");
    case JoyPicture::Y:
        return code + QStringLiteral("_Y.jpg");
    case JoyPicture::Z:
        return code + QStringLiteral("_Z.jpg");
    case JoyPicture::W:
        return code + QStringLiteral("_W.jpg");
    case JoyPicture::Off:
        return code + QStringLiteral("_D.jpg");
    }
    return {};
}

} // namespace hvc
