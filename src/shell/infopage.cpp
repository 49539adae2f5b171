#include "shell/infopage.h"

#include "shell/mainbar.h"
#include "shell/spokenvalue.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace hvc {

namespace {

QLabel* namedLabel(const char* name, const char* caption, QWidget* parent) {
    auto* l = new QLabel(QString::fromLatin1(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

template <typename Field> Field* namedField(const char* name, QWidget* parent) {
    auto* f = new Field(parent);
    f->setObjectName(QString::fromLatin1(name));
    return f;
}

} // namespace

InfoPage::InfoPage(ShellContext& context, QWidget* parent)
    : PageForm(context, Page::Info, parent), m_author(namedField<QLineEdit>("txtAutor", this)),
      m_date(namedField<QLineEdit>("txtDate", this)),
      m_revision(namedField<QLineEdit>("TxtRevision", this)),
      m_company(namedField<QLineEdit>("TxtCompany", this)),
      m_info(namedField<QPlainTextEdit>("TxtInfo", this)), m_name(namedLabel("lblName", "", this)) {
    setObjectName(QStringLiteral("frmComment"));
    setWindowTitle(QStringLiteral("Info"));
    auto* form = new QFormLayout(this);
    const std::pair<const char*, const char*> captions[] = {{"lblAutor", "Author:"},
                                                            {"lblData", "Date:"},
                                                            {"LblRevision", "Revision:"},
                                                            {"LblCompany", "Company:"},
                                                            {"LblInfo", "Additional Comments:"},
                                                            {"Label2", "File Name:"}};
    const QList<QWidget*> fields{m_author, m_date, m_revision, m_company, m_info, m_name};
    for (int row = 0; row < fields.size(); ++row) {
        QLabel* caption = namedLabel(captions[row].first, captions[row].second, this);
        caption->setBuddy(fields[row]);
        form->addRow(caption, fields[row]);
    }
    nameValueLabel(m_name, QStringLiteral("File name"));
    m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QLineEdit* f : {m_author, m_date, m_revision, m_company})
        connect(f, &QLineEdit::textChanged, this, &InfoPage::edited);
    connect(m_info, &QPlainTextEdit::textChanged, this, &InfoPage::edited);
}

void InfoPage::edited() {
    m_context.state.document.flags.markInfoChanged();
    m_context.state.document.info = fields();
}

QString InfoPage::author() const {
    return m_author->text();
}
QString InfoPage::date() const {
    return m_date->text();
}
QString InfoPage::revision() const {
    return m_revision->text();
}
QString InfoPage::company() const {
    return m_company->text();
}
QString InfoPage::comments() const {
    return m_info->toPlainText();
}
QString InfoPage::fileName() const {
    return m_name->text();
}
void InfoPage::setFileName(const QString& name) {
    showValue(m_name, name);
    m_context.state.document.info.fileName = name;
}

InfoFields InfoPage::fields() const {
    InfoFields f;
    f.author = author();
    f.date = date();
    f.revision = revision();
    f.company = company();
    // The comments travel with CR LF line breaks.
    f.comments = comments().replace(u'\n', QStringLiteral("\r\n"));
    f.fileName = fileName();
    return f;
}

void InfoPage::showFields(const InfoFields& info) {
    const InfoFields shown = info; // `info` may be the state's own copy, rewritten below
    m_author->setText(shown.author);
    m_date->setText(shown.date);
    m_revision->setText(shown.revision);
    m_company->setText(shown.company);
    QString comments = shown.comments;
    comments.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_info->setPlainText(comments);
    showValue(m_name, shown.fileName);
    m_context.state.document.info = shown;
}

void InfoPage::drawBar(MainBar& bar, QProgressBar*, const QString& text) {
    bar.loginCommands(false);
    switch (bar.state.session.connectState()) {
    case ConnectState::NotConnected:
        bar.showNotConnected();
        break;
    case ConnectState::Connected:
        bar.setStatusIcon(true);
        bar.setConnectField(QStringLiteral("Connected"), true);
        bar.state.observers.progress.setPercent(0);
        bar.enable(
            {"mnuHW_ReadAll", "mnuHW_WriteAll", "mnuHW_Write", "Read All", "Write All", "Write"},
            false);
        bar.enable({"mnuHw_Reset", "mnuHw_Read", "Load Configuration", "Save Configuration",
                    "Reset", "Read"},
                   true);
        bar.holdConnect();
        break;
    case ConnectState::Transfer:
        bar.showBusy(text);
        break;
    default:
        break;
    }
}

} // namespace hvc
