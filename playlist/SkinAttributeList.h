#pragma once
// The attribute texts of skin controls: a list of name="value" pairs, where a
// value may be quoted with " or ' and may hold the other quote inside
// (deleteattr="width=&quot;18&quot; normalimage=&quot;file='x.png'&quot;"
// arrives as width="18" normalimage="file='x.png'").
//
// Threads: any (pure functions).
#include <QList>
#include <QPair>
#include <QString>
#include <QStringView>

struct SkinAttributeList {
    // The pairs in order. Parsing stops at the first piece that is not a
    // pair; what was read before it is kept.
    static QList<QPair<QString, QString>> Parse(QStringView text);
    // "l,t,r,b" as four integers; false unless there are exactly four.
    static bool ParseFourInts(QStringView text, int values[4]);
};
