#include "report/ReportText.h"

QString ReportText::get(const char* key, const QString& english) const {
    const QString text = texts_.value(QLatin1String(key)).toString();
    return text.isEmpty() ? english : text.left(500);
}

QString ReportText::eventKind(const QString& kind) const {
    if (kind == QLatin1String("brake")) return get("IDS_EVENT_BRAKE", QStringLiteral("Hard braking"));
    if (kind == QLatin1String("accel")) return get("IDS_EVENT_ACCEL", QStringLiteral("Hard acceleration"));
    if (kind == QLatin1String("impact")) return get("IDS_EVENT_IMPACT", QStringLiteral("Impact"));
    return kind;
}

QString ReportText::number(double value, int decimals) const {
    QString text = QString::number(value, 'f', decimals);
    // One sign, never a text: a language file's value is not trusted further.
    const QString sign = get("IDS_DECIMAL", QStringLiteral(".")).left(1);
    if (decimals > 0 && !sign.isEmpty()) text.replace(QLatin1Char('.'), sign);
    return text;
}
