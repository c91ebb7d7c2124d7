#pragma once
// The fields of the test driver's dump that the program tests read.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace program_harness {

inline QJsonObject player(const QJsonObject& d) { return d["player"].toObject(); }
inline QJsonObject map(const QJsonObject& d) { return d["map"].toObject(); }
inline QJsonObject chart(const QJsonObject& d) { return d["chart"].toObject(); }
inline int state(const QJsonObject& d) { return player(d)["state"].toInt(); }
inline qint64 playerPid(const QJsonObject& d) { return player(d)["pid"].toInteger(); }
inline int current(const QJsonObject& d) { return d["playlist"].toObject()["current"].toInt(); }
inline QJsonArray rows(const QJsonObject& d) { return d["playlist"].toObject()["rows"].toArray(); }
inline QString label(const QJsonObject& d, const char* name) { return d["labels"].toObject()[name].toString(); }
inline bool shown(const QJsonObject& d, const char* button) { return d["visible"].toObject()[button].toBool(); }
inline bool chartEmpty(const QJsonObject& d) {
    const QJsonObject c = chart(d);
    return c["X"].toInt() == 0 && c["Y"].toInt() == 0 && c["Z"].toInt() == 0;
}

}  // namespace program_harness
