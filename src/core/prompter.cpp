#include "core/prompter.h"

#include <cstdio>

namespace hvc {

namespace {
void printLine(const QString& title, const QString& text) {
    QString line = title.isEmpty() ? text : title + QStringLiteral(": ") + text;
    line.replace(u'\r', u'\n');
    std::fprintf(stderr, "%s\n", line.trimmed().toLocal8Bit().constData());
}
} // namespace

void StderrPrompter::inform(const QString& text, const QString& title, PromptIcon) {
    printLine(title, text);
}

void StderrPrompter::informDetailed(const QString& text, const QString& detail,
                                    const QString& title, PromptIcon) {
    printLine(title, text);
    if (!detail.isEmpty())
        printLine({}, QStringLiteral("  ") + detail);
}

bool StderrPrompter::ask(const QString& text, const QString& title, PromptIcon) {
    printLine(title, text + (m_answer ? QStringLiteral(" [Yes]") : QStringLiteral(" [No]")));
    return m_answer;
}

void ScriptedPrompter::inform(const QString& text, const QString& title, PromptIcon icon) {
    messages.append({text, title, icon, false, {}});
}

void ScriptedPrompter::informDetailed(const QString& text, const QString& detail,
                                      const QString& title, PromptIcon icon) {
    messages.append({text, title, icon, false, detail});
}

bool ScriptedPrompter::ask(const QString& text, const QString& title, PromptIcon icon) {
    messages.append({text, title, icon, true, {}});
    return answers.isEmpty() ? false : answers.takeFirst();
}

QStringList ScriptedPrompter::texts() const {
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}

} // namespace hvc
