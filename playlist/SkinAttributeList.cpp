#include "playlist/SkinAttributeList.h"

QList<QPair<QString, QString>> SkinAttributeList::Parse(QStringView text) {
    QList<QPair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (true) {
        while (i < n && text[i].isSpace()) ++i;
        if (i >= n) break;
        const qsizetype nameStart = i;
        while (i < n && text[i] != u'=' && !text[i].isSpace()) ++i;
        const QStringView name = text.mid(nameStart, i - nameStart);
        while (i < n && text[i].isSpace()) ++i;
        if (name.isEmpty() || i >= n || text[i] != u'=') break;
        ++i;
        while (i < n && text[i].isSpace()) ++i;
        if (i >= n || (text[i] != u'"' && text[i] != u'\'')) break;
        const QChar quote = text[i++];
        const qsizetype valueStart = i;
        while (i < n && text[i] != quote) ++i;
        if (i >= n) break;  // no closing quote
        pairs.append({name.toString(), text.mid(valueStart, i - valueStart).toString()});
        ++i;
    }
    return pairs;
}

bool SkinAttributeList::ParseFourInts(QStringView text, int values[4]) {
    const QList<QStringView> parts = text.split(u',');
    if (parts.size() != 4) return false;
    for (int k = 0; k < 4; ++k) {
        bool ok = false;
        values[k] = parts[k].trimmed().toInt(&ok);
        if (!ok) return false;
    }
    return true;
}
