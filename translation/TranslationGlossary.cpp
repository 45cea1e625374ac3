#include "translation/TranslationGlossary.h"

#include <QFile>
#include <QStringList>

namespace {

bool WordCharacter(const QString& text, qsizetype at)
{
    return at >= 0 && at < text.size() && (text[at].isLetterOrNumber() || text[at].isMark());
}

} // namespace

bool TranslationGlossary::Read(const QString& path, TranslationGlossary& glossary, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the glossary %1: %2").arg(path, file.errorString());
        return false;
    }
    return Parse(QString::fromUtf8(file.readAll()), path, glossary, error);
}

bool TranslationGlossary::Parse(const QString& text, const QString& where, TranslationGlossary& glossary,
                                QString& error)
{
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    const QStringList lines = body.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (const qsizetype hash = line.indexOf(QLatin1Char('#')); hash >= 0)
            line.truncate(hash);
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        const QString source = fields.value(0).trimmed();
        const QString target = fields.value(1).trimmed();
        if (fields.size() != 2 || source.isEmpty() || target.isEmpty()) {
            error = QStringLiteral("%1:%2: a glossary line is a term, a tab and its translation").arg(where).arg(i + 1);
            return false;
        }
        glossary.Add({source, target});
    }
    return true;
}

std::vector<TranslationGlossary::Entry> TranslationGlossary::Found(const std::vector<QString>& texts,
                                                                   bool wholeWords) const
{
    std::vector<Entry> found;
    for (const Entry& entry : m_entries) {
        for (const QString& text : texts) {
            if (Occurs(entry.source, text, wholeWords)) {
                found.push_back(entry);
                break;
            }
        }
    }
    return found;
}

bool TranslationGlossary::Occurs(const QString& term, const QString& text, bool wholeWords)
{
    if (term.isEmpty())
        return false;
    for (qsizetype at = text.indexOf(term, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(term, at + 1, Qt::CaseInsensitive)) {
        if (!wholeWords)
            return true;
        // A term that itself begins or ends inside a word ("-ish") is held to nothing on that side.
        const bool openStart = !WordCharacter(term, 0);
        const bool openEnd = !WordCharacter(term, term.size() - 1);
        if ((openStart || !WordCharacter(text, at - 1)) && (openEnd || !WordCharacter(text, at + term.size())))
            return true;
    }
    return false;
}
