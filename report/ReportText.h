#pragma once
// The report's texts in the user's language: the "texts" object of the
// report input, by language key, with the English text wherever the key is
// missing, empty or not a string. Texts are drawn as plain text.
// Threads: the GUI thread, with the report.
#include <QJsonObject>
#include <QString>

class ReportText {
public:
    explicit ReportText(const QJsonObject& texts) : texts_(texts) {}

    QString get(const char* key, const QString& english) const;
    // An event's kind ("brake", "accel", "impact") as the event list names it.
    QString eventKind(const QString& kind) const;
    // A number with `decimals` places and the language's decimal sign (IDS_DECIMAL).
    QString number(double value, int decimals) const;

private:
    QJsonObject texts_;
};
