#pragma once
// Scripts run in a map page under test, waiting for their value on the
// test's thread (the page answers through the event loop).
#include "map/CWebBrowserUI.h"

#include <QTest>
#include <QVariant>
#include <QVariantMap>
#include <QWebEnginePage>
#include <memory>
#include <utility>

namespace testing_support {

// The script's value; invalid on time-out.
inline QVariant evaluate(CWebBrowserUI& view, const QString& script) {
    auto result = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    view.page()->runJavaScript(script, 0, [result](const QVariant& v) { *result = {true, v}; });
    if (!QTest::qWaitFor([&] { return result->first; }, 10000)) return {};
    return result->second;
}

inline QVariantMap pageState(CWebBrowserUI& view) {
    return evaluate(view, "trackMapState()").toMap();
}

}  // namespace testing_support
